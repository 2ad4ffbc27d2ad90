// The real operations behind the tray program's start-up.
#pragma once

#include "date_rules.h"
#include "startup.h"

// Today from the local clock, the way the window system reads it.
Today LocalTimeToday();

class Win32StartupPlatform : public StartupPlatform {
public:
    bool TakeSingleInstanceLock() override;
    int ShowMessage(const MessageBoxText& box) override;
    Registry& InstallRegistry() override;
    void EnterDirectory(const std::string& directory) override;
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
