#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "app/product.h"

namespace {

std::wstring BesideTests(const wchar_t* relative) {
    wchar_t self[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path(self, n);
    path.resize(path.find_last_of(L"\\/") + 1);
    return path + relative;
}

// The program's version resource as Explorer reads it.
struct VersionResource {
    bool found = false;
    VS_FIXEDFILEINFO fixed{};
    std::wstring Text(const wchar_t* name) const {
        void* value = nullptr;
        UINT length = 0;
        const std::wstring query = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
        if (!VerQueryValueW(block.data(), query.c_str(), &value, &length) || length == 0) return L"<missing>";
        return std::wstring(static_cast<const wchar_t*>(value), length - 1);
    }
    std::vector<char> block;
};

VersionResource ReadVersion(const std::wstring& program) {
    VersionResource resource;
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(program.c_str(), &ignored);
    if (size == 0) return resource;
    resource.block.resize(size);
    if (!GetFileVersionInfoW(program.c_str(), 0, size, resource.block.data())) return resource;
    void* fixed = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(resource.block.data(), L"\\", &fixed, &length) || length < sizeof(VS_FIXEDFILEINFO))
        return resource;
    resource.fixed = *static_cast<const VS_FIXEDFILEINFO*>(fixed);
    resource.found = true;
    return resource;
}

TEST(VersionResourceTest, BothProgramsCarryTheProjectVersion) {
    struct Case {
        const wchar_t* relativePath;
        const wchar_t* fileName;
    };
    const Case cases[] = {
        {VORLEN_EXE_FROM_TESTS, L"vorlen.exe"},
        {VORLEN_CLI_EXE_FROM_TESTS, L"vorlen-cli.exe"},
    };
    const DWORD major = (VORLEN_VERSION_MAJOR << 16) | VORLEN_VERSION_MINOR;
    const DWORD minor = (VORLEN_VERSION_PATCH << 16) | VORLEN_VERSION_TWEAK;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fileName);
        const VersionResource resource = ReadVersion(BesideTests(c.relativePath));
        ASSERT_TRUE(resource.found);
        EXPECT_EQ(resource.fixed.dwSignature, 0xFEEF04BDu);
        EXPECT_EQ(resource.fixed.dwFileVersionMS, major);
        EXPECT_EQ(resource.fixed.dwFileVersionLS, minor);
        EXPECT_EQ(resource.fixed.dwProductVersionMS, major);
        EXPECT_EQ(resource.fixed.dwProductVersionLS, minor);
        EXPECT_EQ(resource.Text(L"FileVersion"), VORLEN_VERSION);
        EXPECT_EQ(resource.Text(L"ProductVersion"), VORLEN_VERSION);
        EXPECT_EQ(resource.Text(L"ProductName"), L"Vorlen");
        EXPECT_EQ(resource.Text(L"OriginalFilename"), c.fileName);
        EXPECT_NE(resource.Text(L"FileDescription"), L"<missing>");
        EXPECT_NE(resource.Text(L"LegalCopyright").find(L"Vorlen authors"), std::wstring::npos);
    }
}

}  // namespace
