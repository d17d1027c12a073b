#include "monitor/metrics_text.h"

#include <cstdio>

namespace kovalt::monitor {

namespace {
void utf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.15g", value);
    return text;
}

struct Writer {
    const std::string labels;  // watch and process, for every series
    std::string out;

    void family(const char* name, const char* type, const char* help) {
        out += std::string("# HELP ") + name + " " + help + "\n# TYPE " + name + " " + type + "\n";
    }
    void sample(const char* name, const std::string& more, const std::string& value) {
        out += std::string(name) + "{" + labels + more + "} " + value + "\n";
    }
};
}  // namespace

std::string labelValue(const std::wstring& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = static_cast<char32_t>(text[i]);
        // Windows text is UTF-16: a pair of surrogates is one letter; a lone one has no UTF-8.
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] < 0xE000)
            c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<char32_t>(text[++i]) - 0xDC00);
        else if (c >= 0xD800 && c < 0xE000)
            c = 0xFFFD;
        if (c == '\\' || c == '"') out += '\\';
        if (c == '\n')
            out += "\\n";
        else
            utf8(out, c);
    }
    return out;
}

std::wstring metricsFileName(const std::wstring& instance) {
    return L"kovalt_" + instance + L".prom";
}

std::string metricsText(const MetricsState& s) {
    Writer w{"watch=\"" + labelValue(s.watch) + "\",process=\"" + labelValue(s.process) + "\""};
    w.family("kovalt_up", "gauge", "Whether the watched program runs as the watchdog sees it.");
    w.sample("kovalt_up", "", s.state == "running" ? "1" : "0");
    w.family("kovalt_state", "gauge",
             "The watchdog's verdict on the watched program: 1 for the state it is in.");
    for (const char* state : {"running", "stopped", "stuck", "no_check", "off"})
        if (std::string(state) != "stuck" || s.stuckChecks)
            w.sample("kovalt_state", std::string(",state=\"") + state + "\"",
                     s.state == state ? "1" : "0");
    w.family("kovalt_last_change_timestamp_seconds", "gauge",
             "When the watchdog's verdict last changed, in seconds since 1970.");
    w.sample("kovalt_last_change_timestamp_seconds", "", number(s.lastChange));
    w.family("kovalt_last_check_timestamp_seconds", "gauge",
             "When the watched program was last checked, in seconds since 1970.");
    w.sample("kovalt_last_check_timestamp_seconds", "", number(s.lastCheck));
    w.family("kovalt_restarts_total", "counter",
             "Restarts of the watched program since the watchdog started.");
    w.sample("kovalt_restarts_total", "", std::to_string(s.restarts));
    w.family("kovalt_alerts_total", "counter",
             "Alert tries ended since the watchdog started, by road and result.");
    for (const MetricsState::Road& r : s.roads)
        for (const auto& [result, count] : {std::pair{"sent", r.sent}, {"failed", r.failed}})
            w.sample("kovalt_alerts_total", ",road=\"" + r.name + "\",result=\"" + result + "\"",
                     std::to_string(count));
    w.family("kovalt_alerts_pending", "gauge", "Alerts not yet sent, by road.");
    for (const MetricsState::Road& r : s.roads)
        w.sample("kovalt_alerts_pending", ",road=\"" + r.name + "\"", std::to_string(r.pending));
    w.family("kovalt_info", "gauge", "The watchdog's version and the instance's display name.");
    w.sample(
        "kovalt_info",
        ",version=\"" + labelValue(s.version) + "\",name=\"" + labelValue(s.displayName) + "\"",
        "1");
    return w.out;
}

}  // namespace kovalt::monitor
