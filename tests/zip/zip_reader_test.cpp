// Finding the directory, building the path tree and extracting entries from
// archives the tests write, well-formed and lying.
#include <gtest/gtest.h>

#include <string>

#include "core/qbuffer.h"
#include "core/qstring.h"
#include "test_data.h"
#include "zip/qzipreader.h"
#include "zip_builder.h"

using kiln::qstd::QBuffer;
using kiln::qstd::QString;
using kiln::qzip::QZFileItem;
using kiln::qzip::QZipReader;
using kiln::qzip::QZTree;
using ziptest::TempFile;
using ziptest::ZipBuilder;

namespace {

std::string EndRecord(uint16_t entries, uint32_t directorySize, uint32_t directoryOffset, const std::string& comment) {
    std::string r("PK\x05\x06", 4);
    auto put16 = [&r](uint32_t v) { r += static_cast<char>(v & 0xFF); r += static_cast<char>(v >> 8); };
    put16(0);
    put16(0);
    put16(entries);
    put16(entries);
    put16(directorySize & 0xFFFF);
    put16(directorySize >> 16);
    put16(directoryOffset & 0xFFFF);
    put16(directoryOffset >> 16);
    put16(static_cast<uint32_t>(comment.size()));
    return r + comment;
}

std::string Contents(const QBuffer& buffer) {
    return std::string(reinterpret_cast<const char*>(buffer.GetData()), buffer.GetCount());
}

// An archive on disk, opened and its directory read.
class Archive {
public:
    explicit Archive(const std::string& bytes) : file(bytes) {
        opened = reader.Open(file.Path());
        read = opened && reader.ReadDirectory();
    }

    bool Extract(const wchar_t* path, std::string& out) {
        QBuffer buffer;
        const bool ok = reader.Extract(path, buffer);
        out = Contents(buffer);
        return ok;
    }

    // The entry through a reader of pieces of at most chunk bytes: what the
    // XML parser of a large part gets.
    bool ReadInPieces(const wchar_t* path, size_t chunk, std::string& out) {
        out.clear();
        QZFileItem item;
        kiln::qzip::QZipEntryReader entry;
        if (!reader.GetTree().Find(path, item) || !reader.OpenEntry(item, entry)) return false;
        std::string piece(chunk, '\0');
        for (;;) {
            size_t got = 0;
            if (!entry.Read(reinterpret_cast<unsigned char*>(&piece[0]), chunk, got)) return false;
            if (got == 0) return true;
            out.append(piece, 0, got);
        }
    }

    TempFile file;
    QZipReader reader;
    bool opened;
    bool read;
};

QZFileItem Find(const QZipReader& reader, const wchar_t* path, bool& found) {
    QZFileItem item;
    found = reader.GetTree().Find(path, item);
    return item;
}

TEST(ZipDirectory, FindsTheEndRecordOrRefusesTheFile) {
    const std::string twoEntries = [] {
        ZipBuilder b;
        b.AddStored("a.txt", "alpha");
        b.AddDeflated("b.txt", "beta");
        return b.Build();
    }();
    const std::string bigComment = ZipBuilder().Comment(std::string(65535, 'c')).Build();
    const struct {
        const char* name;
        std::string bytes;
        bool readable;
        unsigned rootChildren;
    } cases[] = {
        {"empty archive of 22 bytes", EndRecord(0, 0, 0, ""), false, 0},
        {"one junk byte before an empty end record", "J" + EndRecord(0, 0, 0, ""), true, 0},
        {"two entries", twoEntries, true, 2},
        {"end record 1,500 bytes before the end of 1,600",
         std::string(100, 'J') + EndRecord(0, 0, 0, std::string(1478, 'c')), true, 0},
        {"comment of 65,535 bytes", bigComment, true, 0},
        {"end record 70,022 bytes before the end", ZipBuilder().Build() + std::string(70000, 'j'), false, 0},
        {"signature in the last 21 bytes only", std::string(40, 'J') + "PK\x05\x06" + std::string(10, 'J'), false, 0},
        {"no signature", std::string(5000, 'J'), false, 0},
        {"nothing", "", false, 0},
        {"too many entries claimed", twoEntries.substr(0, twoEntries.size() - 22) +
                                         EndRecord(3, 0, static_cast<uint32_t>(twoEntries.find("PK\x01\x02")), ""),
         false, 0},
        {"directory offset not at a central header", twoEntries.substr(0, twoEntries.size() - 22) + EndRecord(2, 0, 3, ""),
         false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Archive archive(c.bytes);
        ASSERT_TRUE(archive.opened);
        EXPECT_EQ(c.readable, archive.read);
        if (c.readable) {
            const auto* root = archive.reader.GetTree().GetRoot();
            EXPECT_EQ(c.rootChildren, root ? root->GetChildCount() : 0u);
        }
    }
}

// A signature window is 1,024 bytes and consecutive windows overlap by 3:
// a record cut by the edge of the first window is found by the second.
TEST(ZipDirectory, FindsASignatureCutByTheWindowEdge) {
    for (size_t cut = 1; cut <= 3; ++cut) {
        SCOPED_TRACE(cut);
        // The signature starts `cut` bytes before the first window.
        const size_t commentLength = 1024 - 22 + cut;
        const std::string bytes = std::string(300, 'J') + EndRecord(0, 0, 0, std::string(commentLength, 'c'));
        Archive archive(bytes);
        EXPECT_TRUE(archive.read);
    }
}

TEST(ZipDirectory, TakesTheSignatureNearestTheEnd) {
    ZipBuilder b;
    b.AddStored("real.txt", "real");
    // The comment ends in a second, empty end record: it is the one taken.
    const std::string bytes = b.Comment("note " + EndRecord(0, 0, 0, "")).Build();
    Archive archive(bytes);
    ASSERT_TRUE(archive.read);
    EXPECT_EQ(nullptr, archive.reader.GetTree().GetRoot());
    EXPECT_EQ(0u, archive.reader.GetDirectoryEnd().totalEntries);
}

TEST(ZipDirectory, ReadsEntryFieldsAndTheFileItself) {
    ZipBuilder b;
    ziptest::ZipEntry& entry = b.AddDeflated("docs/Grüße 文.xml", ziptest::ProseText(3000));
    entry.dosDate = static_cast<uint16_t>(((2021 - 1980) << 9) | (7 << 5) | 14);  // 2021-07-14
    entry.dosTime = static_cast<uint16_t>((13 << 11) | (45 << 5) | (30 / 2));    // 13:45:30
    const std::string bytes = b.Build();
    Archive archive(bytes);
    ASSERT_TRUE(archive.read);

    bool found;
    const QZFileItem item = Find(archive.reader, L"docs/Grüße 文.xml", found);
    ASSERT_TRUE(found);
    EXPECT_TRUE(item.name == QString(L"docs/Grüße 文.xml"));
    EXPECT_EQ(3000u, item.uncompressedSize);
    EXPECT_EQ(entry.payload.size(), item.compressedSize);
    EXPECT_EQ(8u, item.compressionMethod);
    EXPECT_EQ(0u, item.localHeaderOffset);
    EXPECT_EQ(QZFileItem::AttrArchive, item.attributes);

    // The DOS time is this machine's wall clock: 2021-07-14 13:45:30 local.
    SYSTEMTIME wall = {2021, 7, 0, 14, 13, 45, 30, 0};
    FILETIME local;
    FILETIME utc;
    ASSERT_TRUE(SystemTimeToFileTime(&wall, &local) && LocalFileTimeToFileTime(&local, &utc));
    const int64_t wallAsUtc = 1626270330;  // 2021-07-14 13:45:30 UTC
    auto ticks = [](const FILETIME& t) {
        return static_cast<int64_t>(static_cast<uint64_t>(t.dwHighDateTime) << 32 | t.dwLowDateTime);
    };
    const int64_t localBias = (ticks(local) - ticks(utc)) / 10000000;
    EXPECT_EQ(wallAsUtc - localBias, item.modificationTime);

    EXPECT_EQ(bytes.size(), archive.reader.GetSize());
    FILETIME written;
    HANDLE h = CreateFileW(archive.file.Path(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    GetFileTime(h, nullptr, nullptr, &written);
    CloseHandle(h);
    EXPECT_EQ(ticks(written) / 10000000 - 11644473600, archive.reader.GetTime());
}

TEST(ZipDirectory, OpenFailsForAMissingFile) {
    QZipReader reader;
    EXPECT_FALSE(reader.Open(L"C:\\no such folder\\no such file.docx"));
    EXPECT_FALSE(reader.ReadDirectory());
}

TEST(ZipTree, MakesUpFolderNodesAndKeepsTheFirstEntryOfAPath) {
    ZipBuilder b;
    ziptest::ZipEntry& first = b.AddStored("word/document.xml", "first");
    first.dosDate = static_cast<uint16_t>((30 << 9) | (3 << 5) | 9);
    b.AddStored("word/styles.xml", "styles").dosDate = static_cast<uint16_t>((35 << 9) | (1 << 5) | 1);
    b.AddStored("word/", "");
    b.AddStored("word/document.xml", "second");
    b.AddStored("", "nameless");
    const std::string bytes = b.Build();
    Archive archive(bytes);
    ASSERT_TRUE(archive.read);

    const QZTree::Node* root = archive.reader.GetTree().GetRoot();
    ASSERT_NE(nullptr, root);
    EXPECT_TRUE(root->GetName() == QString(L"#"));
    ASSERT_EQ(1u, root->GetChildCount());
    const QZTree::Node* word = root->GetChild(0);
    EXPECT_TRUE(word->GetName() == QString(L"word"));
    EXPECT_TRUE(word->GetItem().name == QString(L"word"));
    EXPECT_EQ(QZFileItem::AttrDirectory, word->GetItem().attributes);
    EXPECT_EQ(0u, word->GetItem().uncompressedSize);
    EXPECT_EQ(0u, word->GetItem().localHeaderOffset);
    bool found;
    EXPECT_EQ(Find(archive.reader, L"word/document.xml", found).modificationTime, word->GetItem().modificationTime);
    ASSERT_EQ(2u, word->GetChildCount());
    EXPECT_TRUE(word->GetChild(0)->GetName() == QString(L"document.xml"));
    EXPECT_TRUE(word->GetChild(1)->GetName() == QString(L"styles.xml"));

    std::string text;
    EXPECT_TRUE(archive.Extract(L"word/document.xml", text));
    EXPECT_EQ("first", text);
}

TEST(ZipTree, LooksUpPathsExactlyButForgivesStraySlashes) {
    ZipBuilder b;
    b.AddStored("word/document.xml", "slash");
    b.AddStored("xl\\workbook.xml", "backslash");
    b.AddStored("ppt/", "");
    const std::string bytes = b.Build();
    Archive archive(bytes);
    ASSERT_TRUE(archive.read);

    const struct {
        const wchar_t* path;
        bool found;
        uint32_t attributes;
    } cases[] = {
        {L"word/document.xml", true, QZFileItem::AttrArchive},
        {L"Word/document.xml", false, 0},
        {L"word/Document.xml", false, 0},
        {L"/word//document.xml", true, QZFileItem::AttrArchive},
        {L"word/document.xml/", true, QZFileItem::AttrArchive},
        {L"word\\document.xml", false, 0},
        {L"xl/workbook.xml", true, QZFileItem::AttrArchive},
        {L"ppt", true, QZFileItem::AttrDirectory},
        {L"word", true, QZFileItem::AttrDirectory},
        {L"word/document", false, 0},
        {L"", true, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "path index " << (&c - cases));
        bool found;
        const QZFileItem item = Find(archive.reader, c.path, found);
        EXPECT_EQ(c.found, found);
        if (found) {
            EXPECT_EQ(c.attributes, item.attributes);
        }
    }
    bool found;
    EXPECT_TRUE(Find(archive.reader, L"xl/workbook.xml", found).name == QString(L"xl/workbook.xml"));
    QZTree empty;
    QZFileItem item;
    EXPECT_FALSE(empty.Find(L"", item));
}

// A hostile archive may hold tens of thousands of entries in one folder, or
// one path nested tens of thousands of folders deep.
TEST(ZipTree, CopesWithHugeFoldersAndDeepNesting) {
    ZipBuilder b;
    for (int i = 0; i < 40000; ++i) {
        b.AddStored("f/" + std::to_string(i), i == 39999 ? "last" : "");
    }
    std::string deep;
    for (int i = 0; i < 32000; ++i) {
        deep += "d/";
    }
    b.AddStored(deep + "leaf", "deep");
    const std::string bytes = b.Build();
    {
        Archive archive(bytes);
        ASSERT_TRUE(archive.read);
        std::string text;
        EXPECT_TRUE(archive.Extract(L"f/39999", text));
        EXPECT_EQ("last", text);
        EXPECT_TRUE(archive.Extract(QString(deep.c_str(), -1, CP_UTF8) + L"leaf", text));
        EXPECT_EQ("deep", text);
        bool found;
        Find(archive.reader, L"f/40000", found);
        EXPECT_FALSE(found);
        EXPECT_EQ(40000u, archive.reader.GetTree().GetRoot()->GetChild(0)->GetChildCount());
    }
}

TEST(ZipExtract, CopiesStoredEntriesAndDecodesDeflatedOnes) {
    const std::string prose = ziptest::ProseText(50000);
    const std::string noise = ziptest::NoiseBytes(20000);
    ZipBuilder b;
    b.AddStored("stored.xml", prose);
    b.AddDeflated("deflated.xml", prose, 9);
    b.AddDeflated("level0.bin", noise, 0);
    b.AddStored("empty.xml", "");
    const std::string bytes = b.Build();
    Archive archive(bytes);
    ASSERT_TRUE(archive.read);

    std::string text;
    EXPECT_TRUE(archive.Extract(L"stored.xml", text));
    EXPECT_TRUE(text == prose);
    EXPECT_TRUE(archive.Extract(L"deflated.xml", text));
    EXPECT_TRUE(text == prose);
    EXPECT_TRUE(archive.Extract(L"level0.bin", text));
    EXPECT_TRUE(text == noise);
    EXPECT_FALSE(archive.Extract(L"missing.xml", text));
    // In pieces of any size, across the 32 KB that matches look back on.
    for (size_t chunk : {size_t(1), size_t(7), size_t(4096), size_t(32768), size_t(32769), size_t(100000)}) {
        SCOPED_TRACE(chunk);
        EXPECT_TRUE(archive.ReadInPieces(L"stored.xml", chunk, text));
        EXPECT_TRUE(text == prose);
        EXPECT_TRUE(archive.ReadInPieces(L"deflated.xml", chunk, text));
        EXPECT_TRUE(text == prose);
        EXPECT_TRUE(archive.ReadInPieces(L"level0.bin", chunk, text));
        EXPECT_TRUE(text == noise);
        EXPECT_TRUE(archive.ReadInPieces(L"empty.xml", chunk, text));
        EXPECT_EQ(text, "");
    }

    // An empty entry leaves the buffer as it was; a shorter one replaces a longer one.
    QBuffer buffer;
    ASSERT_TRUE(archive.reader.Extract(L"deflated.xml", buffer));
    EXPECT_TRUE(archive.reader.Extract(L"empty.xml", buffer));
    EXPECT_TRUE(Contents(buffer) == prose);
    EXPECT_TRUE(archive.reader.Extract(L"level0.bin", buffer));
    EXPECT_TRUE(Contents(buffer) == noise);

    archive.reader.Close();
    EXPECT_FALSE(archive.reader.Extract(L"stored.xml", buffer));
}

// Offsets count from the start of the file: data in front of an archive is
// fine when the offsets account for it, and is not guessed at when they do not.
TEST(ZipExtract, OffsetsAreNotCorrectedForDataInFront) {
    ZipBuilder b;
    b.AddStored("a.txt", "alpha");
    const std::string archive = b.Build();
    Archive accounted(b.Prefix(std::string(64, 'S')).Build());
    ASSERT_TRUE(accounted.read);
    std::string text;
    EXPECT_TRUE(accounted.Extract(L"a.txt", text));
    EXPECT_EQ("alpha", text);

    Archive unaccounted(std::string(64, 'S') + archive);
    EXPECT_FALSE(unaccounted.read);
}

TEST(ZipExtract, RefusesEntriesWhoseFieldsLie) {
    const std::string prose = ziptest::ProseText(4000);
    const std::string deflated = ziptest::DeflateRaw(prose);
    const std::string lenMismatch("\x01\x05\x00\xFA\xFE" "abcde", 10);

    struct Case {
        const char* name;
        std::string payload;
        uint16_t method;
        uint64_t compressedSize;
        uint64_t uncompressedSize;
        bool ok;
        std::string expected;
    };
    const Case cases[] = {
        {"stored block with LEN and NLEN disagreeing", lenMismatch, 8, lenMismatch.size(), 5, false, ""},
        {"unknown method", deflated, 12, deflated.size(), prose.size(), false, ""},
        {"stored with two sizes", prose, 0, prose.size(), prose.size() - 1, false, ""},
        {"compressed size beyond the file", deflated, 8, 0xFFFFFF, prose.size(), false, ""},
        {"zero compressed size of a non-empty entry", deflated, 8, 0, prose.size(), false, ""},
        {"more output than DEFLATE can make", deflated, 8, deflated.size(), 0xF0000000u, false, ""},
        {"more output than the sizes say", deflated, 8, deflated.size(), prose.size() - 1, false, ""},
        // Less output than announced is not an error, but the unwritten
        // rest of the buffer never passes for content.
        {"less output than the sizes say", deflated, 8, deflated.size(), prose.size() + 1000, true, prose},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ZipBuilder b;
        ziptest::ZipEntry& e = b.AddRaw("entry");
        e.payload = c.payload;
        e.method = c.method;
        e.compressedSize = c.compressedSize;
        e.uncompressedSize = c.uncompressedSize;
        Archive archive(b.Build());
        ASSERT_TRUE(archive.read);
        std::string text;
        EXPECT_EQ(c.ok, archive.Extract(L"entry", text));
        if (c.ok) {
            EXPECT_TRUE(text == c.expected);
        }
        // Read in pieces, a lie is found as late as the data shows it.
        EXPECT_EQ(c.ok, archive.ReadInPieces(L"entry", 1000, text));
        if (c.ok) {
            EXPECT_TRUE(text == c.expected);
        }
    }
}

TEST(ZipExtract, ReadsLocalHeadersByTheirOwnNameAndExtraLengths) {
    ZipBuilder b;
    b.AddStored("a.txt", "alpha");
    std::string bytes = b.Build();
    // Give the local header an extra field of 4 bytes that shifts the data;
    // the central directory keeps its offset.
    bytes.insert(30 + 5, "XXXX");
    bytes[28] = 4;
    const size_t directory = bytes.find("PK\x01\x02");
    bytes[bytes.size() - 6] = static_cast<char>(directory & 0xFF);
    bytes[bytes.size() - 5] = static_cast<char>(directory >> 8);
    Archive archive(bytes);
    ASSERT_TRUE(archive.read);
    std::string text;
    EXPECT_TRUE(archive.Extract(L"a.txt", text));
    EXPECT_EQ("alpha", text);
}

TEST(ZipExtract, FailsOnAShortLocalHeader) {
    ZipBuilder b;
    b.AddStored("a.txt", "alpha");
    std::string bytes = b.Build();
    // Point the entry's local header offset near the end of the file.
    const size_t central = bytes.find("PK\x01\x02");
    const uint32_t offset = static_cast<uint32_t>(bytes.size() - 10);
    for (int i = 0; i < 4; ++i) bytes[central + 42 + i] = static_cast<char>(offset >> (8 * i));
    Archive archive(bytes);
    ASSERT_TRUE(archive.read);
    std::string text;
    EXPECT_FALSE(archive.Extract(L"a.txt", text));
}

TEST(Zip64, ReadsCountsFromTheRecordAndValuesFromTheExtraField) {
    const std::string prose = ziptest::ProseText(6000);
    ZipBuilder b;
    b.Zip64();
    b.AddDeflated("all.xml", prose).zip64Fields = 7;
    b.AddStored("offset only.xml", "only the offset").zip64Fields = 4;
    ziptest::ZipEntry& after = b.AddStored("after another field.xml", "after a timestamp");
    after.zip64Fields = 3;
    after.extraBefore = std::string("UT\x05\x00\x01\x00\x00\x00\x00", 9);
    b.AddStored("plain.xml", "no extra field");
    const std::string bytes = b.Build();
    Archive archive(bytes);
    ASSERT_TRUE(archive.read);
    EXPECT_TRUE(archive.reader.GetDirectoryEnd().zip64);
    EXPECT_EQ(4u, archive.reader.GetDirectoryEnd().totalEntries);

    const struct {
        const wchar_t* path;
        std::string expected;
    } cases[] = {
        {L"all.xml", prose},
        {L"offset only.xml", "only the offset"},
        {L"after another field.xml", "after a timestamp"},
        {L"plain.xml", "no extra field"},
    };
    for (const auto& c : cases) {
        std::string text;
        EXPECT_TRUE(archive.Extract(c.path, text));
        EXPECT_TRUE(text == c.expected);
    }
}

TEST(Zip64, RefusesAWrongLocatorOrRecordSignature) {
    ZipBuilder b;
    b.Zip64();
    b.AddStored("a.txt", "alpha");
    const std::string good = b.Build();
    const size_t locator = good.size() - 22 - 20;
    const size_t record = locator - 56;
    for (size_t signature : {locator, record}) {
        std::string bad = good;
        bad[signature] = 'X';
        Archive archive(bad);
        EXPECT_FALSE(archive.read);
    }
    Archive archive(good);
    EXPECT_TRUE(archive.read);
}

// Without 0xFFFF in both entry counts the ZIP64 record is not looked for,
// even when the directory offset is marked.
TEST(Zip64, OnlyBothEntryCountsLeadToTheRecord) {
    ZipBuilder b;
    b.Zip64();
    b.AddStored("a.txt", "alpha");
    std::string bytes = b.Build();
    bytes[bytes.size() - 22 + 8] = 1;
    bytes[bytes.size() - 22 + 9] = 0;
    Archive archive(bytes);
    EXPECT_FALSE(archive.read);
}

}  // namespace
