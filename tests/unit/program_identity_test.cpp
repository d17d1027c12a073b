#include <gtest/gtest.h>

#include "instance/folder_tree.h"
#include "monitor/alert_paths.h"
#include "platform/program_identity.h"

using kovalt::platform::identityFromPath;
using namespace kovalt::monitor;

TEST(ProgramIdentity, FolderAndInstanceNameComeFromTheExecutablePath) {
    auto id = identityFromPath(L"C:\\TALVERO-ROOT\\KOV-ALT\\WATCH1.exe");
    EXPECT_EQ(id.folder, L"C:\\TALVERO-ROOT\\KOV-ALT");
    EXPECT_EQ(id.instanceName, L"WATCH1");
    id = identityFromPath(L"D:\\WALLET-WATCH.exe");
    EXPECT_EQ(id.folder, L"D:\\") << "a drive root keeps its backslash";
    EXPECT_EQ(id.instanceName, L"WALLET-WATCH");
    id = identityFromPath(L"C:\\Program Files\\my.watch.v2.EXE");
    EXPECT_EQ(id.folder, L"C:\\Program Files");
    EXPECT_EQ(id.instanceName, L"my.watch.v2");
}

TEST(AlertPaths, PiecesAreJoinedAsTheyAre) {
    EXPECT_EQ(alertScriptPath(L"C:\\TALVERO-ROOT\\KOV-ALT", L"WATCH1", AlertKind::Running),
              L"C:\\TALVERO-ROOT\\KOV-ALT\\BATS\\WATCH1-PROCESS-RUNNING-EMAIL.bat");
    EXPECT_EQ(alertScriptPath(L"D:\\Tools", L"WALLET-WATCH", AlertKind::Stopped),
              L"D:\\Tools\\BATS\\WALLET-WATCH-PROCESS-STOPPED-EMAIL.bat");
    EXPECT_EQ(alertScriptPath(L"D:\\", L"W", AlertKind::Stopped),
              L"D:\\\\BATS\\W-PROCESS-STOPPED-EMAIL.bat");
}

TEST(FolderTree, BatsAndLogsLieBesideTheExecutable) {
    auto tree = kovalt::instance::folderTree(L"C:\\TALVERO-ROOT\\KOV-ALT");
    EXPECT_EQ(tree[0], L"C:\\TALVERO-ROOT\\KOV-ALT\\BATS");
    EXPECT_EQ(tree[1], L"C:\\TALVERO-ROOT\\KOV-ALT\\LOGS");
    EXPECT_EQ(kovalt::instance::folderProblem(L"X:\\BATS", L"Access is denied"),
              L"Could not make the folder X:\\BATS: Access is denied");
}
