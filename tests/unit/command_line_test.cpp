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
    const std::tuple<std::wstring MailFields::*, const wchar_t*, const wchar_t*> rows[] = {
        {&MailFields::password, L"hunter%2", L"The SMTP password holds \"%\""},
        {&MailFields::to, L"a@x\tb", L"The To address holds U+0009"},
        {&MailFields::to, L"a@x\x007f", L"The To address holds U+007F"},
        {&MailFields::from, L"j\x00f6rg@x", L"The From address holds \"\x00f6\""}};
    for (auto [field, value, message] : rows) {
        MailFields f = kFields;
        f.*field = value;
        EXPECT_TRUE(problem(f).starts_with(message)) << testing::PrintToString(problem(f));
        EXPECT_EQ(problem(f).find(L"hunter"), std::wstring::npos);
    }
    MailFields f = kFields;  // a line longer than cmd.exe runs, by one character
    f.to.resize(f.to.size() + kMaxLineLength - composeLine(f, kWatch1, AlertKind::Running).size(),
                L'a');
    EXPECT_EQ(problem(f), L"");
    f.to += L'a';
    EXPECT_NE(problem(f).find(L"a batch line holds at most 8000"), std::wstring::npos);
}
