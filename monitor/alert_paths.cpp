#include "monitor/alert_paths.h"

namespace kovalt::monitor {

std::wstring alertScriptPath(const std::wstring& programFolder, const std::wstring& instanceName,
                             AlertKind kind) {
    // A reminder of a stop is the stop's script again.
    const std::wstring ending = kind == AlertKind::Test ? L"-TEST-EMAIL.bat"
                                : kind == AlertKind::Running || kind == AlertKind::Stuck
                                    ? L"-PROCESS-" + std::wstring(kindWord(kind)) + L"-EMAIL.bat"
                                    : L"-PROCESS-STOPPED-EMAIL.bat";
    return programFolder + L"\\BATS\\" + instanceName + ending;
}

std::wstring mailerLogPath(const std::wstring& programFolder, const std::wstring& instanceName) {
    return programFolder + L"\\LOGS\\" + instanceName + L"-SEND-EMAIL.LOG";
}

}  // namespace kovalt::monitor
