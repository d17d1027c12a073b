// The processes of the watched name held open while restarts are on, so that their end is seen
// the moment it comes (from whichever of the program's message loops waits), not at the next
// count.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "monitor/watchdog.h"
#include "platform/ui/window.h"
#include "platform/win_handles.h"

namespace kovalt::monitor {

class HeldProcesses final : public ProcessHold {
public:
    void hold(const std::wstring& name, const std::vector<unsigned long>& ids) override;
    bool allStillHeld(const std::wstring& name) const override;
    bool allEnded() const override;
    void release() override { held_.clear(); }
    // A copy the watchdog started itself, held from its start, so that one that ends at once
    // is seen to.
    void holdStarted(unsigned long id, platform::UniqueHandle process);

private:
    struct Held {
        unsigned long id;
        platform::UniqueHandle process;
        std::unique_ptr<ui::HandleWait> wait;
    };
    static bool gone(const Held& held);

    std::vector<Held> held_;
    std::wstring name_;
    bool all_ = false;  // every process of name_ the last count found is held
};

}  // namespace kovalt::monitor
