#include "show_message.h"

#include <windows.h>

int ShowFixedMessageBox(const MessageBoxText& box) { return MessageBoxA(nullptr, box.text, box.title, box.style); }
