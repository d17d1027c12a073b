#include "monitor/held_processes.h"

#include <algorithm>

#include "platform/process_query.h"

namespace kovalt::monitor {

bool HeldProcesses::gone(const Held& held) {
    return ::WaitForSingleObject(held.process.get(), 0) == WAIT_OBJECT_0;
}

bool HeldProcesses::allStillHeld(const std::wstring& name) const {
    if (!all_ || held_.empty() || name != name_) return false;
    return std::none_of(held_.begin(), held_.end(), gone);
}

bool HeldProcesses::allEnded() const {
    return all_ && !held_.empty() && std::all_of(held_.begin(), held_.end(), gone);
}

void HeldProcesses::hold(const std::wstring& name, const std::vector<unsigned long>& ids) {
    if (name != name_) held_.clear();
    name_ = name;
    std::erase_if(held_, [&](const Held& h) {
        return std::find(ids.begin(), ids.end(), h.id) == ids.end() || gone(h);
    });
    all_ = true;
    for (unsigned long id : ids) {
        if (std::any_of(held_.begin(), held_.end(), [id](const Held& h) { return h.id == id; }))
            continue;
        platform::UniqueHandle process = platform::openToWait(id);
        if (!process)
            all_ = false;  // another user's or an elevated process: asked about
        else
            holdStarted(id, std::move(process));
    }
    for (const Held& h : held_) all_ = all_ && h.wait->watched();
}

void HeldProcesses::holdStarted(unsigned long id, platform::UniqueHandle process) {
    HANDLE handle = process.get();
    held_.push_back({id, std::move(process), std::make_unique<ui::HandleWait>(handle, [this] {
                         if (ended) ended();
                     })});
}

}  // namespace kovalt::monitor
