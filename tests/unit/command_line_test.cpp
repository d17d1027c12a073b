#include <gtest/gtest.h>

#include "email/command_line.h"
#include "fuzz/mailer_args.h"

using namespace kovalt::email;
using kovalt::monitor::AlertKind;

namespace {
const LineContext kWatch1{L"wallet.exe", L"no", L"C:\\TALVERO-ROOT\\KOV-ALT", L"WATCH1"};
const MailFields kFields{L"C:\\Mail Home", L"smtp:25", L"u", L"p", L"f@x", L"t@x", L"", L""};
const CodePageCheck kAsciiOnly = [](wchar_t) { return false; };
std::wstring problem(const MailFields& f, const LineContext& c = kWatch1,
                     const CodePageCheck& holds = kAsciiOnly) {
    auto p = findCarriageProblem(f, c, holds);
    return p ? p->message : L"";
}
}  // namespace

TEST(CommandLine, TheLinesFollowTheMailersGrammarByteForByte) {
    const MailFields f{L"C:\\TALVERO-ROOT\\SendEmail",
                       L"smtp.example.org:25",
                       L"alerts",
                       L"s3cret",
                       L"watch@example.org",
                       L"me@example.org",
                       L"cc@example.org",
                       L"bcc@example.org"};
    LineContext c = kWatch1;
    c.tlsWord = L"auto";
    const std::wstring running = composeLine(f, c, AlertKind::Running);
    EXPECT_EQ(
        running,
        L"call \"C:\\TALVERO-ROOT\\SendEmail\\SendEmail.exe\" -f \"watch@example.org\" -t "
        L"\"me@example.org\" -cc \"cc@example.org\" -bcc \"bcc@example.org\" -u \"KOV-ALT - "
        L"wallet.exe - RUNNING\" -m \"KOV-ALT - wallet.exe - RUNNING\" -s \"smtp.example.org:25\" "
        L"-xu \"alerts\" -xp \"s3cret\" -o reply-to=watch@example.org -l "
        L"\"C:\\TALVERO-ROOT\\KOV-ALT\\"
        L"LOGS\\WATCH1-SEND-EMAIL.LOG\" -o tls=auto -o username=alerts -o password=s3cret -q -v ");
    std::wstring stopped = composeLine(f, c, AlertKind::Stopped);
    for (size_t at; (at = stopped.find(L"STOPPED")) != std::wstring::npos;)
        stopped.replace(at, 7, L"RUNNING");
    EXPECT_EQ(stopped, running) << "the lines differ only in the subject";
}

TEST(CommandLine, EveryPrintableCharacterInEveryPlaceArrivesAsTypedOrIsRefused) {
    for (int place = 0; place < 8; ++place)
        for (wchar_t ch = 0x20; ch < 0x7f; ++ch)
            // Inside, at the end (before a closing quote), alone and doubled.
            for (std::wstring value :
                 {L"a" + std::wstring(1, ch) + L"b", L"a" + std::wstring(1, ch),
                  std::wstring(1, ch), std::wstring(2, ch)}) {
                MailFields f = kFields;
                LineContext c = kWatch1;
                std::wstring* const places[] = {&f.server, &f.user, &f.password, &f.from,
                                                &f.to,     &f.cc,   &f.bcc,      &c.processName};
                *places[place] = value;
                const bool refused = ch == L'"' || ch == L'%' || ch == L'^';
                ASSERT_EQ(problem(f, c).empty(), !refused) << int(ch);
                const std::wstring program = L"call \"C:\\Mail Home\\SendEmail.exe\"";
                for (auto kind : {AlertKind::Running, AlertKind::Stopped}) {
                    const std::wstring line = composeLine(f, c, kind);
                    ASSERT_TRUE(line.starts_with(program));
                    if (refused) continue;
                    ASSERT_EQ(kovalt::fuzz::argvOf(std::wstring_view(line).substr(program.size())),
                              kovalt::fuzz::expectedArgs(f, c, kind))
                        << int(ch);
                }
            }
}

TEST(CommandLine, ProblemsNameTheFieldAndCharacterButNeverThePassword) {
    MailFields f = kFields;
    f.password = L"hunter%2";
    EXPECT_TRUE(problem(f).starts_with(L"The SMTP password holds \"%\""));
    EXPECT_EQ(problem(f).find(L"hunter"), std::wstring::npos);
    f = kFields;
    f.to = L"a@x\tb";
    EXPECT_TRUE(problem(f).starts_with(L"The To address holds U+0009"));
    f.to = L"a@x\x007f";
    EXPECT_TRUE(problem(f).starts_with(L"The To address holds U+007F"));
    f = kFields;
    f.from = L"j\x00f6rg@x";  // beyond ASCII only what the code pages keep goes through
    EXPECT_TRUE(problem(f).starts_with(L"The From address holds \"\x00f6\""));
    EXPECT_EQ(problem(f, kWatch1, [](wchar_t c) { return c == 0x00f6; }), L"");
    LineContext c = kWatch1;
    c.programFolder = L"C:\\Users\\Jos\x00e9";
    EXPECT_TRUE(problem(kFields, c).starts_with(L"The program folder holds"));
    f = kFields;  // a line longer than cmd.exe runs, by one character
    f.to.resize(f.to.size() + kMaxLineLength - composeLine(f, kWatch1, AlertKind::Running).size(),
                L'a');
    EXPECT_EQ(problem(f), L"");
    f.to += L'a';
    EXPECT_NE(problem(f).find(L"a batch line holds at most 8000"), std::wstring::npos);
}

TEST(CommandLine, AProblemPointsAtWhatTheUserCanChangeThere) {
    // A "%" in each place the user does not type into the e-mail window, and a word only the
    // advice for that place has; a field's advice has none of them.
    const std::pair<std::wstring LineContext::*, const wchar_t*> places[] = {
        {&LineContext::processName, L"settings window"},
        {&LineContext::programFolder, L"another folder"},
        {&LineContext::instanceName, L"Rename the program file"},
        {nullptr, nullptr}};
    for (const auto& [place, word] : places) {
        LineContext c = kWatch1;
        MailFields f = kFields;
        (place ? c.*place : f.to) += L"%";
        const std::wstring message = problem(f, c);
        for (const auto& [other, otherWord] : places)
            if (otherWord)
                EXPECT_EQ(message.find(otherWord) != std::wstring::npos, other == place)
                    << testing::PrintToString(message);
    }
}
