// The uninstaller as a plain sequence over the operations it needs, so its boxes, its order
// and every early end run on any host against a scripted stand-in; the Win32 program
// passes the real operations.
#pragma once

#include <string>

#include "code_page.h"
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
    // True while a tray program runs, in this session or in another user's.
    virtual bool IsTolvekRunning() = 0;
    // Deletes the all-users Start-menu entry; true when it is gone.
    virtual bool RemoveStartMenuShortcut() = 0;
    virtual Registry& InstallRegistry() = 0;
    // The code page of the paths the system gives (the record), which the boxes show in UTF-8.
    virtual const CodePage& SystemCodePage() = 0;
};

// The Done box's text in UTF-8: where the data files stay, for a directory of any length,
// given in the code page `ansi`. Every user may have a diary of their own, and an
// administrator's folder is not theirs, so the per-user folders are named by where they
// are, not by this account's path.
std::string UninstalledText(const CodePage& ansi, const std::string& directory);

// The whole run of Uninstall; gives its exit code, 0 on every path.
int RunUninstall(UninstallPlatform& platform);
