#include <algorithm>
#include <sstream>

#include "email/alert_scripts.h"
#include "fuzz/mailer_args.h"
#include "monitor/alert_paths.h"
#include "platform/command_start.h"
#include "platform/files.h"
#include "win_test_support.h"

using namespace kovalt;

namespace {
// Puts a script in place, runs it through cmd.exe and reads what the stand-in mailer was given.
std::vector<std::wstring> argumentsGiven(const email::ScriptFile& script,
                                         const std::wstring& args) {
    ::DeleteFileW(args.c_str());
    EXPECT_TRUE(platform::replaceFile(script.path, script.bytes).ok());
    platform::StartedScript started;
    EXPECT_TRUE(platform::startBatchHidden(script.path, started).ok());
    EXPECT_TRUE(test::waitUntil([&] { return test::fileExists(args); }));
    std::vector<std::wstring> received;  // one argument per line, in UTF-8
    std::istringstream lines(test::readFile(args));
    for (std::string line; std::getline(lines, line);) {
        std::wstring& arg = received.emplace_back(line.size(), L'\0');
        arg.resize(::MultiByteToWideChar(CP_UTF8, 0, line.data(), int(line.size()), arg.data(),
                                         int(arg.size())));
    }
    return received;
}
}  // namespace

// Runs under locales whose script and cmd.exe code pages share letters beyond ASCII (the test
// command sets them, one with two-byte letters): what OK writes reaches the mailer's arguments
// exactly as typed.
TEST(ScriptCarriage, WhatTheCheckAcceptsReachesTheMailerUnchangedThroughCmd) {
    std::wstring letter(1, 0xC0);  // a Latin letter, else a kana of two bytes
    while (letter[0] < 0x3100 && !platform::ansiAndOemAgree(letter[0]))
        letter[0] = letter[0] == 0x250 ? 0x3041 : letter[0] + 1;
    ASSERT_LT(letter[0], 0x3100) << "no shared letter in " << ::GetACP() << " and " << ::GetOEMCP();
    test::ScratchFolder program(L"kovalt (x86) R&D");
    const std::wstring home = program / L"mail home & co", args = home + L"\\args.txt";
    test::makeFolder(home);
    test::makeFolder(program / L"BATS");
    ::CopyFileW((test::helperProgram(L"kovalt_test_mailer.exe")).c_str(),
                (home + L"\\SendEmail.exe").c_str(), FALSE);
    std::wstring printable;
    for (wchar_t c = 0x20; c < 0x7f; ++c)
        if (c != L'"' && c != L'%' && c != L'^') printable += c;
    const email::MailFields f{home,
                              L"127.0.0.1:25",
                              L"the user (admin)",
                              printable + L"\\",
                              L"j" + letter,
                              L"<me@x>; you@y",
                              L"c&d@x",
                              L"x\\\\"};
    const email::LineContext c{L"bob's & co!" + letter, L"auto", program.path(), L"W"};
    const auto scripts =
        email::prepareAlertScripts(f, c, platform::ansiAndOemAgree, platform::toAnsi);
    ASSERT_FALSE(scripts.problem) << test::narrow(scripts.problem->message);
    for (const std::wstring kind : {L"RUNNING", L"STOPPED"}) {
        const email::ScriptFile& script = scripts.files[kind == L"STOPPED"];
        const std::vector<std::wstring> received = argumentsGiven(script, args);
        EXPECT_EQ(received, fuzz::expectedArgs(f, c,
                                               kind == L"STOPPED" ? monitor::AlertKind::Stopped
                                                                  : monitor::AlertKind::Running));
    }
}

// Where the script's and cmd.exe's code pages differ beyond ASCII (the default locale): folders
// and a program name with such letters reach the mailer by their short names.
TEST(AccentedFolders, ReachTheMailerByTheirShortNames) {
    ASSERT_FALSE(platform::ansiAndOemAgree(L'\x00e4')) << ::GetACP() << " " << ::GetOEMCP();
    test::ScratchFolder program(L"kovalt W\x00e4chter");
    const std::wstring home = program / L"mail \x00e4";
    for (const std::wstring& folder : {home, program / L"BATS", program / L"LOGS"})
        test::makeFolder(folder);
    ::CopyFileW((test::helperProgram(L"kovalt_test_mailer.exe")).c_str(),
                (home + L"\\SendEmail.exe").c_str(), FALSE);
    const email::MailFields f{home, L"127.0.0.1:25", L"u", L"p", L"f@x", L"t@x", L"", L""};
    const email::LineContext c{L"w.exe", L"no", program.path(), L"J\x00fcrgen"};
    const auto scripts = email::prepareAlertScripts(f, c, platform::ansiAndOemAgree,
                                                    platform::toAnsi, platform::shortPathOf);
    ASSERT_FALSE(scripts.problem) << test::narrow(scripts.problem->message);
    const auto received = argumentsGiven(scripts.files[1], home + L"\\args.txt");
    const auto log = std::find(received.begin(), received.end(), L"-l");
    ASSERT_LT(log + 1, received.end());
    std::wstring longForm(1024, L'\0');
    longForm.resize(::GetLongPathNameW((log + 1)->c_str(), longForm.data(), 1024));
    EXPECT_EQ(longForm, monitor::mailerLogPath(program.path(), c.instanceName));
}
