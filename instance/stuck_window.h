// The window "Is it working?": the checks that the running program still works (its log still
// written, an address still answering, its CPU time still moving, its window responding) and
// whether a stuck program is ended and started again. Opened modal over the settings window;
// OK checks the boxes, stores them and hands them to the watchdog, Cancel and Esc keep nothing.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "monitor/instance_state.h"
#include "monitor/switches.h"
#include "platform/instance_context.h"
#include "platform/ui/window.h"

namespace kovalt::instance {

class StuckWindow final : public ui::Window {
public:
    enum ControlId {
        TITLE_LABEL = 501,
        HEADING_LABEL,
        STUCK_FILE_LABEL,
        STUCK_FILE_TEXTBOX,
        STUCK_FILE_MINUTES_LABEL,
        STUCK_FILE_MINUTES_TEXTBOX,
        STUCK_ADDRESS_LABEL,
        STUCK_ADDRESS_TEXTBOX,
        STUCK_ADDRESS_FAILURES_LABEL,
        STUCK_ADDRESS_FAILURES_TEXTBOX,
        STUCK_ADDRESS_FAILURES_UNIT_LABEL,
        STUCK_CPU_LABEL,
        STUCK_CPU_MINUTES_TEXTBOX,
        STUCK_CPU_UNIT_LABEL,
        STUCK_WINDOW_TICKBOX,
        STUCK_WINDOW_NOTE_LABEL,
        RESTART_STUCK_TICKBOX,
        STATUS_LABEL,
        CANCEL_BUTTON,
        OK_BUTTON,
    };

    // `restartReady` says whether Restart when stopped is ticked with a command in the window
    // this one opens over, which restarting a stuck program needs.
    StuckWindow(const platform::InstanceContext& context, const monitor::InstanceState& state,
                monitor::Switches& switches, HWND owner, std::function<bool()> restartReady);

    // Creates the window (hidden) and runs its load; showModal() shows it.
    platform::Result open();

    void Form_Load();
    void Form_Unload();
    void OK_BUTTON_Click();
    void CANCEL_BUTTON_Click() { close(); }

protected:
    void onCommand(int id, int code, HWND control) override;
    void onClose() override { Form_Unload(); }

private:
    void createControls();
    std::optional<std::wstring> store();
    // The stuck alert's script, in place while a check is set up, gone while none is.
    std::optional<std::wstring> keepStuckScript();

    const platform::InstanceContext& context_;
    const monitor::InstanceState& state_;
    monitor::Switches& switches_;
    HWND owner_;
    std::function<bool()> restartReady_;
};

}  // namespace kovalt::instance
