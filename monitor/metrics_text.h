// The watchdog's state as a Prometheus text file, for the textfile collector of windows_exporter
// (node_exporter reads the same format): what the light says, when it changed and was last
// checked, restarts, and the alerts of each road, every series labelled with the instance
// ("watch") and the watched program ("process").
#pragma once

#include <string>
#include <vector>

namespace kovalt::monitor {

struct MetricsState {
    std::wstring watch, process, displayName, version;
    // "running", "stopped", "stuck", "no_check" or "off".
    std::string state;
    bool stuckChecks = false;              // the checks that a running program works are set up
    double lastChange = 0, lastCheck = 0;  // seconds since 1970; 0: not yet
    long long restarts = 0;
    struct Road {
        std::string name;  // "email", "push"
        long long sent = 0, failed = 0, pending = 0;
    };
    std::vector<Road> roads;
};

// The whole file, UTF-8, ending with a newline.
std::string metricsText(const MetricsState& state);
// A label value as the text format carries it: backslash, quote and line feed escaped, UTF-8.
std::string labelValue(const std::wstring& text);

// The file's name in the metrics folder: "kovalt_<instance>.prom".
std::wstring metricsFileName(const std::wstring& instance);

}  // namespace kovalt::monitor
