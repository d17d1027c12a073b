#include "platform/ui/message_loop.h"

#include "platform/ui/window.h"

namespace kovalt::ui {

namespace {
// The objects this thread's message loops wait on besides their messages.
thread_local std::vector<HandleWait*> waits;
constexpr size_t kMaxWaits = MAXIMUM_WAIT_OBJECTS - 1;  // one slot is the message queue's

// Waits for a message or a signalled object, running the object's wait; GetMessageW's result.
BOOL nextMessage(MSG& msg) {
    for (;;) {
        if (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) return msg.message == WM_QUIT ? 0 : 1;
        const std::vector<HANDLE> handles = HandleWait::handles();
        const DWORD waited =
            ::MsgWaitForMultipleObjectsEx(static_cast<DWORD>(handles.size()), handles.data(),
                                          INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (waited == WAIT_FAILED) return -1;
        HandleWait::runSignalled(waited);
    }
}
}  // namespace

std::vector<HANDLE> HandleWait::handles() {
    std::vector<HANDLE> handles;
    for (const HandleWait* w : waits) handles.push_back(w->handle_);
    return handles;
}

bool HandleWait::runSignalled(DWORD waited) {
    if (waited < WAIT_OBJECT_0 || waited >= WAIT_OBJECT_0 + waits.size()) return false;
    HandleWait* signalled = waits[waited - WAIT_OBJECT_0];
    // It runs once, and may end other waits (or its own) as it runs.
    std::erase(waits, signalled);
    signalled->watched_ = false;
    std::function<void()> run = signalled->onSignal_;
    run();
    return true;
}

HandleWait::HandleWait(HANDLE handle, std::function<void()> onSignal)
    : handle_(handle), onSignal_(std::move(onSignal)) {
    if (handle_ && waits.size() < kMaxWaits) {
        waits.push_back(this);
        watched_ = true;
    }
}

HandleWait::~HandleWait() { std::erase(waits, this); }

void showModal(Window& window, HWND owner) {
    if (!window.hwnd()) return;
    if (owner) ::EnableWindow(owner, FALSE);
    ::ShowWindow(window.hwnd(), SW_SHOW);
    // The keyboard starts at the first control in the tab order, as in a dialog.
    if (HWND first = ::GetNextDlgTabItem(window.hwnd(), nullptr, FALSE)) ::SetFocus(first);
    int quitCode = -1;
    MSG msg;
    while (window.isOpen()) {
        BOOL got = nextMessage(msg);
        if (got == 0) {
            quitCode = static_cast<int>(msg.wParam);
            break;
        }
        if (got == -1) break;
        if (!::IsDialogMessageW(window.hwnd(), &msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    // The owner is enabled before the window goes, so activation returns to it and not to
    // another program's window.
    if (owner) ::EnableWindow(owner, TRUE);
    if (window.hwnd()) {
        if (owner) ::SetActiveWindow(owner);
        ::DestroyWindow(window.hwnd());
    }
    if (quitCode != -1) ::PostQuitMessage(quitCode);  // leave the quit for the outer loop
}

int runMessageLoop(Window& main) {
    MSG msg;
    while (main.isOpen()) {
        BOOL got = nextMessage(msg);
        if (got == 0) return static_cast<int>(msg.wParam);
        if (got == -1) break;
        if (!::IsDialogMessageW(main.hwnd(), &msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    return 0;
}

void pumpMessages(std::chrono::milliseconds span) {
    const auto end = std::chrono::steady_clock::now() + span;
    MSG msg;
    while (std::chrono::steady_clock::now() < end) {
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        const std::vector<HANDLE> handles = HandleWait::handles();
        HandleWait::runSignalled(::MsgWaitForMultipleObjects(
            static_cast<DWORD>(handles.size()), handles.data(), FALSE, 10, QS_ALLINPUT));
    }
}

}  // namespace kovalt::ui
