// The ZIP writer: its CRC and its DEFLATE checked against the reference
// library, and whole archives read back by the program's own reader.
#include <gtest/gtest.h>
#include <windows.h>
#include <zlib.h>

#include <random>
#include <string>

#include "zip/qzipreader.h"
#include "zip/qzipwriter.h"

using kiln::qstd::QBuffer;
using kiln::qzip::QZipWriter;

namespace {

std::string InflateWithReference(const QBuffer& deflated, size_t expected) {
    std::string out(expected + 16, '\0');
    z_stream stream = {};
    EXPECT_EQ(Z_OK, inflateInit2(&stream, -15));
    stream.next_in = const_cast<Bytef*>(deflated.GetData());
    stream.avail_in = deflated.GetCount();
    stream.next_out = reinterpret_cast<Bytef*>(&out[0]);
    stream.avail_out = static_cast<uInt>(out.size());
    EXPECT_EQ(Z_STREAM_END, inflate(&stream, Z_FINISH)) << "not one complete DEFLATE stream";
    EXPECT_EQ(0u, stream.avail_in) << "bytes after the last block";
    out.resize(stream.total_out);
    inflateEnd(&stream);
    return out;
}

std::string Text(size_t size, unsigned seed) {
    static const char* const kWords[] = {"card ", "tree ", "import ", "the ", "Vorlen ", "<w:r>", "</w:t>", "\n"};
    std::mt19937 random(seed);
    std::string text;
    while (text.size() < size) text += kWords[random() % 8];
    text.resize(size);
    return text;
}

std::string Noise(size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>(random());
    return bytes;
}

TEST(ZipWriter, CrcMatchesTheReference) {
    EXPECT_EQ(0xCBF43926u, kiln::qzip::Crc32("123456789", 9));
    EXPECT_EQ(0u, kiln::qzip::Crc32("", 0));
    const std::string noise = Noise(100000, 3);
    const uint32_t whole = kiln::qzip::Crc32(noise.data(), noise.size());
    EXPECT_EQ(crc32(0, reinterpret_cast<const Bytef*>(noise.data()), static_cast<uInt>(noise.size())), whole);
    EXPECT_EQ(whole, kiln::qzip::Crc32(noise.data() + 777, noise.size() - 777, kiln::qzip::Crc32(noise.data(), 777)))
        << "continued in two pieces";
}

TEST(ZipWriter, DeflateInflatesBackWithTheReference) {
    struct Case {
        const char* name;
        std::string data;
        bool shrinks;
    };
    const Case cases[] = {
        {"empty", "", false},
        {"one byte", "x", false},
        {"a run longer than the longest match", std::string(5000, 'a'), true},
        {"markup", Text(200000, 1), true},
        {"noise", Noise(70000, 2), false},
        // A repeat 32,768 bytes back (the farthest a match may reach) and one
        // just beyond it.
        {"far repeats", Noise(32768, 4) + Noise(32768, 4).substr(0, 300) + Noise(40000, 5) + Noise(40000, 5), false},
        {"every byte value", [] {
             std::string all;
             for (int i = 0; i < 256 * 4; ++i) all += static_cast<char>(i);
             return all;
         }(), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QBuffer deflated;
        kiln::qzip::DeflateFixed(reinterpret_cast<const unsigned char*>(c.data.data()), c.data.size(), deflated);
        EXPECT_TRUE(InflateWithReference(deflated, c.data.size()) == c.data);
        if (c.shrinks) {
            EXPECT_LT(deflated.GetCount(), c.data.size() * 6 / 10);
        }
    }
}

std::wstring TempFile(const wchar_t* name) {
    wchar_t folder[MAX_PATH];
    const DWORD n = GetTempPathW(MAX_PATH, folder);
    return std::wstring(folder, n) + name;
}

TEST(ZipWriter, ArchivesReadBackWithTheProgramsReader) {
    const std::string markup = Text(50000, 9);
    const std::string noise = Noise(3000, 8);
    QZipWriter writer;
    writer.Add("[Content_Types].xml", markup.data(), markup.size(), QZipWriter::Method::Deflated);
    writer.Add("word/media/image1.png", noise.data(), noise.size(), QZipWriter::Method::Deflated);
    writer.Add("empty.txt", "", 0, QZipWriter::Method::Stored);
    writer.Add("docs/\xC3\xBC" "ber.txt", "stored", 6, QZipWriter::Method::Stored);
    ASSERT_TRUE(writer.Finish());
    EXPECT_LT(writer.GetBytes().GetCount(), markup.size() / 2 + noise.size() + 1000);

    const std::wstring path = TempFile(L"vorlen-zip-writer.zip");
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    DWORD written = 0;
    WriteFile(file, writer.GetBytes().GetData(), writer.GetBytes().GetCount(), &written, nullptr);
    CloseHandle(file);

    kiln::qzip::QZipReader reader;
    ASSERT_TRUE(reader.Open(path.c_str()));
    ASSERT_TRUE(reader.ReadDirectory());
    EXPECT_EQ(4u, reader.GetDirectoryEnd().totalEntries);
    const struct {
        const wchar_t* name;
        std::string data;
    } entries[] = {{L"[Content_Types].xml", markup},
                   {L"word/media/image1.png", noise},
                   {L"empty.txt", ""},
                   {L"docs/\u00FCber.txt", "stored"}};
    for (const auto& entry : entries) {
        QBuffer out;
        EXPECT_TRUE(reader.Extract(entry.name, out));
        EXPECT_EQ(entry.data, std::string(reinterpret_cast<const char*>(out.GetData()), out.GetCount()));
    }
    reader.Close();
    DeleteFileW(path.c_str());
}

}  // namespace
