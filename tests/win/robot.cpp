#include "robot.h"

#include <algorithm>

Robot* Robot::current_ = nullptr;

Robot::Robot() {
    current_ = this;
    hook_ = SetWindowsHookExW(WH_CBT, CbtHook, nullptr, GetCurrentThreadId());
}

Robot::~Robot() {
    if (timer_) KillTimer(nullptr, timer_);
    UnhookWindowsHookEx(hook_);
    current_ = nullptr;
}

void Robot::Reset() {
    answers_.clear();
    steps_.clear();
    opened_.clear();
    known_.clear();
    created_.clear();
    stepRunning_ = false;
}

LRESULT CALLBACK Robot::CbtHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND && current_ && ClassOf(reinterpret_cast<HWND>(wParam)) == L"#32770")
        current_->created_.push_back(reinterpret_cast<HWND>(wParam));
    if (code == HCBT_ACTIVATE && current_) current_->Noticed(reinterpret_cast<HWND>(wParam));
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void Robot::Noticed(HWND window) {
    if (ClassOf(window) != L"#32770") return;  // dialogs and message boxes only
    if (ignore && ignore(window)) return;
    if (std::find(known_.begin(), known_.end(), window) != known_.end()) return;
    known_.push_back(window);
    Seen seen;
    seen.title = TextOf(window);
    seen.text = ControlText(window, 0xFFFF);  // a message box's text
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (ClassOf(child) == L"Button") seen.buttons.push_back(GetDlgCtrlID(child));
    opened_.push_back(seen);
    if (answers_.empty()) return;  // the test answers it itself, or fails on the leftover window
    Answer answer = std::move(answers_.front());
    answers_.pop_front();
    answer(window);
}

void Robot::StartSteps(UINT intervalMs) { timer_ = SetTimer(nullptr, 0, intervalMs, StepTimer); }

bool Robot::AnyOpen() const {
    // Counted from creation: a dialog's loop runs timers before it first shows the dialog.
    for (HWND window : created_)
        if (IsWindow(window) && !(ignore && ignore(window))) return true;
    return false;
}

void CALLBACK Robot::StepTimer(HWND, UINT, UINT_PTR, DWORD) {
    // A step is the user's next action: it waits until the windows answered so far are gone.
    // A step that opens a menu or a modal window runs inside it until it returns: the loop
    // there runs this timer too, and the next step must not start inside it.
    if (!current_ || current_->stepRunning_ || current_->steps_.empty() || current_->AnyOpen()) return;
    std::function<void()> step = std::move(current_->steps_.front());
    current_->steps_.pop_front();
    current_->stepRunning_ = true;
    step();
    if (current_) current_->stepRunning_ = false;
}

bool Robot::PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > timeoutMs) return false;
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
}

std::wstring Robot::TextOf(HWND window) {
    if (!window) return L"<none>";
    const int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    GetWindowTextW(window, &text[0], length + 1);
    text.resize(static_cast<std::size_t>(length));
    return text;
}

std::wstring Robot::ClassOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

void Robot::Press(HWND dialog, int id) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

std::wstring Widen(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }
