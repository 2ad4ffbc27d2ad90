// The Start-menu entry, named after the product, in the programs folder of all users, made with the
// shell's own link object, so that Tolvek can be started again after "Shut down".
#pragma once

#include <string>

// Creates or replaces the entry, starting `program` with its icon; false when not saved.
bool CreateStartMenuShortcut(const std::string& program);

// Deletes the entry; true when it is gone (also when there was none).
bool RemoveStartMenuShortcut();

// The entry's full path, empty when the common programs folder cannot be had.
std::wstring StartMenuShortcutPath();
