// The real operations behind the uninstaller's flow.
#pragma once

#include "uninstall_flow.h"

class Win32UninstallPlatform : public UninstallPlatform {
public:
    int ShowMessage(const MessageBoxText& box) override;
    const CodePage& SystemCodePage() override;
    bool EnterDirectory(const std::string& directory) override;
    bool RemoveFile(const std::string& path) override;
    bool Exists(const std::string& path) override;
    bool IsTolvekRunning() override;
    bool RemoveStartMenuShortcut() override;
    Registry& InstallRegistry() override;
};
