// The real operations behind the tray program's start-up.
#pragma once

#include <windows.h>

#include "date_rules.h"
#include "startup.h"

// Today from the local clock, the way the window system reads it.
Today LocalTimeToday();

// The message loop over `getMessage` (GetMessageW in the program): gives the quit code, or
// 0 after saving and shutting down when getting a message fails.
using MessageSource = BOOL(WINAPI*)(LPMSG, HWND, UINT, UINT);
int PumpMessages(MessageSource getMessage);

class Win32StartupPlatform : public StartupPlatform {
public:
    bool TakeSingleInstanceLock() override;
    int ShowMessage(const MessageBoxText& box) override;
    const CodePage& SystemCodePage() override;
    Registry& InstallRegistry() override;
    long EnterDirectory(const std::string& directory) override;
    bool WritingRefusedHere() override;
    bool FindUserDataFolder(std::string& path) override;
    bool EnterUserDataFolder(std::string& path) override;
    DataDirectoryClaim ClaimDataDirectory() override;
    bool LastWriteTime(const std::string& path, uint64_t& time) override;
    void PrepareControls() override;
    FileSystem& Files() override;
    void LoadTexts() override;
    void CreateMainWindow() override;
    void AddTrayIcon() override;
    void ObsoleteSweep() override;
    void ReminderPass() override;
    void StartHourlyTimer() override;
    int RunMessageLoop() override;
};
