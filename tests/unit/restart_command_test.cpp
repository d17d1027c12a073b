#include <gtest/gtest.h>

#include "instance/restart_command.h"

using namespace kovalt::instance;

TEST(RestartCommand, OnlyACommandThatStartsTheWatchedProgramInAFolderThatExistsIsTaken) {
    EXPECT_EQ(programOf(L"  \"C:\\Program Files\\W\\wallet.exe\" -d \"x y\""),
              L"C:\\Program Files\\W\\wallet.exe");
    EXPECT_EQ(programOf(L"wallet.exe -daemon"), L"wallet.exe");
    const auto exists = [](const std::wstring& folder) { return folder == L"C:\\W"; };
    const auto problem = [&](const std::wstring& command, const std::wstring& folder = L"C:\\W") {
        return restartProblem(command, folder, L"Wallet.exe", exists).value_or(L"");
    };
    for (const wchar_t* fine : {L"\"C:\\Program Files\\W\\wallet.exe\" -d", L"C:\\W\\WALLET",
                                L"wallet.exe", L"C:/W/wallet.exe x"})
        EXPECT_EQ(problem(fine), L"") << fine;
    EXPECT_NE(problem(L"  ").find(L"is empty"), std::wstring::npos);
    EXPECT_NE(problem(L"\"C:\\W\\wallet.exe -d").find(L"not closed"), std::wstring::npos);
    EXPECT_NE(problem(L"\"\" wallet.exe").find(L"not closed"), std::wstring::npos);
    EXPECT_EQ(problem(L"C:\\W\\launcher.exe wallet.exe"),
              L"The restart command starts launcher.exe, not the watched Wallet.exe, so it could "
              L"not bring it back.");
    EXPECT_NE(problem(L"C:\\Program Files\\W\\wallet.exe").find(L"in double quotes"),
              std::wstring::npos);
    EXPECT_NE(problem(L"wallet.exe", L"C:\\Gone").find(L"C:\\Gone does not exist"),
              std::wstring::npos);
    EXPECT_NE(problem(L"wallet.exe", L"").find(L"is empty"), std::wstring::npos);
}
