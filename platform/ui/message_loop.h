// The program's message loops: the main one, modal showing, and pumping for tools and tests,
// all of which also run the waits on kernel objects. Reached through window.h.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <vector>

namespace kovalt::ui {

class Window;

// Runs `onSignal` on this thread once `handle` is signalled, from whichever of the program's
// message loops waits (runMessageLoop, showModal, pumpMessages); a dialog of the system's own
// does not. It runs once; the wait ends with this object. The loops wait on at most 63
// objects: one more is not watched (watched() says so).
class HandleWait {
public:
    HandleWait(HANDLE handle, std::function<void()> onSignal);
    HandleWait(const HandleWait&) = delete;
    HandleWait& operator=(const HandleWait&) = delete;
    ~HandleWait();
    bool watched() const { return watched_; }

    // For the message loops: the objects waited on, in order, and the wait of the one whose
    // index a wait function returned (WAIT_OBJECT_0 + i), run; false for any other result.
    static std::vector<HANDLE> handles();
    static bool runSignalled(DWORD waited);

private:
    HANDLE handle_;
    std::function<void()> onSignal_;
    bool watched_ = false;
};

// Shows `window` modal over `owner`: the owner takes no input until it closes, while every
// window's timers go on ticking. Returns when the window has closed.
void showModal(Window& window, HWND owner);

// Runs the program's message loop until WM_QUIT, with dialog keyboard handling for `main`.
int runMessageLoop(Window& main);

// Dispatches this thread's messages for a while, so timers fire and windows paint; for tools
// and tests that drive windows without a loop of their own.
void pumpMessages(std::chrono::milliseconds span);

}  // namespace kovalt::ui
