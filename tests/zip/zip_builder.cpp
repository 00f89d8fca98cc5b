#include "zip_builder.h"

#include <windows.h>
#include <zlib.h>

#include <stdexcept>

namespace ziptest {

namespace {

void Put16(std::string& out, uint32_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}

void Put32(std::string& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

void Put64(std::string& out, uint64_t v) {
    Put32(out, static_cast<uint32_t>(v));
    Put32(out, static_cast<uint32_t>(v >> 32));
}

uint32_t Crc(const std::string& data) {
    return static_cast<uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
}

uint32_t Field32(uint64_t value, bool marked) {
    return marked ? 0xFFFFFFFFu : static_cast<uint32_t>(value);
}

}  // namespace

std::string DeflateRaw(const std::string& data, int level, int strategy) {
    z_stream s{};
    if (deflateInit2(&s, level, Z_DEFLATED, -15, 8, strategy) != Z_OK) {
        throw std::runtime_error("deflateInit2");
    }
    std::string out(deflateBound(&s, static_cast<uLong>(data.size())) + 16, '\0');
    s.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    s.avail_in = static_cast<uInt>(data.size());
    s.next_out = reinterpret_cast<Bytef*>(&out[0]);
    s.avail_out = static_cast<uInt>(out.size());
    const int result = deflate(&s, Z_FINISH);
    out.resize(s.total_out);
    deflateEnd(&s);
    if (result != Z_STREAM_END) {
        throw std::runtime_error("deflate");
    }
    return out;
}

ZipEntry& ZipBuilder::AddDeflated(const std::string& name, const std::string& data, int level) {
    ZipEntry& entry = AddRaw(name);
    entry.payload = DeflateRaw(data, level);
    entry.method = 8;
    entry.compressedSize = entry.payload.size();
    entry.uncompressedSize = data.size();
    return entry;
}

ZipEntry& ZipBuilder::AddStored(const std::string& name, const std::string& data) {
    ZipEntry& entry = AddRaw(name);
    entry.payload = data;
    entry.method = 0;
    entry.compressedSize = data.size();
    entry.uncompressedSize = data.size();
    return entry;
}

ZipEntry& ZipBuilder::AddRaw(const std::string& name) {
    entries.emplace_back();
    entries.back().name = name;
    return entries.back();
}

ZipBuilder& ZipBuilder::Prefix(const std::string& bytes) {
    prefix = bytes;
    return *this;
}

ZipBuilder& ZipBuilder::Comment(const std::string& bytes) {
    comment = bytes;
    return *this;
}

ZipBuilder& ZipBuilder::Zip64() {
    zip64 = true;
    return *this;
}

std::string ZipBuilder::Build() const {
    std::string out = prefix;
    std::vector<uint64_t> offsets;
    for (const ZipEntry& e : entries) {
        offsets.push_back(out.size());
        Put32(out, 0x04034B50);
        Put16(out, 20);
        Put16(out, 0);
        Put16(out, e.method);
        Put16(out, e.dosTime);
        Put16(out, e.dosDate);
        Put32(out, Crc(e.payload));
        Put32(out, static_cast<uint32_t>(e.compressedSize));
        Put32(out, static_cast<uint32_t>(e.uncompressedSize));
        Put16(out, static_cast<uint32_t>(e.name.size()));
        Put16(out, 0);
        out += e.name;
        out += e.payload;
    }
    const uint64_t directoryOffset = out.size();
    for (size_t i = 0; i < entries.size(); ++i) {
        const ZipEntry& e = entries[i];
        std::string extra = e.extraBefore;
        if (e.zip64Fields) {
            std::string values;
            if (e.zip64Fields & 1) Put64(values, e.uncompressedSize);
            if (e.zip64Fields & 2) Put64(values, e.compressedSize);
            if (e.zip64Fields & 4) Put64(values, offsets[i]);
            Put16(extra, 0x0001);
            Put16(extra, static_cast<uint32_t>(values.size()));
            extra += values;
        }
        Put32(out, 0x02014B50);
        Put16(out, 45);
        Put16(out, 45);
        Put16(out, 0);
        Put16(out, e.method);
        Put16(out, e.dosTime);
        Put16(out, e.dosDate);
        Put32(out, Crc(e.payload));
        Put32(out, Field32(e.compressedSize, e.zip64Fields & 2));
        Put32(out, Field32(e.uncompressedSize, e.zip64Fields & 1));
        Put16(out, static_cast<uint32_t>(e.name.size()));
        Put16(out, static_cast<uint32_t>(extra.size()));
        Put16(out, 0);
        Put16(out, 0);
        Put16(out, 0);
        Put32(out, 0);
        Put32(out, Field32(offsets[i], e.zip64Fields & 4));
        out += e.name;
        out += extra;
    }
    const uint64_t directorySize = out.size() - directoryOffset;
    uint32_t count = static_cast<uint32_t>(entries.size());
    if (zip64) {
        const uint64_t recordOffset = out.size();
        Put32(out, 0x06064B50);
        Put64(out, 44);
        Put16(out, 45);
        Put16(out, 45);
        Put32(out, 0);
        Put32(out, 0);
        Put64(out, entries.size());
        Put64(out, entries.size());
        Put64(out, directorySize);
        Put64(out, directoryOffset);
        Put32(out, 0x07064B50);
        Put32(out, 0);
        Put64(out, recordOffset);
        Put32(out, 1);
        count = 0xFFFF;
    }
    Put32(out, 0x06054B50);
    Put16(out, 0);
    Put16(out, 0);
    Put16(out, count);
    Put16(out, count);
    Put32(out, Field32(directorySize, zip64));
    Put32(out, Field32(directoryOffset, zip64));
    Put16(out, static_cast<uint32_t>(comment.size()));
    out += comment;
    return out;
}

TempFile::TempFile(const std::string& bytes, const wchar_t* extension) {
    wchar_t folder[MAX_PATH];
    wchar_t name[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    // The empty file the system creates reserves the unique name until
    // the destructor; ours carries the wanted extension behind it.
    GetTempFileNameW(folder, L"vzt", 0, name);
    reserved = name;
    path = reserved + extension;
    Rewrite(bytes);
}

TempFile::~TempFile() {
    DeleteFileW(path.c_str());
    DeleteFileW(reserved.c_str());
}

void TempFile::Rewrite(const std::string& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        throw std::runtime_error("cannot create a temporary file");
    }
    DWORD written = 0;
    const BOOL ok = bytes.empty() || WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    if (!ok || written != bytes.size()) {
        throw std::runtime_error("cannot write a temporary file");
    }
}

}  // namespace ziptest
