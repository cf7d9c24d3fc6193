// The application manifest: embedded in Quorvane.exe with what it asks of the system, and in effect in this
// test program, which links the same resources (the list view and the dialogs run on common controls 6).
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <string>

namespace {

std::string exeManifest() {
    HMODULE exe = LoadLibraryExA(QV_EXE_PATH, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (exe == nullptr) {
        return "";
    }
    std::string text;
    if (HRSRC found = FindResourceA(exe, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24))) {
        const char* bytes = static_cast<const char*>(LockResource(LoadResource(exe, found)));
        text.assign(bytes, SizeofResource(exe, found));
    }
    FreeLibrary(exe);
    return text;
}

TEST(Manifest, ExeCarriesTheRequests) {
    const std::string manifest = exeManifest();
    ASSERT_FALSE(manifest.empty()) << "no manifest resource in " << QV_EXE_PATH;
    const char* const wanted[] = {
        "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"",
        "level=\"asInvoker\"",
        "{e2011457-1546-43c5-a5fe-008deee3d3f0}",  // Vista
        "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  // 7
        "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  // 8
        "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  // 8.1
        "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  // 10 and 11
        ">true/pm</dpiAware>",
        ">PerMonitorV2, PerMonitor</dpiAwareness>",
        "version=\"" QV_EXPECTED_VERSION ".0\"",
    };
    for (const char* text : wanted) {
        EXPECT_NE(std::string::npos, manifest.find(text)) << text;
    }
}

// The common controls that the program starts (and whose list view it uses) are the side-by-side version 6,
// not the old system copy.
TEST(Manifest, CommonControlsSixAreLoaded) {
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_LISTVIEW_CLASSES;
    ASSERT_TRUE(InitCommonControlsEx(&controls));
    HWND list = CreateWindowExA(0, "SysListView32", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, list);
    char path[MAX_PATH] = "";
    GetModuleFileNameA(GetModuleHandleA("comctl32.dll"), path, sizeof path);
    std::string lower = path;
    for (char& c : lower) {
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    }
    EXPECT_NE(std::string::npos, lower.find("common-controls_6595b64144ccf1df_6.")) << path;
    DestroyWindow(list);
}

// A user32 function of a later system than the headers describe, or null.
template <typename Function>
Function userFunction(const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), name)));
}

// Per-monitor aware where the system knows it (user32 has GetThreadDpiAwarenessContext from Windows 10 on).
TEST(Manifest, ProcessIsDpiAware) {
    auto isAware = userFunction<BOOL(WINAPI*)()>("IsProcessDPIAware");
    ASSERT_NE(nullptr, isAware);
    EXPECT_TRUE(isAware());
    auto context = userFunction<HANDLE(WINAPI*)()>("GetThreadDpiAwarenessContext");
    auto awareness = userFunction<int(WINAPI*)(HANDLE)>("GetAwarenessFromDpiAwarenessContext");
    if (context != nullptr && awareness != nullptr) {
        EXPECT_EQ(2, awareness(context()));  // DPI_AWARENESS_PER_MONITOR_AWARE
    }
}

}  // namespace
