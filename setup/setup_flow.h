// The installer as a plain sequence over the operations it needs, so its boxes, its order
// and every early end run on any host against a scripted stand-in; the Win32 program
// passes the real operations.
#pragma once

#include <cstdint>
#include <string>

#include "code_page.h"
#include "install_record.h"
#include "message_box.h"

// The operation names stay clear of the Win32 macros (CopyFile, DeleteFile, ...), which
// would rename them in any file that includes <windows.h>.
class SetupPlatform {
public:
    virtual ~SetupPlatform() = default;
    // Gives the button pressed (kAnswerOk, kAnswerCancel, ...).
    virtual int ShowMessage(const MessageBoxText& box) = 0;
    // The folder browser: the chosen folder's file-system path, or false when the user
    // cancelled or chose an item that has none.
    virtual bool BrowseForFolder(std::string& path) = 0;
    // Creates the last level of `path` only; false when it exists or its parent is missing.
    virtual bool MakeDirectory(const std::string& path) = 0;
    // Copies `from` (relative to the current directory) to `to`, replacing an existing file.
    virtual bool CopyFileReplacing(const std::string& from, const std::string& to) = 0;
    virtual bool RemoveFile(const std::string& path) = 0;
    // True when a file of that name exists (read before a copy, so a failure takes back
    // only what this run created).
    virtual bool FileExists(const std::string& path) = 0;
    // The file's size in bytes; 0 when it cannot be read.
    virtual uint64_t FileSize(const std::string& path) = 0;
    // Removes the directory only when it is empty.
    virtual bool RemoveEmptyDirectory(const std::string& path) = 0;
    // True while a tray program runs, in this session or in another user's.
    virtual bool IsTolvekRunning() = 0;
    // Creates or replaces the Start-menu entry of all users, named after the product, which starts
    // `program` with its icon; false when it could not be saved.
    virtual bool CreateStartMenuShortcut(const std::string& program) = 0;
    virtual Registry& InstallRegistry() = 0;
    // The code page of the paths the system gives (the browser, the record), which the boxes
    // show in UTF-8.
    virtual const CodePage& SystemCodePage() = 0;
};

// The whole run of Setup; gives its exit code, 0 on every path.
int RunSetup(SetupPlatform& platform);
