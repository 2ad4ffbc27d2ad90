// The three shipped programs as files: what their manifests ask of Windows, their version
// resources, and where they take DLLs from.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "launched_program.h"
#include "program_fixture.h"
#include "system_dlls.h"

namespace {

struct ShippedProgram {
    const char* path;
    const char* executionLevel;
    const wchar_t* description;
    const wchar_t* fileName;
    bool commonControls6;
};
const ShippedProgram kPrograms[] = {
    {TOLVEK_TRAY_EXE, "asInvoker", L"Tolvek Diary", L"Tolvek.exe", true},
    {TOLVEK_SETUP_EXE, "requireAdministrator", L"Tolvek Diary installer", L"Setup.exe", false},
    {TOLVEK_UNINSTALL_EXE, "requireAdministrator", L"Tolvek Diary uninstaller", L"Uninstall.exe", false},
};

// Vista, 7, 8, 8.1, and 10 and 11.
const char* const kSupportedOs[] = {
    "{e2011457-1546-43c5-a5fe-008deee3d3f0}", "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}", "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",
};

TEST(ProgramFiles, ManifestsAskForTheirRightsNameEveryWindowsFromVistaAndFollowTheDisplayScale) {
    for (const ShippedProgram& program : kPrograms) {
        SCOPED_TRACE(program.path);
        const std::string manifest = ManifestOf(WindowsPath(program.path));
        ASSERT_NE("", manifest);
        EXPECT_NE(std::string::npos,
                  manifest.find(std::string("<requestedExecutionLevel level=\"") + program.executionLevel + "\""));
        for (const char* id : kSupportedOs)
            EXPECT_NE(std::string::npos, manifest.find(std::string("<supportedOS Id=\"") + id + "\"/>")) << id;
        EXPECT_EQ(std::string::npos, manifest.find("activeCodePage")) << "texts stay in the ANSI code page";
        const std::size_t commonControls = manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"");
        EXPECT_EQ(program.commonControls6, commonControls != std::string::npos);
        // Per-monitor aware: version 2 where Windows knows it, "true/pm" before; else Windows
        // stretches the program's pictures at every scale above 100 %.
        EXPECT_NE(std::string::npos,
                  manifest.find("<dpiAwareness xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">"
                                "PerMonitorV2</dpiAwareness>"));
        EXPECT_NE(std::string::npos,
                  manifest.find("<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">"
                                "true/pm</dpiAware>"));
        EXPECT_NE(std::string::npos, manifest.find("<application xmlns=\"urn:schemas-microsoft-com:asm.v3\">"))
            << "the settings sit in the application element of the version 3 schema";
    }
}

std::wstring VersionString(const std::vector<char>& info, const wchar_t* name) {
    void* value = nullptr;
    UINT length = 0;
    const std::wstring path = std::wstring(L"\\StringFileInfo\\000004b0\\") + name;
    if (!VerQueryValueW(info.data(), path.c_str(), &value, &length) || length == 0) return L"(none)";
    return static_cast<const wchar_t*>(value);
}

TEST(ProgramFiles, VersionResourcesSayVersionOnePointOneOfTheTolvekDiary) {
    for (const ShippedProgram& program : kPrograms) {
        SCOPED_TRACE(program.path);
        const std::wstring path(Widen(WindowsPath(program.path)));
        const DWORD size = GetFileVersionInfoSizeW(path.c_str(), nullptr);
        ASSERT_NE(0u, size);
        std::vector<char> info(size);
        ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, info.data()));

        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT length = 0;
        ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
        EXPECT_EQ(static_cast<DWORD>(MAKELONG(1, 1)), fixed->dwFileVersionMS) << "1.1";
        EXPECT_EQ(0u, fixed->dwFileVersionLS);
        EXPECT_EQ(static_cast<DWORD>(MAKELONG(1, 1)), fixed->dwProductVersionMS);
        EXPECT_EQ(0u, fixed->dwProductVersionLS);
        EXPECT_EQ(static_cast<DWORD>(VFT_APP), fixed->dwFileType);

        WORD* translation = nullptr;
        ASSERT_TRUE(VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                                   &length));
        ASSERT_EQ(4u, length);
        EXPECT_EQ(0x0000, translation[0]) << "language neutral";
        EXPECT_EQ(1200, translation[1]) << "Unicode";

        EXPECT_EQ(L"the Tolvek team", VersionString(info, L"CompanyName"));
        EXPECT_EQ(L"Tolvek Diary", VersionString(info, L"ProductName"));
        EXPECT_EQ(L"1.1", VersionString(info, L"FileVersion"));
        EXPECT_EQ(L"1.1", VersionString(info, L"ProductVersion"));
        EXPECT_EQ(program.description, VersionString(info, L"FileDescription"));
        EXPECT_EQ(program.fileName, VersionString(info, L"OriginalFilename"));
    }
}

std::string ModulePath(HMODULE module) {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(module, path, MAX_PATH);
    return path;
}

std::string Lower(std::string text) {
    CharLowerBuffA(&text[0], static_cast<DWORD>(text.size()));
    return text;
}

// A DLL of ours planted in the current directory, as a download folder might hold one.
// The restriction holds for the rest of this test program, as it does in the programs.
TEST(ProgramFiles, DllPlantedInTheCurrentDirectoryIsNotLoadedOnceTheSearchIsRestricted) {
    char previous[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, previous);
    const std::string directory = MakeTemporaryDirectory();
    const std::string planted = directory + "\\tolvek_planted.dll";
    ASSERT_TRUE(CopyFileA(WindowsPath(TOLVEK_PLANTED_PROBE_DLL).c_str(), planted.c_str(), FALSE));
    SetCurrentDirectoryA(directory.c_str());

    const HMODULE before = LoadLibraryA("tolvek_planted.dll");
    EXPECT_NE(nullptr, before) << "without the restriction the current directory is searched";
    if (before) FreeLibrary(before);

    RestrictDllSearchToSystem();
    const HMODULE after = LoadLibraryA("tolvek_planted.dll");
    const HMODULE bySystemLoad = LoadSystemLibrary("tolvek_planted.dll");
    const HMODULE richEdit = LoadSystemLibrary("RichEd32.dll");
    char system[MAX_PATH] = {};
    GetSystemDirectoryA(system, MAX_PATH);

    SetCurrentDirectoryA(previous);
    EXPECT_EQ(nullptr, after);
    EXPECT_EQ(nullptr, bySystemLoad);
    ASSERT_NE(nullptr, richEdit);
    EXPECT_EQ(Lower(std::string(system) + "\\riched32.dll"), Lower(ModulePath(richEdit)));
    if (after) FreeLibrary(after);
    if (bySystemLoad) FreeLibrary(bySystemLoad);
    DeleteFileA(planted.c_str());
    RemoveDirectoryA(directory.c_str());
}

}  // namespace
