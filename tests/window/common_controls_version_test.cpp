#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <shlwapi.h>

namespace {

// The version of the common controls module that holds the task dialog this
// process actually calls, not what the manifest asks for: a manifest naming
// the wrong processor architecture makes a 64-bit process fall back to
// version 5 silently, and with it the task dialog lays out its radio buttons
// and check box with no height.
TEST(CommonControls, TheProcessBindsVersionSixForItsOwnArchitecture) {
    const INITCOMMONCONTROLSEX init{sizeof(init), ICC_STANDARD_CLASSES};
    ASSERT_TRUE(InitCommonControlsEx(&init));

    HMODULE module = nullptr;
    ASSERT_TRUE(GetModuleHandleExW(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<LPCWSTR>(&TaskDialogIndirect), &module));
    ASSERT_NE(module, nullptr);

    const auto getVersion = reinterpret_cast<DLLGETVERSIONPROC>(
        reinterpret_cast<void*>(GetProcAddress(module, "DllGetVersion")));
    ASSERT_NE(getVersion, nullptr);
    DLLVERSIONINFO version{};
    version.cbSize = sizeof(version);
    ASSERT_EQ(getVersion(&version), S_OK);
    EXPECT_EQ(version.dwMajorVersion, 6u);

    // The module that a plain load by name gives is that same one.
    EXPECT_EQ(GetModuleHandleW(L"comctl32.dll"), module);
}

}  // namespace
