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

// What taking the diary's lock in a folder found.
enum class DataDirectoryClaim {
    Ours,          // locked for this process; the folder serves this account
    InUse,         // another session holds it, or its lock cannot be had at all
    OtherAccount,  // the folder's diary is another account's
};

class StartupPlatform {
public:
    virtual ~StartupPlatform() = default;
    // False when another copy of the program holds the single-instance lock.
    virtual bool TakeSingleInstanceLock() = 0;
    virtual int ShowMessage(const MessageBoxText& box) = 0;
    // The code page of the paths and the system's words the platform gives, which the boxes
    // show in UTF-8.
    virtual const CodePage& SystemCodePage() = 0;
    virtual Registry& InstallRegistry() = 0;
    // Makes `directory` the current directory; gives 0 or the platform's error code.
    virtual long EnterDirectory(const std::string& directory) = 0;
    // True when the system refuses this user to create files in the current directory
    // (a standard user with the program under "C:\Program Files").
    virtual bool WritingRefusedHere() = 0;
    // The user's own data folder, without making it; false when it cannot be had.
    virtual bool FindUserDataFolder(std::string& path) = 0;
    // Creates the user's own data folder where it is missing and makes it the current
    // directory; gives its path for messages. False when it cannot be had.
    virtual bool EnterUserDataFolder(std::string& path) = 0;
    // Takes the diary's lock in the current directory for the life of the process, for
    // this account; an unclaimed folder becomes this account's.
    virtual DataDirectoryClaim ClaimDataDirectory() = 0;
    // When the file was last written, in ticks that only compare; false when unknown.
    virtual bool LastWriteTime(const std::string& path, uint64_t& time) = 0;
    // Registers the list and rich-edit controls.
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
extern std::unique_ptr<NoteStore> noteStore;
// A failed save has been shown and no save has succeeded since: the next failure stays silent.
extern bool saveFailureShown;

// Makes the diary's home the current directory, locked for this process. The home is chosen
// once and recorded for the user: the user's own folder where it holds a diary; else the
// installation directory where this user may write there, no other session uses it and it
// serves no other account; else the user's own folder, with the installation directory's
// diary carried over if the user wants it. False when the user gives up.
bool EnterDataDirectory(StartupPlatform& platform, const std::string& installDirectory,
                        std::string& dataDirectory);

// Loads the diary in the current directory, `dataDirectory`, running the recovery dialogue
// until it loads. Gives no store when the user gives up or a damaged file cannot be set aside.
std::unique_ptr<NoteStore> LoadDiary(StartupPlatform& platform, const std::string& dataDirectory);

// The whole run of the program; gives its exit code.
int RunTolvek(StartupPlatform& platform);

// Tells the user when a save failed, once until a save succeeds again.
void ReportSave(bool saved, const std::function<int(const MessageBoxText&)>& showMessage);
