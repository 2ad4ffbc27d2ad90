#include "display_scale.h"

#include <algorithm>
#include <iterator>
#include <map>
#include <utility>

#include "resource_ids.h"

namespace {

// Windows 10's per-window functions are looked up, so the program still starts on
// Windows 7 and 8, which lack them; there the system's scale and metrics stand.
template <typename Function>
Function User32Function(const char* name) {
    return reinterpret_cast<Function>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}

UINT SystemDpi() {
    const HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 0;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : USER_DEFAULT_SCREEN_DPI;
}

// The width of the alphabet in the control's font, taken to `dpi`: what dialog units are
// measured by too. 0 when it cannot be measured.
int AlphabetWidth(HWND control, UINT dpi) {
    LOGFONTW font = {};
    const auto ownFont = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    if (!ownFont || !GetObjectW(ownFont, sizeof font, &font)) return 0;
    font.lfHeight = MulDiv(font.lfHeight, static_cast<int>(dpi), static_cast<int>(WindowDpi(control)));
    const HFONT scaled = CreateFontIndirectW(&font);
    const HDC dc = GetDC(control);
    SIZE size = {};
    if (scaled && dc) {
        const HGDIOBJ previous = SelectObject(dc, scaled);
        GetTextExtentPoint32W(dc, L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 52, &size);
        SelectObject(dc, previous);
    }
    if (dc) ReleaseDC(control, dc);
    if (scaled) DeleteObject(scaled);
    return size.cx;
}

int MetricForDpi(int metric, UINT dpi) {
    static const auto forDpi = User32Function<int(WINAPI*)(int, UINT)>("GetSystemMetricsForDpi");
    if (forDpi) return forDpi(metric, dpi);
    return GetSystemMetrics(metric);  // the metric at the system's scale, the only one there is
}

}  // namespace

UINT WindowDpi(HWND window) {
    static const auto forWindow = User32Function<UINT(WINAPI*)(HWND)>("GetDpiForWindow");
    const UINT dpi = forWindow && window ? forWindow(window) : 0;
    return dpi ? dpi : SystemDpi();
}

int ScaledToDpi(int pixelsAt96, UINT dpi) {
    return MulDiv(pixelsAt96, static_cast<int>(dpi), USER_DEFAULT_SCREEN_DPI);
}

int ScaledWithFont(HWND control, int pixelsAt96, UINT dpi) {
    const int now = AlphabetWidth(control, dpi);
    const int at96 = AlphabetWidth(control, USER_DEFAULT_SCREEN_DPI);
    if (now <= 0 || at96 <= 0) return ScaledToDpi(pixelsAt96, dpi);
    return MulDiv(pixelsAt96, now, at96);
}

int SmallIconSide(UINT dpi) { return MetricForDpi(SM_CXSMICON, dpi); }

int LargeIconSide(UINT dpi) { return MetricForDpi(SM_CXICON, dpi); }

HICON IconAtSide(int groupId, int side) {
    // A scale changes seldom and each size is loaded once: no icon is destroyed while
    // a window or the tray may still show it.
    static std::map<std::pair<int, int>, HICON> loaded;
    HICON& icon = loaded[{groupId, side}];
    if (!icon)
        icon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(groupId), IMAGE_ICON,
                                             side, side, LR_DEFAULTCOLOR));
    return icon;
}

void FitDialogIcons(HWND dialog) {
    const int storedSides[] = {64, 48, 40, 32, 24, 20, 16};  // scripts/make-icons.py
    const int wanted = LargeIconSide(WindowDpi(dialog));
    RECT client;
    GetClientRect(dialog, &client);
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) != SS_ICON) continue;
        RECT place;
        GetWindowRect(child, &place);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&place), 2);
        const int room = std::min(client.right - place.left, client.bottom - place.top);
        int side = storedSides[std::size(storedSides) - 1];
        for (int stored : storedSides)
            if (stored <= wanted && stored <= room) {
                side = stored;
                break;
            }
        SendMessageW(child, STM_SETICON, reinterpret_cast<WPARAM>(IconAtSide(IDI_PROGRAM, side)), 0);
    }
}

void SetProgramIcons(HWND window, UINT dpi) {
    SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(IconAtSide(IDI_PROGRAM, SmallIconSide(dpi))));
    SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(IconAtSide(IDI_PROGRAM, LargeIconSide(dpi))));
}

bool SystemRescalesDialogs(HWND window) {
    using Context = DPI_AWARENESS_CONTEXT;
    static const auto contextOf = User32Function<Context(WINAPI*)(HWND)>("GetWindowDpiAwarenessContext");
    static const auto same = User32Function<BOOL(WINAPI*)(Context, Context)>("AreDpiAwarenessContextsEqual");
    return contextOf && same && same(contextOf(window), DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
}
