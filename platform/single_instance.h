// One running copy per instance in a user's session. A second copy of the same instance would
// watch the same process, mail every change twice and overwrite the first copy's settings; so the
// first copy holds a named object for as long as it runs, and a later start finds it there,
// brings the first copy's window forward and ends.
#pragma once

#include <windows.h>

#include <string>

#include "platform/win_handles.h"

namespace kovalt::platform {

// Instance names are compared as Windows compares file names and registry keys: without regard
// to case, so "WATCH1" and "watch1" are one instance.
class InstanceLock {
public:
    explicit InstanceLock(const std::wstring& instanceName);
    // Another copy of this instance runs in this session. When the object cannot be made for
    // another reason, the copy runs: watching twice is better than not watching.
    bool heldElsewhere() const { return heldElsewhere_; }

private:
    UniqueHandle object_;
    bool heldElsewhere_ = false;
};

// Held while this copy restarts the watched program, so that two instances watching one program
// never start it twice: not held when another copy is restarting it at this moment.
class RestartLock {
public:
    explicit RestartLock(const std::wstring& programName);
    RestartLock(const RestartLock&) = delete;
    RestartLock& operator=(const RestartLock&) = delete;
    ~RestartLock();
    bool held() const { return held_; }

private:
    UniqueHandle object_;
    bool held_ = false;
};

// Brings forward the top-level window of `windowClass` that another copy of the instance shows:
// restored when minimised, then made the foreground window. Windows lets a program just started
// by the user do that; when it refuses (the start came from elsewhere), the window is only raised
// among its neighbours. Waits up to three seconds for a copy that is still opening its window.
// Returns whether there was one.
bool bringRunningCopyForward(const std::wstring& instanceName, const wchar_t* windowClass);

}  // namespace kovalt::platform
