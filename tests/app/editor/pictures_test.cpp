// A card's pictures survive every save, whatever the control shows: stored
// RTF as controls that show pictures write it, loaded, typed around, saved.

#include <string>
#include <vector>

#include "editor_fixture.h"
#include "test_pictures.h"

namespace editortest {
namespace {

std::string Hex(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (size_t i = 0; i < bytes.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        hex += digits[c >> 4];
        hex += digits[c & 15];
        if (i % 64 == 63) hex += "\r\n";
    }
    return hex;
}

// A real metafile of a filled rectangle, enhanced or of the older kind.
std::string Metafile(bool enhanced) {
    RECT frame = {0, 0, 200, 100};
    HDC dc = CreateEnhMetaFileW(nullptr, nullptr, &frame, nullptr);
    Rectangle(dc, 1, 1, 30, 20);
    HENHMETAFILE metafile = CloseEnhMetaFile(dc);
    std::string bytes;
    if (enhanced) {
        bytes.resize(GetEnhMetaFileBits(metafile, 0, nullptr));
        GetEnhMetaFileBits(metafile, static_cast<UINT>(bytes.size()), reinterpret_cast<BYTE*>(&bytes[0]));
    } else {
        HDC screen = GetDC(nullptr);
        bytes.resize(GetWinMetaFileBits(metafile, 0, nullptr, MM_ANISOTROPIC, screen));
        GetWinMetaFileBits(metafile, static_cast<UINT>(bytes.size()), reinterpret_cast<BYTE*>(&bytes[0]),
                           MM_ANISOTROPIC, screen);
        ReleaseDC(nullptr, screen);
    }
    DeleteEnhMetaFile(metafile);
    return bytes;
}

std::string Document(const std::string& body) {
    return "{\\rtf1\\ansi\\ansicpg1252\\deff0\\nouicompat{\\fonttbl{\\f0\\fnil\\fcharset0 Verdana;}}\r\n"
           "{\\*\\generator Riched20 10.0.19041}\\viewkind4\\uc1 \r\n\\pard\\f0\\fs24 " +
           body + "\\par\r\n}\r\n";
}

class PicturesTest : public EditorTest {
protected:
    void Type(wchar_t c) { SendMessageW(Edit(), WM_CHAR, c, 1); }
    void Key(UINT key) {
        SendMessageW(Edit(), WM_KEYDOWN, key, 1);
        if (key == VK_BACK) SendMessageW(Edit(), WM_CHAR, 8, 1);
        SendMessageW(Edit(), WM_KEYUP, key, 0xC0000001);
    }
    void Load(const std::string& rtf) {
        page.LoadRtf(reinterpret_cast<const unsigned char*>(rtf.data()), static_cast<unsigned>(rtf.size()));
    }
    LONG Find(const wchar_t* text) { return static_cast<LONG>(Text().find(text)); }
    // The text without the paragraph mark some controls report at its end.
    std::wstring Shown() const {
        std::wstring text = Text();
        while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n')) text.pop_back();
        return text;
    }
    static size_t Occurrences(const std::string& in, const std::string& what) {
        size_t count = 0;
        for (size_t at = in.find(what); at != std::string::npos; at = in.find(what, at + 1)) ++count;
        return count;
    }
};

TEST_F(PicturesTest, PicturesComeBackByteForByteAfterTypingAroundThem) {
    const std::string png = guitest::SmallPng();
    const std::string emf = Metafile(true);
    const std::string wmf = Metafile(false);
    ASSERT_FALSE(emf.empty());
    ASSERT_FALSE(wmf.empty());
    const std::string jpeg = guitest::SmallJpeg();
    ASSERT_FALSE(jpeg.empty()) << "no JPEG encoder";
    const struct {
        const char* name;
        std::string group;
    } cases[] = {
        {"PNG with its metafile for older readers",
         "{\\*\\shppict{\\pict{\\*\\picprop}\\picscalex100\\picscaley100\\piccropl0\\piccropr0\\piccropt0\\piccropb0"
         "\\picw53\\pich53\\picwgoal30\\pichgoal30\\pngblip\\bliptag-1{\\*\\blipuid 00112233445566778899aabbccddeeff}" +
             Hex(png) + "}}{\\nonshppict{\\pict\\wmetafile8\\picw53\\pich53\\picwgoal30\\pichgoal30 \r\n" + Hex(wmf) +
             "}}"},
        {"JPEG", "{\\pict{\\*\\picprop}\\wmetafile8\\jpegblip\\picw3\\pich2\\picwgoal30\\pichgoal40\r\n" + Hex(jpeg) + "}"},
        {"enhanced metafile", "{\\pict\\emfblip\\picw200\\pich100\\picwgoal113\\pichgoal57\r\n" + Hex(emf) + "}"},
        {"metafile", "{\\pict\\wmetafile8\\picw200\\pich100\\picwgoal113\\pichgoal57\r\n" + Hex(wmf) + "}"},
        {"PNG as binary data", "{\\pict\\pngblip\\picw2\\pich2\\bin" + std::to_string(png.size()) + " " + png + "}"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Load(Document("before " + c.group + " after"));
        EXPECT_FALSE(page.IsModified());
        Select(0, 0);
        Type(L'A');
        const LONG placeholderEnd = Find(L"[picture 1]") + 11;
        ASSERT_GT(placeholderEnd, 11);
        Select(placeholderEnd, placeholderEnd);
        Type(L'B');
        Select(-1, -1);
        Type(L'C');
        EXPECT_TRUE(page.IsModified());

        const std::string saved = Rtf();
        EXPECT_EQ(Occurrences(saved, c.group), 1u) << saved.substr(0, 400);
        // Saved and loaded again, the card shows the text typed and the
        // picture once more; the next save still carries it whole.
        Load(saved);
        EXPECT_EQ(Shown(), L"Abefore [picture 1]B afterC");
        Select(Find(L"B"), Find(L"B") + 1);
        EXPECT_EQ(SelectionFormat().dwEffects & CFE_PROTECTED, 0u) << "typed text took the placeholder's protection";
        EXPECT_EQ(Occurrences(Rtf(), c.group), 1u);
    }
}

TEST_F(PicturesTest, APlaceholderIsDeletedWholeOrNotAtAll) {
    const std::string first = "{\\pict\\pngblip\\picw2\\pich2\\picwgoal30\\pichgoal30\r\n" + Hex(guitest::SmallPng()) + "}";
    const std::string second = "{\\pict\\emfblip\\picw200\\pich100\r\n" + Hex(Metafile(true)) + "}";
    Load(Document("one " + first + " two " + second + " three"));
    ASSERT_EQ(Shown(), L"one [picture 1] two [picture 2] three");

    // Typing into the middle changes nothing.
    const LONG end = Find(L" two");
    Select(end - 3, end - 3);
    Type(L'x');
    EXPECT_EQ(Shown(), L"one [picture 1] two [picture 2] three");
    // Backspace or Delete beside a placeholder takes it whole or not at all;
    // pressed again, it is gone.
    Select(end, end);
    Key(VK_BACK);
    Key(VK_BACK);
    EXPECT_EQ(Shown(), L"one  two [picture 2] three");
    // The other picture keeps its own bytes.
    const std::string withSecond = Rtf();
    EXPECT_EQ(Occurrences(withSecond, first), 0u);
    EXPECT_EQ(Occurrences(withSecond, second), 1u);
    const LONG start = Find(L"[picture 2]");
    Select(start, start);
    Key(VK_DELETE);
    const std::wstring afterDelete = Shown();
    EXPECT_TRUE(afterDelete == L"one  two [picture 2] three" || afterDelete == L"one  two  three") << afterDelete;
    Type(L'x');
    EXPECT_EQ(Shown(), L"one  two x three");
    const std::string saved = Rtf();
    EXPECT_EQ(Occurrences(saved, first), 0u);
    EXPECT_EQ(Occurrences(saved, second), 0u);
}

TEST_F(PicturesTest, TextLikeAPlaceholderThatWasTypedStaysText) {
    Load(Document("{\\pict\\pngblip\\picw2\\pich2 " + Hex(guitest::SmallPng()) + "}"));
    Select(-1, -1);
    for (const wchar_t* c = L" [picture 1]"; *c; ++c) Type(*c);
    const std::string saved = Rtf();
    EXPECT_EQ(Occurrences(saved, "\\pngblip"), 1u);
    EXPECT_EQ(Occurrences(saved, "[picture 1]"), 1u);
}

}  // namespace
}  // namespace editortest
