#include <gtest/gtest.h>

#include "monitor/alert_paths.h"
#include "platform/program_identity.h"

using kovalt::platform::identityFromPath;
using namespace kovalt::monitor;

TEST(ProgramIdentity, FolderAndInstanceNameComeFromTheExecutablePath) {
    const std::tuple<const wchar_t*, const wchar_t*, const wchar_t*> rows[] = {
        {L"C:\\TALVERO-ROOT\\KOV-ALT\\WATCH1.exe", L"C:\\TALVERO-ROOT\\KOV-ALT", L"WATCH1"},
        {L"D:\\WALLET-WATCH.exe", L"D:\\", L"WALLET-WATCH"},  // a drive root keeps its backslash
        {L"C:\\Program Files\\my.watch.v2.EXE", L"C:\\Program Files", L"my.watch.v2"},
        {L"\\\\server\\share\\.hidden", L"\\\\server\\share", L".hidden"},
        {L"C:/tools/w.exe", L"C:/tools", L"w"}};
    for (auto [path, folder, instance] : rows) {
        const auto id = identityFromPath(path);
        EXPECT_EQ(id.folder, folder) << path;
        EXPECT_EQ(id.instanceName, instance) << path;
    }
    // The script path joins the pieces as they are, so a drive root gives a doubled separator.
    EXPECT_EQ(alertScriptPath(L"D:\\", L"W", AlertKind::Stopped),
              L"D:\\\\BATS\\W-PROCESS-STOPPED-EMAIL.bat");
}
