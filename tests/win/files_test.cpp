#include <sstream>

#include "email/alert_scripts.h"
#include "fuzz/mailer_args.h"
#include "platform/command_start.h"
#include "win_test_support.h"

using namespace kovalt;

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
    // Each script put in place and run through cmd.exe; the stand-in mailer writes what it was
    // given, one argument per line in UTF-8.
    for (auto kind : {monitor::AlertKind::Running, monitor::AlertKind::Stopped}) {
        const email::ScriptFile& script = scripts.files[kind == monitor::AlertKind::Stopped];
        ::DeleteFileW(args.c_str());
        ASSERT_TRUE(platform::replaceFile(script.path, script.bytes).ok());
        platform::StartedScript started;
        ASSERT_TRUE(platform::startBatchHidden(script.path, started).ok());
        ASSERT_TRUE(test::waitUntil([&] { return test::fileExists(args); }));
        std::vector<std::wstring> received;
        std::istringstream lines(test::readFile(args));
        for (std::string line; std::getline(lines, line);) {
            std::wstring& arg = received.emplace_back(line.size(), L'\0');
            arg.resize(::MultiByteToWideChar(CP_UTF8, 0, line.data(), int(line.size()), arg.data(),
                                             int(arg.size())));
        }
        EXPECT_EQ(received, fuzz::expectedArgs(f, c, kind));
    }
}
