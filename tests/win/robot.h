// A small in-process test robot for Win32: it notices every dialog and message box that
// opens on the test's thread, hands it to the test's next scripted answer, and pumps
// messages with a bounded wait.
#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

class Robot {
public:
    using Answer = std::function<void(HWND window)>;

    Robot();
    ~Robot();
    Robot(const Robot&) = delete;
    Robot& operator=(const Robot&) = delete;
    // Forgets every answer, step and window, for another run of the program.
    void Reset();

    // Answers the next dialog or message box that opens, in order.
    void ThenAnswer(Answer answer) { answers_.push_back(std::move(answer)); }
    // Runs the steps one by one from a thread timer, once a message loop is running, no
    // window the robot noticed is still open and the step before has returned.
    void ThenDo(std::function<void()> step) { steps_.push_back(std::move(step)); }
    void StartSteps(UINT intervalMs = 30);

    // Every dialog or box that opened, with its title and text as they were when it opened.
    struct Seen {
        std::wstring title;
        std::wstring text;  // a message box's text, or "" for a dialog
        std::vector<int> buttons;  // identifiers of the buttons it had
    };
    const std::vector<Seen>& Opened() const { return opened_; }
    std::size_t UnusedAnswers() const { return answers_.size(); }
    // Windows the robot leaves alone, such as a program's modeless main window.
    std::function<bool(HWND)> ignore;

    // Pumps messages until `done` is true or the time is up; gives `done()`.
    static bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 5000);

    static std::wstring TextOf(HWND window);
    static std::wstring ControlText(HWND dialog, int id) { return TextOf(GetDlgItem(dialog, id)); }
    static std::wstring ClassOf(HWND window);
    // Clicks a button of a dialog or message box (posted, as a user's click would be).
    static void Press(HWND dialog, int id);

private:
    static LRESULT CALLBACK CbtHook(int code, WPARAM wParam, LPARAM lParam);
    static void CALLBACK StepTimer(HWND, UINT, UINT_PTR, DWORD);
    void Noticed(HWND window);
    bool AnyOpen() const;

    HHOOK hook_ = nullptr;
    UINT_PTR timer_ = 0;
    std::deque<Answer> answers_;
    std::deque<std::function<void()>> steps_;
    bool stepRunning_ = false;
    std::vector<Seen> opened_;
    std::vector<HWND> known_;
    std::vector<HWND> created_;
    static Robot* current_;
};

std::wstring Widen(const std::string& ascii);
