// The instance's working state while the program runs, shared by its windows: the display
// name, the watched name (every edit of the settings window's name box), and the two mailer
// lines the e-mail window composes, which the output viewer shows.
#pragma once

#include <string>

namespace kovalt::monitor {

struct InstanceState {
    std::wstring runnerName;
    std::wstring processName;
    std::wstring runningCommand, stoppedCommand;
};

}  // namespace kovalt::monitor
