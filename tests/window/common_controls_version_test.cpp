#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

namespace {

std::wstring Lower(std::wstring text) {
    for (auto& c : text) c = static_cast<wchar_t>(towlower(c));
    return text;
}

struct Assembly {
    std::wstring identity;  // name,processorArchitecture="...",...,version="..."
    std::wstring directory;
};

std::vector<Assembly> AssembliesOfTheActiveContext() {
    HANDLE context = nullptr;
    EXPECT_TRUE(GetCurrentActCtx(&context));
    SIZE_T size = 0;
    QueryActCtxW(0, context, nullptr, ActivationContextDetailedInformation, nullptr, 0, &size);
    std::vector<char> buffer(size);
    std::vector<Assembly> assemblies;
    if (!QueryActCtxW(0, context, nullptr, ActivationContextDetailedInformation, buffer.data(), size,
                      &size)) {
        ADD_FAILURE() << "QueryActCtxW failed: " << GetLastError();
        ReleaseActCtx(context);
        return assemblies;
    }
    const auto count = reinterpret_cast<ACTIVATION_CONTEXT_DETAILED_INFORMATION*>(buffer.data())->ulAssemblyCount;
    for (DWORD index = 1; index <= count; ++index) {
        QueryActCtxW(0, context, &index, AssemblyDetailedInformationInActivationContext, nullptr, 0, &size);
        std::vector<char> detail(size);
        auto* info = reinterpret_cast<ACTIVATION_CONTEXT_ASSEMBLY_DETAILED_INFORMATION*>(detail.data());
        if (QueryActCtxW(0, context, &index, AssemblyDetailedInformationInActivationContext, info, size,
                         &size)) {
            assemblies.push_back({info->lpAssemblyEncodedAssemblyIdentity ? info->lpAssemblyEncodedAssemblyIdentity : L"",
                                  info->lpAssemblyDirectoryName ? info->lpAssemblyDirectoryName : L""});
        }
    }
    ReleaseActCtx(context);
    return assemblies;
}

// What the process actually bound, not what the manifest asks for: a manifest
// naming the wrong processor architecture leaves a 64-bit process without
// common controls 6 (a static import of the task dialog then fails to load at
// all, a dynamic one falls back to version 5, whose task dialog gives its radio
// buttons and check box no height). DllGetVersion cannot tell: Wine's version 6
// module reports 5.81 like its version 5 one, so the test asks the activation
// context which assembly it resolved and checks that the task dialog the
// process calls comes from that assembly's folder.
TEST(CommonControls, TheProcessBindsVersionSixForItsOwnArchitecture) {
    const INITCOMMONCONTROLSEX init{sizeof(init), ICC_STANDARD_CLASSES};
    ASSERT_TRUE(InitCommonControlsEx(&init));
#ifdef _WIN64
    const std::wstring architecture = L"processorarchitecture=\"amd64\"";
#else
    const std::wstring architecture = L"processorarchitecture=\"x86\"";
#endif

    std::wstring directory;
    for (const Assembly& assembly : AssembliesOfTheActiveContext()) {
        const std::wstring identity = Lower(assembly.identity);
        if (identity.rfind(L"microsoft.windows.common-controls,", 0) != 0) continue;
        EXPECT_NE(identity.find(L"version=\"6."), std::wstring::npos) << assembly.identity;
        EXPECT_NE(identity.find(architecture), std::wstring::npos) << assembly.identity;
        directory = Lower(assembly.directory);
    }
    ASSERT_FALSE(directory.empty()) << "no common controls assembly in the process's activation context";

    HMODULE module = nullptr;
    ASSERT_TRUE(GetModuleHandleExW(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<LPCWSTR>(reinterpret_cast<void*>(&TaskDialogIndirect)), &module));
    wchar_t path[MAX_PATH] = L"";
    ASSERT_GT(GetModuleFileNameW(module, path, MAX_PATH), 0u);
    EXPECT_NE(Lower(path).find(L"\\" + directory + L"\\"), std::wstring::npos) << path;
    EXPECT_EQ(GetModuleHandleW(L"comctl32.dll"), module);
}

}  // namespace
