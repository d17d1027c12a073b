// Where an instance's alert scripts live: program folder + "\BATS\" + instance name + a fixed
// ending. The pieces are joined as they are, so a drive-root folder gives "C:\\BATS\...".
#pragma once

#include <string>

#include "monitor/run_monitor.h"

namespace kovalt::monitor {

std::wstring alertScriptPath(const std::wstring& programFolder, const std::wstring& instanceName,
                             AlertKind kind);

// Where the mailer writes its log: program folder + "\LOGS\" + instance name +
// "-SEND-EMAIL.LOG".
std::wstring mailerLogPath(const std::wstring& programFolder, const std::wstring& instanceName);

}  // namespace kovalt::monitor
