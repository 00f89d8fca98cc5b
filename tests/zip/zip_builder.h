#pragma once

// Builds ZIP archives byte by byte for the tests: well-formed ones like an
// Office program writes, and crafted ones whose fields lie.
#include <cstdint>
#include <string>
#include <vector>

namespace ziptest {

// Raw DEFLATE by the reference compressor.
std::string DeflateRaw(const std::string& data, int level = 6, int strategy = 0);

struct ZipEntry {
    std::string name;
    std::string payload;  // the bytes as they are stored in the archive
    uint16_t method = 8;
    uint64_t compressedSize = 0;
    uint64_t uncompressedSize = 0;
    uint16_t dosTime = 0;
    uint16_t dosDate = (1 << 5) | 1;  // 1980-01-01
    // Sizes and offset in a ZIP64 extended-information field, each marked
    // 0xFFFFFFFF in the header (zip64Fields: bit 0 uncompressed size,
    // bit 1 compressed size, bit 2 offset).
    unsigned zip64Fields = 0;
    // Extra-field bytes placed before the ZIP64 field.
    std::string extraBefore;
};

class ZipBuilder {
public:
    // Deflated (method 8) at the given level, or stored (method 0) as is.
    ZipEntry& AddDeflated(const std::string& name, const std::string& data, int level = 6);
    ZipEntry& AddStored(const std::string& name, const std::string& data);
    // The caller fills in payload, method and sizes.
    ZipEntry& AddRaw(const std::string& name);

    ZipBuilder& Prefix(const std::string& bytes);
    ZipBuilder& Comment(const std::string& bytes);
    // Writes the ZIP64 end record and locator, with 0xFFFF entry counts in
    // the classic end record.
    ZipBuilder& Zip64();

    std::string Build() const;

private:
    std::vector<ZipEntry> entries;
    std::string prefix;
    std::string comment;
    bool zip64 = false;
};

// A file under the temporary folder, deleted when the object goes away.
class TempFile {
public:
    explicit TempFile(const std::string& bytes, const wchar_t* extension = L".zip");
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    ~TempFile();

    void Rewrite(const std::string& bytes);
    const wchar_t* Path() const { return path.c_str(); }

private:
    std::wstring reserved;
    std::wstring path;
};

}  // namespace ziptest
