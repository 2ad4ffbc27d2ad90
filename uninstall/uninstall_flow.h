// The uninstaller as a plain sequence over the operations it needs, so its boxes, its order
// and every early end run on any host against a scripted stand-in; the Win32 program
// passes the real operations.
#pragma once

#include <string>

#include "install_record.h"
#include "message_box.h"

// The operation names stay clear of the Win32 macros (DeleteFile, ...), which would rename
// them in any file that includes <windows.h>.
class UninstallPlatform {
public:
    virtual ~UninstallPlatform() = default;
    // Gives the button pressed (kAnswerOk, kAnswerCancel, ...).
    virtual int ShowMessage(const MessageBoxText& box) = 0;
    // Makes `directory` the current directory; false when it cannot be entered.
    virtual bool EnterDirectory(const std::string& directory) = 0;
    // Deletes a file, relative to the current directory; false when it could not.
    virtual bool RemoveFile(const std::string& path) = 0;
    // True when a file or directory of that name exists.
    virtual bool Exists(const std::string& path) = 0;
    // The per-user folder where Tolvek keeps the diary of a user who may not write the
    // installation directory; false when this user has none.
    virtual bool PerUserDataDirectory(std::string& path) = 0;
    // True while a tray program holds its single-instance mutex.
    virtual bool IsTolvekRunning() = 0;
    virtual Registry& InstallRegistry() = 0;
};

// The Done box's text: where the data files stay, for a directory of any length, naming
// the user's own data folder as well where there is one.
std::string UninstalledText(const std::string& directory, const std::string& perUserDirectory = "");

// The whole run of Uninstall; gives its exit code, 0 on every path.
int RunUninstall(UninstallPlatform& platform);
