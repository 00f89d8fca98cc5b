// The DEFLATE decoder against the reference compressor, and against
// hand-made streams for every data error it must detect.
#include <gtest/gtest.h>
#include <zlib.h>

#include <string>
#include <vector>

#include "bit_writer.h"
#include "test_data.h"
#include "zip/qinflater.h"
#include "zip/qzipreader.h"
#include "zip_builder.h"

using kiln::qzip::InflateStatus;
using kiln::qzip::QInflater;
using ziptest::BitWriter;

namespace {

struct Decoded {
    InflateStatus status;
    std::string output;
};

Decoded Decode(const std::string& stream, size_t room) {
    static const QInflater inflater;
    // One spare byte behind the room catches a write past it.
    std::string out(room + 1, '\x5A');
    uint64_t produced = room;
    const InflateStatus status =
        inflater.Inflate(reinterpret_cast<unsigned char*>(&out[0]), produced,
                         reinterpret_cast<const unsigned char*>(stream.data()), stream.size());
    EXPECT_LE(produced, room);
    EXPECT_EQ('\x5A', out[room]) << "wrote past the destination";
    out.resize(static_cast<size_t>(produced));
    return {status, out};
}

// The stream decoded in pieces of at most chunk bytes, as a reader pulls it.
Decoded DecodeInPieces(const std::string& stream, size_t chunk) {
    static const QInflater inflater;
    kiln::qzip::QInflateStream pieces(inflater, reinterpret_cast<const unsigned char*>(stream.data()),
                                      stream.size());
    Decoded decoded{InflateStatus::Ok, ""};
    std::string piece(chunk + 1, '\x5A');
    for (;;) {
        size_t produced = 0;
        decoded.status = pieces.Read(reinterpret_cast<unsigned char*>(&piece[0]), chunk, produced);
        EXPECT_LE(produced, chunk);
        EXPECT_EQ('\x5A', piece[chunk]) << "wrote past the piece";
        decoded.output.append(piece, 0, produced);
        if (decoded.status != InflateStatus::Ok || produced < chunk) break;
    }
    if (decoded.status == InflateStatus::Ok) {
        EXPECT_TRUE(pieces.Finished());
    }
    return decoded;
}

unsigned FirstBlockType(const std::string& stream) {
    return (static_cast<unsigned char>(stream[0]) >> 1) & 3;
}

// Several blocks in one stream: the strategy changes between chunks and a
// full flush ends each chunk with an empty stored block.
std::string DeflateInChunks(const std::string& data, size_t chunk) {
    z_stream s{};
    deflateInit2(&s, 6, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&s, static_cast<uLong>(data.size())) + 1024, '\0');
    s.next_out = reinterpret_cast<Bytef*>(&out[0]);
    s.avail_out = static_cast<uInt>(out.size());
    const int strategies[] = {Z_FIXED, Z_DEFAULT_STRATEGY, Z_HUFFMAN_ONLY, Z_RLE};
    for (size_t at = 0, round = 0; at < data.size(); at += chunk, ++round) {
        deflateParams(&s, round % 3 == 2 ? 0 : 6, strategies[round % 4]);
        s.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data() + at));
        s.avail_in = static_cast<uInt>(std::min(chunk, data.size() - at));
        deflate(&s, at + chunk >= data.size() ? Z_FINISH : Z_FULL_FLUSH);
    }
    out.resize(s.total_out);
    deflateEnd(&s);
    return out;
}

TEST(Inflate, DecodesWhatTheReferenceCompressorWritesAtEveryLevelAndStrategy) {
    const struct {
        const char* name;
        std::string data;
    } inputs[] = {
        {"empty", ""},
        {"one byte", "x"},
        {"tiny", "Hello"},
        {"prose", ziptest::ProseText(150000)},
        {"incompressible", ziptest::NoiseBytes(70000)},
        {"one repeated byte", std::string(300000, 'a')},
        {"repeated pattern", [] {
             std::string s;
             while (s.size() < 100000) s += "abcabcabd";
             return s;
         }()},
    };
    const int strategies[] = {Z_DEFAULT_STRATEGY, Z_FILTERED, Z_HUFFMAN_ONLY, Z_RLE, Z_FIXED};
    for (const auto& input : inputs) {
        for (int level = 0; level <= 9; ++level) {
            for (int strategy : strategies) {
                SCOPED_TRACE(testing::Message() << input.name << ", level " << level << ", strategy " << strategy);
                const std::string stream = ziptest::DeflateRaw(input.data, level, strategy);
                const Decoded decoded = Decode(stream, input.data.size());
                EXPECT_EQ(InflateStatus::Ok, decoded.status);
                EXPECT_TRUE(decoded.output == input.data);
            }
        }
    }
}

TEST(Inflate, DecodesStoredFixedAndDynamicBlocks) {
    const std::string prose = ziptest::ProseText(20000);
    const struct {
        int level;
        int strategy;
        unsigned blockType;
    } cases[] = {{0, Z_DEFAULT_STRATEGY, 0}, {6, Z_FIXED, 1}, {6, Z_DEFAULT_STRATEGY, 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "block type " << c.blockType);
        const std::string stream = ziptest::DeflateRaw(prose, c.level, c.strategy);
        ASSERT_EQ(c.blockType, FirstBlockType(stream));
        const Decoded decoded = Decode(stream, prose.size());
        EXPECT_EQ(InflateStatus::Ok, decoded.status);
        EXPECT_TRUE(decoded.output == prose);
    }
}

TEST(Inflate, DecodesAStreamOfManyBlocksOfMixedTypes) {
    const std::string data = ziptest::ProseText(100000) + ziptest::NoiseBytes(30000) + std::string(50000, ' ');
    const Decoded decoded = Decode(DeflateInChunks(data, 9000), data.size());
    EXPECT_EQ(InflateStatus::Ok, decoded.status);
    EXPECT_TRUE(decoded.output == data);
}

// The reference compressor never reaches the full window; a hand-made stream does.
TEST(Inflate, CopiesTheLongestMatchFromTheFarthestDistance) {
    const std::string window = ziptest::NoiseBytes(32768);
    BitWriter w;
    w.Bits(0, 1).Bits(0, 2).AlignToByte().Bytes(std::string("\x00\x80\xFF\x7F", 4)).Bytes(window);
    w.Bits(1, 1).Bits(1, 2).FixedSymbol(285).Code(29, 5).Bits(8191, 13).FixedSymbol(256);
    const Decoded decoded = Decode(w.Data(), 32768 + 258);
    EXPECT_EQ(InflateStatus::Ok, decoded.status);
    EXPECT_TRUE(decoded.output == window + window.substr(0, 258));
}

TEST(Inflate, DecodesAHandMadeDynamicBlockWithAnOverlappingMatch) {
    // Literal 'A' has code 0, end of block 10, length 3 (symbol 257) 11;
    // the only distance code (distance 1) is 0.
    BitWriter w;
    w.Bits(1, 1).Bits(2, 2);
    w.DynamicHeader(258, 1, {{18, 65 - 11}, {1, 0}, {18, 127}, {18, 52 - 11}, {2, 0}, {2, 0}, {1, 0}});
    w.Code(0, 1).Code(3, 2).Code(0, 1).Code(3, 2).Code(0, 1).Code(2, 2);
    const Decoded decoded = Decode(w.Data(), 100);
    EXPECT_EQ(InflateStatus::Ok, decoded.status);
    EXPECT_EQ("AAAAAAA", decoded.output);
}

// Input that runs out exactly between two symbols, or after a block that is
// not the last, ends the data without an error.
TEST(Inflate, InputEndingBetweenSymbolsOrBlocksIsNotAnError) {
    BitWriter unfinished;  // 3 header bits and five 9-bit literals: 48 bits, no end of block
    unfinished.Bits(1, 1).Bits(1, 2);
    for (int i = 0; i < 5; ++i) unfinished.FixedSymbol(0xE9);
    Decoded decoded = Decode(unfinished.Data(), 10);
    EXPECT_EQ(InflateStatus::Ok, decoded.status);
    EXPECT_EQ(std::string(5, '\xE9'), decoded.output);

    BitWriter notLast;
    notLast.Bits(0, 1).Bits(1, 2).FixedSymbol('x').FixedSymbol(256);
    decoded = Decode(notLast.Data(), 10);
    EXPECT_EQ(InflateStatus::Ok, decoded.status);
    EXPECT_EQ("x", decoded.output);
}

TEST(Inflate, DetectsEveryDataError) {
    const std::string prose = ziptest::ProseText(5000);
    const struct {
        const char* name;
        std::string stream;
        size_t room;
        InflateStatus expected;
    } cases[] = {
        {"block type 3", BitWriter().Bits(1, 1).Bits(3, 2).Data(), 10, InflateStatus::BadBlockType},
        {"LEN and NLEN disagree", BitWriter().Bits(1, 1).Bits(0, 2).Bytes(std::string("\x05\x00\xFA\xFE" "abcde", 9)).Data(), 10,
         InflateStatus::StoredLengthMismatch},
        {"code longer than 15 bits",
         // Only the end of block has a literal/length code (0); a run of ones matches nothing.
         BitWriter().Bits(1, 1).Bits(2, 2).DynamicHeader(257, 1, {{18, 127}, {18, 107}, {1, 0}, {1, 0}})
             .Code(0xFFFF, 16).Data(), 10, InflateStatus::CodeTooLong},
        {"repeat of no previous length", BitWriter().Bits(1, 1).Bits(2, 2).DynamicHeader(257, 1, {{16, 0}}).Data(), 10,
         InflateStatus::RepeatWithoutLength},
        {"length run past the counts", BitWriter().Bits(1, 1).Bits(2, 2).DynamicHeader(257, 1, {{18, 127}, {18, 127}}).Data(), 10,
         InflateStatus::LengthRunTooLong},
        {"literal/length symbol 286", BitWriter().Bits(1, 1).Bits(1, 2).FixedSymbol(286).Data(), 10, InflateStatus::BadSymbol},
        {"distance symbol 30", BitWriter().Bits(1, 1).Bits(1, 2).FixedSymbol('a').FixedSymbol(257).Code(30, 5).Data(), 10,
         InflateStatus::BadSymbol},
        {"distance before the start", BitWriter().Bits(1, 1).Bits(1, 2).FixedSymbol('a').FixedSymbol(257).Code(1, 5).Data(), 10,
         InflateStatus::DistanceTooFar},
        {"empty input", "", 10, InflateStatus::InputExhausted},
        {"input ends inside a code", BitWriter().Bits(1, 1).Bits(1, 2).Code(0x3, 4).Data(), 10, InflateStatus::InputExhausted},
        {"input ends inside a dynamic header", BitWriter().Bits(1, 1).Bits(2, 2).Bits(0, 5).Data(), 10,
         InflateStatus::InputExhausted},
        {"stored block longer than the input", BitWriter().Bits(1, 1).Bits(0, 2).Bytes(std::string("\x0A\x00\xF5\xFF" "abc", 7)).Data(), 20,
         InflateStatus::InputExhausted},
        {"truncated reference stream", ziptest::DeflateRaw(prose).substr(0, 700), prose.size(), InflateStatus::InputExhausted},
        {"literal beyond the room", BitWriter().Bits(1, 1).Bits(1, 2).FixedSymbol('a').FixedSymbol('b').FixedSymbol(256).Data(), 1,
         InflateStatus::OutputFull},
        {"match beyond the room", BitWriter().Bits(1, 1).Bits(1, 2).FixedSymbol('a').FixedSymbol(264).Code(0, 5).FixedSymbol(256).Data(),
         5, InflateStatus::OutputFull},
        {"stored block beyond the room", BitWriter().Bits(1, 1).Bits(0, 2).Bytes(std::string("\x05\x00\xFA\xFF" "abcde", 9)).Data(), 4,
         InflateStatus::OutputFull},
        {"reference stream beyond the room", ziptest::DeflateRaw(prose), prose.size() - 1, InflateStatus::OutputFull},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.expected, Decode(c.stream, c.room).status);
        // In pieces the room is unbounded; every other error is found alike.
        if (c.expected != InflateStatus::OutputFull) {
            EXPECT_EQ(c.expected, DecodeInPieces(c.stream, 3).status);
        }
    }
}

TEST(Inflate, ReaderReportsSuccessAsZeroAndDataErrorsAsMinusOne) {
    const kiln::qzip::QZipReader reader;
    const std::string good = ziptest::DeflateRaw("Hello, world");
    const std::string bad = BitWriter().Bits(1, 1).Bits(3, 2).Data();
    unsigned char out[32];
    uint64_t produced = sizeof(out);
    EXPECT_EQ(0, reader.Inflate(out, produced, reinterpret_cast<const unsigned char*>(good.data()), good.size()));
    EXPECT_EQ(12u, produced);
    produced = sizeof(out);
    EXPECT_EQ(-1, reader.Inflate(out, produced, reinterpret_cast<const unsigned char*>(bad.data()), bad.size()));
}

// Pieces of any size, whatever the blocks, give what a whole decode gives:
// matches reaching back across pieces and across the 32 KB window's wrap.
TEST(Inflate, InPiecesGivesWhatAWholeDecodeGives) {
    const std::string prose = ziptest::ProseText(200000);
    const std::string noise = ziptest::NoiseBytes(70000);
    const struct {
        const char* name;
        std::string data;
        std::string stream;
    } streams[] = {
        {"reference stream", prose, ziptest::DeflateRaw(prose)},
        {"stored, fixed, dynamic and flushed blocks", prose, DeflateInChunks(prose, 20000)},
        {"incompressible", noise, ziptest::DeflateRaw(noise, 0)},
        {"one long run", std::string(300000, 'r'), ziptest::DeflateRaw(std::string(300000, 'r'), 9)},
    };
    for (const auto& s : streams) {
        for (size_t chunk : {size_t(1), size_t(258), size_t(4096), size_t(32768), size_t(65537), size_t(1) << 20}) {
            SCOPED_TRACE(std::string(s.name) + ", pieces of " + std::to_string(chunk));
            const Decoded decoded = DecodeInPieces(s.stream, chunk);
            EXPECT_EQ(InflateStatus::Ok, decoded.status);
            EXPECT_TRUE(decoded.output == s.data);
        }
    }
}

}  // namespace
