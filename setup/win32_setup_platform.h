// The real operations behind the installer's flow.
#pragma once

#include "setup_flow.h"

class Win32SetupPlatform : public SetupPlatform {
public:
    int ShowMessage(const MessageBoxText& box) override;
    const CodePage& SystemCodePage() override;
    bool BrowseForFolder(std::string& path) override;
    bool MakeDirectory(const std::string& path) override;
    bool CopyFileReplacing(const std::string& from, const std::string& to) override;
    bool RemoveFile(const std::string& path) override;
    bool FileExists(const std::string& path) override;
    uint64_t FileSize(const std::string& path) override;
    bool RemoveEmptyDirectory(const std::string& path) override;
    bool IsTolvekRunning() override;
    bool CreateStartMenuShortcut(const std::string& program) override;
    Registry& InstallRegistry() override;
};
