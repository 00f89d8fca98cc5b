// Throughput of the program's own DEFLATE decoder beside the reference
// decoder on the same streams: 10 MB of document XML, and the size of a
// long real document part. Run by hand:
//   scripts/wine-run build/bench/zip/inflate_bench.exe
#include <windows.h>
#include <zlib.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "zip/qzipreader.h"

namespace {

// Pseudo-random prose; in Word's paragraph markup (asXml) it is what the
// decoder meets in the program.
std::string Text(size_t size, bool asXml) {
    static const char* const words[] = {"the ",   "card ", "keeps ",  "notes ", "about ", "a ",      "tree ",
                                        "of ",    "titled ", "pages ", "written ", "in ", "rich ",  "text, ",
                                        "with ",  "pictures. ", "Every ", "evening ", "Vorlen ", "2026 "};
    uint32_t state = 12345;
    std::string xml = asXml ? "<?xml version=\"1.0\" encoding=\"UTF-8\"?><w:document><w:body>" : "";
    while (xml.size() < size) {
        if (asXml) {
            xml += "<w:p><w:pPr><w:spacing w:after=\"120\"/></w:pPr><w:r><w:rPr><w:lang w:val=\"en-GB\"/></w:rPr><w:t>";
        }
        const unsigned count = 8 + state % 40;
        for (unsigned i = 0; i < count; ++i) {
            state ^= state << 13;
            state ^= state >> 17;
            state ^= state << 5;
            xml += words[state % (sizeof(words) / sizeof(words[0]))];
        }
        xml += asXml ? "</w:t></w:r></w:p>" : "\n";
    }
    xml.resize(size);
    return xml;
}

std::string Deflate(const std::string& data) {
    z_stream s{};
    deflateInit2(&s, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&s, static_cast<uLong>(data.size())), '\0');
    s.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    s.avail_in = static_cast<uInt>(data.size());
    s.next_out = reinterpret_cast<Bytef*>(&out[0]);
    s.avail_out = static_cast<uInt>(out.size());
    deflate(&s, Z_FINISH);
    out.resize(s.total_out);
    deflateEnd(&s);
    return out;
}

double Seconds() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

bool ReferenceInflate(const std::string& stream, std::vector<unsigned char>& out) {
    z_stream s{};
    inflateInit2(&s, -15);
    s.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(stream.data()));
    s.avail_in = static_cast<uInt>(stream.size());
    s.next_out = out.data();
    s.avail_out = static_cast<uInt>(out.size());
    const int result = inflate(&s, Z_FINISH);
    inflateEnd(&s);
    return result == Z_STREAM_END && s.total_out == out.size();
}

struct Timing {
    double ours;
    double reference;
};

// The best of a few runs of each: the machine is shared.
Timing Measure(const std::string& data, int runs) {
    const std::string stream = Deflate(data);
    const kiln::qzip::QZipReader reader;
    std::vector<unsigned char> out(data.size());
    Timing best = {1e9, 1e9};
    for (int run = 0; run < runs; ++run) {
        double start = Seconds();
        uint64_t produced = out.size();
        const int result = reader.Inflate(out.data(), produced, reinterpret_cast<const unsigned char*>(stream.data()),
                                          stream.size());
        const double ours = Seconds() - start;
        if (result != 0 || produced != data.size() || memcmp(out.data(), data.data(), data.size()) != 0) {
            std::printf("our decoder gave a wrong result\n");
            return {0, 0};
        }
        std::fill(out.begin(), out.end(), 0);
        start = Seconds();
        if (!ReferenceInflate(stream, out)) {
            std::printf("the reference decoder failed\n");
            return {0, 0};
        }
        const double reference = Seconds() - start;
        if (ours < best.ours) best.ours = ours;
        if (reference < best.reference) best.reference = reference;
    }
    return best;
}

void Report(const char* name, size_t size, const Timing& t) {
    const double megabytes = static_cast<double>(size) / (1024.0 * 1024.0);
    std::printf("%-34s own %8.2f ms %7.1f MB/s | zlib %8.2f ms %7.1f MB/s | own/zlib time %.2f\n", name,
                t.ours * 1000.0, megabytes / t.ours, t.reference * 1000.0, megabytes / t.reference,
                t.ours / t.reference);
}

}  // namespace

int main() {
    const std::string prose = Text(10 * 1024 * 1024, false);
    const std::string xml = Text(10 * 1024 * 1024, true);
    std::printf("10 MB of prose deflates to %u bytes, 10 MB of document XML to %u bytes\n",
                static_cast<unsigned>(Deflate(prose).size()), static_cast<unsigned>(Deflate(xml).size()));
    Report("10 MB plain prose", prose.size(), Measure(prose, 3));
    Report("10 MB document XML", xml.size(), Measure(xml, 3));
    // A long report of about 100 pages holds some 2 MB of document XML.
    const std::string report = Text(2 * 1024 * 1024, true);
    Report("2 MB document XML (100 pages)", report.size(), Measure(report, 5));
    const std::string letter = Text(100 * 1024, true);
    Report("100 KB document XML (a letter)", letter.size(), Measure(letter, 20));
    return 0;
}
