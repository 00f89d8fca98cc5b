// Thousands of damaged archives and DEFLATE streams, made from well-formed
// ones by a seeded generator: whatever the damage, the reader and the
// decoder return cleanly, stay inside their buffers and finish promptly.
// A failure names the round, which the same seed reproduces.
#include <gtest/gtest.h>
#include <zlib.h>

#include <string>
#include <vector>

#include "core/qbuffer.h"
#include "test_data.h"
#include "zip/qinflater.h"
#include "zip/qzipreader.h"
#include "mutation.h"
#include "zip_builder.h"

using kiln::qstd::QBuffer;
using kiln::qzip::QZFileItem;
using kiln::qzip::QZipReader;
using kiln::qzip::QZTree;
using ziptest::Random;
using ziptest::ZipBuilder;

namespace {

const uint32_t Seed = 0x5EED2026;

std::string OfficeLikeArchive(bool zip64) {
    const std::string document = "<?xml version=\"1.0\"?><w:document xmlns:w=\"x\"><w:body>" +
                                 ziptest::ProseText(3000, 7) + "</w:body></w:document>";
    ZipBuilder b;
    if (zip64) {
        b.Zip64();
    }
    b.AddStored("[Content_Types].xml", "<Types/>");
    b.AddDeflated("word/document.xml", document, 9).zip64Fields = zip64 ? 7 : 0;
    {
        ziptest::ZipEntry& fixed = b.AddStored("word/fixed.xml", "");
        fixed.payload = ziptest::DeflateRaw(document.substr(0, 900), 6, Z_FIXED);
        fixed.method = 8;
        fixed.compressedSize = fixed.payload.size();
        fixed.uncompressedSize = 900;
    }
    b.AddDeflated("word\\styles.xml", ziptest::NoiseBytes(600), 0);
    b.AddStored("docProps/", "");
    b.AddDeflated("docProps/app.xml", std::string(5000, 'a')).zip64Fields = zip64 ? 4 : 0;
    b.Comment("made by the robustness test");
    return b.Build();
}

// Every path in the tree, the deepest last; at most `limit` of them.
void CollectPaths(const QZTree::Node* node, const std::wstring& prefix, std::vector<std::wstring>& paths, size_t limit) {
    for (unsigned i = 0; i < node->GetChildCount() && paths.size() < limit; ++i) {
        const QZTree::Node* child = node->GetChild(i);
        const std::wstring path = prefix + child->GetName().c_str();
        paths.push_back(path);
        CollectPaths(child, path + L"/", paths, limit);
    }
}

TEST(Robustness, DamagedArchivesAreReadOrRefusedCleanly) {
    const std::string originals[] = {OfficeLikeArchive(false), OfficeLikeArchive(true)};
    Random random(Seed);
    ziptest::TempFile file("");
    QBuffer out;
    unsigned readable = 0;
    unsigned extracted = 0;
    for (unsigned round = 0; round < 3000; ++round) {
        SCOPED_TRACE(testing::Message() << "round " << round << " of seed " << Seed);
        const std::string& original = originals[round % 2];
        const size_t directory = original.find("PK\x01\x02");
        file.Rewrite(ziptest::Mutate(original, directory, random));

        QZipReader reader;
        ASSERT_TRUE(reader.Open(file.Path()));
        if (!reader.ReadDirectory()) {
            continue;
        }
        ++readable;
        std::vector<std::wstring> paths;
        if (reader.GetTree().GetRoot()) {
            CollectPaths(reader.GetTree().GetRoot(), L"", paths, 40);
        }
        paths.push_back(L"word/document.xml");
        for (const std::wstring& path : paths) {
            QZFileItem item;
            const bool found = reader.GetTree().Find(path.c_str(), item);
            if (reader.Extract(path.c_str(), out)) {
                ++extracted;
                ASSERT_TRUE(found);
                if (item.uncompressedSize != 0) {
                    ASSERT_LE(out.GetCount(), item.uncompressedSize);
                }
            }
        }
        reader.Close();
    }
    // The damage must leave enough archives readable to exercise extraction.
    EXPECT_GT(readable, 300u);
    EXPECT_GT(extracted, 1000u);
}

TEST(Robustness, DamagedStreamsDecodeOrFailInsideTheirBuffers) {
    const std::string prose = ziptest::ProseText(4000, 3);
    const struct {
        std::string data;
        std::string stream;
    } originals[] = {
        {prose, ziptest::DeflateRaw(prose, 9)},
        {prose, ziptest::DeflateRaw(prose, 6, Z_FIXED)},
        {prose, ziptest::DeflateRaw(prose, 1, Z_HUFFMAN_ONLY)},
        {prose, ziptest::DeflateRaw(prose, 0)},
        {std::string(20000, 'z'), ziptest::DeflateRaw(std::string(20000, 'z'), 9)},
    };
    const kiln::qzip::QInflater inflater;
    Random random(Seed + 1);
    std::vector<unsigned char> out;
    for (unsigned round = 0; round < 30000; ++round) {
        SCOPED_TRACE(testing::Message() << "round " << round << " of seed " << Seed + 1);
        const auto& original = originals[round % 5];
        std::string stream;
        if (round % 10 == 9) {
            stream = ziptest::NoiseBytes(1 + random.Below(300), random.Next());
        } else {
            stream = ziptest::Mutate(original.stream, 0, random);
        }
        // Room as the directory would claim it, sometimes too little.
        const size_t room = random.Below(4) ? original.data.size() : random.Below(original.data.size() + 1);
        out.assign(room + 16, 0xA5);
        uint64_t produced = room;
        inflater.Inflate(out.data(), produced, reinterpret_cast<const unsigned char*>(stream.data()), stream.size());
        ASSERT_LE(produced, room);
        for (size_t i = room; i < out.size(); ++i) {
            ASSERT_EQ(0xA5, out[i]) << "wrote past the destination";
        }
    }
}

}  // namespace
