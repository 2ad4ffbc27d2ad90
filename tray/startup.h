// The start-up of the tray program as a plain sequence over the operations it needs,
// so the order, the early exits and the recovery dialogue run on any host against a
// scripted stand-in; the Win32 program passes the real operations.
#pragma once

#include <functional>
#include <memory>

#include "file_system.h"
#include "install_record.h"
#include "messages.h"
#include "note_store.h"

class StartupPlatform {
public:
    virtual ~StartupPlatform() = default;
    // False when another copy of the program holds the single-instance lock.
    virtual bool TakeSingleInstanceLock() = 0;
    virtual int ShowMessage(const MessageBoxText& box) = 0;
    virtual Registry& InstallRegistry() = 0;
    virtual void EnterDirectory(const std::string& directory) = 0;
    // Seeds the tags' generator, registers the list and rich-edit controls.
    virtual void PrepareControls() = 0;
    virtual FileSystem& Files() = 0;
    // Clears the text table, takes the text resources and applies `languageIndex`.
    virtual void LoadTexts() = 0;
    virtual void CreateMainWindow() = 0;
    virtual void AddTrayIcon() = 0;
    virtual void ObsoleteSweep() = 0;
    virtual void ReminderPass() = 0;
    virtual void StartHourlyTimer() = 0;
    // Gives the exit code of the message loop.
    virtual int RunMessageLoop() = 0;
};

// The diary, owned by the program from start-up to shut-down; empty before and after.
extern NoteStore* noteStore;

// Loads the diary, running the recovery dialogue until it loads. Gives no store when the
// user cancels because the data file cannot be created.
std::unique_ptr<NoteStore> LoadDiary(StartupPlatform& platform);

// The whole run of the program; gives its exit code.
int RunTolvek(StartupPlatform& platform);

// Tells the user when a save failed, once until a save succeeds again.
void ReportSave(bool saved, const std::function<int(const MessageBoxText&)>& showMessage);
