#include "editor_fixture.h"

#include <ole2.h>

namespace editortest {

void EditorTest::SetUp() {
    oleReady = SUCCEEDED(OleInitialize(nullptr));
    ASSERT_TRUE(main.Create(nullptr, 0, WS_OVERLAPPEDWINDOW | WS_VISIBLE));
    ASSERT_NE(main.GetHandle(), nullptr);
    SetWindowPos(main.GetHandle(), nullptr, 0, 0, 640, 480, SWP_NOZORDER);
    ASSERT_TRUE(container.Create(&main, 7, 0));
    SetWindowPos(container.GetHandle(), nullptr, 0, 0, 600, 400, SWP_NOZORDER);
    ASSERT_TRUE(page.Create(&container, 3, 0));
    ASSERT_NE(Edit(), nullptr);
    SetWindowPos(page.GetHandle(), nullptr, 0, 0, 500, 300, SWP_NOZORDER);
    page.ApplyDatabaseState(true);
}

void EditorTest::TearDown() {
    DestroyWindow(main.GetHandle());
    if (oleReady) OleUninitialize();
}

void EditorTest::SetText(const wchar_t* text) {
    SetWindowTextW(Edit(), text);
}

void EditorTest::Select(LONG start, LONG end) {
    CHARRANGE range = {start, end};
    SendMessageW(Edit(), EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
}

CHARRANGE EditorTest::Selection() const {
    CHARRANGE range = {-2, -2};
    SendMessageW(Edit(), EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
    return range;
}

CHARFORMAT2W EditorTest::SelectionFormat() const {
    CHARFORMAT2W format = {};
    format.cbSize = sizeof(format);
    SendMessageW(Edit(), EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    return format;
}

PARAFORMAT2 EditorTest::SelectionParagraph() const {
    PARAFORMAT2 format = {};
    format.cbSize = sizeof(format);
    SendMessageW(Edit(), EM_GETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&format));
    return format;
}

std::wstring EditorTest::Text() const {
    return page.GetPlainText().c_str();
}

std::string EditorTest::Rtf() {
    kiln::qstd::QBuffer rtf;
    EXPECT_TRUE(page.GetRtf(rtf));
    return std::string(reinterpret_cast<const char*>(rtf.GetData()), rtf.GetCount());
}

void EditorTest::Command(int id, const wchar_t* text) {
    SendMessageW(page.GetHandle(), WM_COMMAND, MAKEWPARAM(id, 0), reinterpret_cast<LPARAM>(text));
}

ScratchFile::ScratchFile(const std::string& bytes, const wchar_t* extension) {
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    wchar_t name[MAX_PATH] = {};
    GetTempFileNameW(folder, L"ved", 0, name);
    DeleteFileW(name);
    path = std::wstring(name) + extension;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    if (file != INVALID_HANDLE_VALUE) {
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(file);
    }
}

ScratchFile::~ScratchFile() {
    DeleteFileW(path.c_str());
}

}  // namespace editortest
