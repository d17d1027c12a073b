#include "monitor/alert_paths.h"

namespace kovalt::monitor {

std::wstring alertScriptPath(const std::wstring& programFolder, const std::wstring& instanceName,
                             AlertKind kind) {
    const wchar_t* ending = kind == AlertKind::Test      ? L"-TEST-EMAIL.bat"
                            : kind == AlertKind::Running ? L"-PROCESS-RUNNING-EMAIL.bat"
                                                         : L"-PROCESS-STOPPED-EMAIL.bat";
    return programFolder + L"\\BATS\\" + instanceName + ending;
}

std::wstring mailerLogPath(const std::wstring& programFolder, const std::wstring& instanceName) {
    return programFolder + L"\\LOGS\\" + instanceName + L"-SEND-EMAIL.LOG";
}

}  // namespace kovalt::monitor
