// What the XML parser is handed for a part: references beyond the basic
// plane as their characters, everything else byte for byte as it was.
#include "documents/character_reference_stream.h"

#include <gtest/gtest.h>
#include <shlwapi.h>

#include <string>

#include "core/com_ptr.h"

namespace {

// Everything the stream gives, read in pieces of the given size.
std::string Widened(const std::string& part, ULONG piece) {
    ComPtr<IStream> source;
    source.Attach(SHCreateMemStream(reinterpret_cast<const BYTE*>(part.data()), static_cast<UINT>(part.size())));
    ComPtr<IStream> stream;
    stream.Attach(CreateCharacterReferenceStream(source.Get()));
    std::string out;
    std::string buffer(piece, '\0');
    for (;;) {
        ULONG got = 0;
        const HRESULT read = stream->Read(&buffer[0], piece, &got);
        EXPECT_TRUE(SUCCEEDED(read));
        out.append(buffer, 0, got);
        if (read != S_OK) return out;
    }
}

TEST(CharacterReferenceStream, WritesWideReferencesAsCharactersAndKeepsTheRest) {
    const std::string smile = "\xF0\x9F\x98\x80";
    const struct {
        const char* name;
        std::string part;
        std::string handed;
    } cases[] = {
        {"text and attributes", "<a b=\"&#x1F600;\">&#128512;&#x263A;&amp;&#x1F600</a>",
         "<a b=\"" + smile + "\">" + smile + "&#x263A;&amp;&#x1F600</a>"},
        {"comments, CDATA and instructions keep theirs",
         "<a><!-- &#x1F600; --><![CDATA[&#x1F600;]]><?pi &#x1F600;?>&#x1F600;</a>",
         "<a><!-- &#x1F600; --><![CDATA[&#x1F600;]]><?pi &#x1F600;?>" + smile + "</a>"},
        {"beyond Unicode and malformed", "<a>&#x110000;&#xG1F600;&#;&#x;&#x1F600</a>",
         "<a>&#x110000;&#xG1F600;&#;&#x;&#x1F600</a>"},
        {"a declared UTF-8", "<?xml version=\"1.0\" encoding='utf-8'?><a>&#x1F600;</a>",
         "<?xml version=\"1.0\" encoding='utf-8'?><a>" + smile + "</a>"},
        {"another encoding is left alone", "<?xml version=\"1.0\" encoding=\"windows-1252\"?><a>&#x1F600;</a>",
         "<?xml version=\"1.0\" encoding=\"windows-1252\"?><a>&#x1F600;</a>"},
        {"an empty part", "", ""},
        {"UTF-16, little-endian", std::string("\xFF\xFE<\0a\0>\0&\0#\0x\0\x31\0F\0\x36\0\x30\0\x30\0;\0", 26),
         std::string("\xFF\xFE<\0a\0>\0\x3D\xD8\x00\xDE", 12)},
        {"UTF-16, big-endian", std::string("\xFE\xFF\0<\0&\0#\0\x31\0\x32\0\x38\0\x35\0\x31\0\x32\0;", 22),
         std::string("\xFE\xFF\0<\xD8\x3D\xDE\x00", 8)},
    };
    for (const auto& c : cases) {
        for (ULONG piece : {1u, 7u, 4096u}) {
            EXPECT_EQ(c.handed, Widened(c.part, piece)) << c.name << ", pieces of " << piece;
        }
    }
}

}  // namespace
