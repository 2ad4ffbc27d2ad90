#include "show_message.h"

#include <windows.h>

#include "text_conversions.h"

int ShowMessageBox(const MessageBoxText& box) {
    return MessageBoxW(nullptr, WideFromUtf8(box.text).c_str(), WideFromUtf8(box.title).c_str(), box.style);
}
