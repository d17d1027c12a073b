#include "platform/single_instance.h"

#include "platform/program_identity.h"

namespace kovalt::platform {

namespace {
std::wstring folded(std::wstring name) {
    if (!name.empty()) ::CharUpperBuffW(name.data(), static_cast<DWORD>(name.size()));
    return name;
}

// The instance name of the program that runs as process `id`, or nothing.
std::wstring instanceOf(DWORD id) {
    const UniqueHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id));
    std::wstring path(32768, L'\0');  // the longest path Windows has
    DWORD length = static_cast<DWORD>(path.size());
    if (!process || !::QueryFullProcessImageNameW(process.get(), 0, path.data(), &length))
        return {};
    path.resize(length);
    return identityFromPath(path).instanceName;
}

HWND shownByOtherCopy(const std::wstring& foldedName, const wchar_t* windowClass) {
    for (HWND w = ::FindWindowExW(nullptr, nullptr, windowClass, nullptr); w;
         w = ::FindWindowExW(nullptr, w, windowClass, nullptr)) {
        DWORD id = 0;
        ::GetWindowThreadProcessId(w, &id);
        if (id != ::GetCurrentProcessId() && ::IsWindowVisible(w) &&
            folded(instanceOf(id)) == foldedName)
            return w;
    }
    return nullptr;
}
}  // namespace

InstanceLock::InstanceLock(const std::wstring& instanceName)
    : object_(::CreateMutexW(nullptr, FALSE, instanceLockName(folded(instanceName)).c_str())),
      // A copy run as administrator makes an object the others may not open: held all the same.
      heldElsewhere_(::GetLastError() == (object_ ? ERROR_ALREADY_EXISTS : ERROR_ACCESS_DENIED)) {}

RestartLock::RestartLock(const std::wstring& programName)
    : object_(::CreateMutexW(nullptr, FALSE, restartLockName(folded(programName)).c_str())) {
    // Left by a copy that ended while holding it: free to take. Made by a copy run as
    // administrator: that copy restarts. Not made for another reason: restarting twice is
    // better than not at all.
    if (!object_) {
        held_ = ::GetLastError() != ERROR_ACCESS_DENIED;
        return;
    }
    const DWORD waited = ::WaitForSingleObject(object_.get(), 0);
    held_ = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
}

RestartLock::~RestartLock() {
    if (held_ && object_) ::ReleaseMutex(object_.get());
}

bool bringRunningCopyForward(const std::wstring& instanceName, const wchar_t* windowClass) {
    const std::wstring name = folded(instanceName);
    for (int attempt = 0; attempt < 30; ++attempt) {
        if (HWND window = shownByOtherCopy(name, windowClass)) {
            // Asynchronous: a first copy that hangs must not hold this one up.
            if (::IsIconic(window)) ::ShowWindowAsync(window, SW_RESTORE);
            if (!::SetForegroundWindow(window))
                ::SetWindowPos(window, HWND_TOP, 0, 0, 0, 0,
                               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_ASYNCWINDOWPOS);
            return true;
        }
        ::Sleep(100);
    }
    return false;
}

}  // namespace kovalt::platform
