#include <gtest/gtest.h>

#include "email/command_line.h"

using namespace kovalt::email;
using kovalt::monitor::AlertKind;

namespace {
const LineContext kWatch1{L"", L"no", L"C:\\TALVERO-ROOT\\KOV-ALT", L"WATCH1"};
const CodePageCheck kAsciiOnly = [](wchar_t) { return false; };

// How the mailer's C runtime splits its command line into arguments (cmd.exe passes the part
// after the program name through unchanged, as the values never hold % ^ or ").
std::vector<std::wstring> argvOf(const std::wstring& tail) {
    std::vector<std::wstring> args;
    size_t i = 0;
    while (i < tail.size()) {
        while (i < tail.size() && (tail[i] == L' ' || tail[i] == L'\t')) ++i;
        if (i >= tail.size()) break;
        std::wstring arg;
        bool inQuotes = false;
        while (i < tail.size() && (inQuotes || (tail[i] != L' ' && tail[i] != L'\t'))) {
            size_t slashes = 0;
            while (i < tail.size() && tail[i] == L'\\') ++slashes, ++i;
            if (i < tail.size() && tail[i] == L'"') {
                arg.append(slashes / 2, L'\\');
                if (slashes % 2) {
                    arg += L'"';
                } else {
                    inQuotes = !inQuotes;
                }
                ++i;
            } else {
                arg.append(slashes, L'\\');
                if (i < tail.size() && (inQuotes || (tail[i] != L' ' && tail[i] != L'\t')))
                    arg += tail[i++];
            }
        }
        args.push_back(arg);
    }
    return args;
}

// The arguments after the program name, as the mailer receives them.
std::vector<std::wstring> mailerArgs(const MailFields& f, const LineContext& c, AlertKind kind) {
    const std::wstring line = composeLine(f, c, kind);
    const std::wstring prefix = L"call \"" + f.home + L"\\SendEmail.exe\"";
    EXPECT_EQ(line.substr(0, prefix.size()), prefix);
    return argvOf(line.substr(prefix.size()));
}

std::vector<std::wstring> expectedArgs(const MailFields& f, const LineContext& c, AlertKind kind) {
    const std::wstring s = subjectFor(c.processName, kind);
    return {L"-f", f.from, L"-t", f.to, L"-cc", f.cc, L"-bcc", f.bcc, L"-u", s, L"-m", s,
            L"-s", f.server, L"-xu", f.user, L"-xp", f.password, L"-o", L"reply-to=" + f.from,
            L"-l", c.programFolder + L"\\LOGS\\" + c.instanceName + L"-SEND-EMAIL.LOG",
            L"-o", L"tls=" + c.tlsWord, L"-o", L"username=" + f.user, L"-o",
            L"password=" + f.password, L"-q", L"-v"};
}
}  // namespace

TEST(CommandLine, AnEmptyInstanceGivesTheReferenceLineByteForByte) {
    EXPECT_EQ(composeLine({}, kWatch1, AlertKind::Running),
              L"call \"\\SendEmail.exe\" -f \"\" -t \"\" -cc \"\" -bcc \"\" -u \"KOV-ALT -  - "
              L"RUNNING\" -m \"KOV-ALT -  - RUNNING\" -s \"\" -xu \"\" -xp \"\" -o reply-to= -l "
              L"\"C:\\TALVERO-ROOT\\KOV-ALT\\LOGS\\WATCH1-SEND-EMAIL.LOG\" -o tls=no -o username= "
              L"-o password= -q -v ");
}

TEST(CommandLine, FieldsGoToTheirPlacesAndTheLinesDifferOnlyInTheSubject) {
    const MailFields f{L"C:\\TALVERO-ROOT\\SendEmail", L"smtp.example.org:25", L"alerts",
                       L"s3cret", L"watch@example.org", L"me@example.org", L"cc@example.org",
                       L"bcc@example.org"};
    LineContext c = kWatch1;
    c.processName = L"wallet.exe";
    c.tlsWord = L"auto";
    EXPECT_EQ(subjectFor(L"wallet.exe", AlertKind::Running), L"KOV-ALT - wallet.exe - RUNNING");
    EXPECT_EQ(subjectFor(L"wallet.exe", AlertKind::Stopped), L"KOV-ALT - wallet.exe - STOPPED");
    const std::wstring running = composeLine(f, c, AlertKind::Running);
    EXPECT_EQ(running,
              L"call \"C:\\TALVERO-ROOT\\SendEmail\\SendEmail.exe\" -f \"watch@example.org\" -t "
              L"\"me@example.org\" -cc \"cc@example.org\" -bcc \"bcc@example.org\" -u \"KOV-ALT - "
              L"wallet.exe - RUNNING\" -m \"KOV-ALT - wallet.exe - RUNNING\" -s "
              L"\"smtp.example.org:25\" -xu \"alerts\" -xp \"s3cret\" -o "
              L"reply-to=watch@example.org -l \"C:\\TALVERO-ROOT\\KOV-ALT\\LOGS\\WATCH1-SEND-"
              L"EMAIL.LOG\" -o tls=auto -o username=alerts -o password=s3cret -q -v ");
    std::wstring stopped = composeLine(f, c, AlertKind::Stopped);
    for (size_t at; (at = stopped.find(L"STOPPED")) != std::wstring::npos;)
        stopped.replace(at, 7, L"RUNNING");
    EXPECT_EQ(stopped, running);
    // A home folder ending in a backslash is joined as it is.
    MailFields home = f;
    home.home = L"C:\\Tools\\";
    const std::wstring start = L"call \"C:\\Tools\\\\SendEmail.exe\" -f ";
    EXPECT_EQ(composeLine(home, c, AlertKind::Running).substr(0, start.size()), start);
}

TEST(CommandLine, EveryPrintableCharacterInEveryPlaceArrivesAsTypedOrIsRefused) {
    std::wstring* (*const places[])(MailFields&, LineContext&) = {
        [](MailFields& f, LineContext&) { return &f.server; },
        [](MailFields& f, LineContext&) { return &f.user; },
        [](MailFields& f, LineContext&) { return &f.password; },
        [](MailFields& f, LineContext&) { return &f.from; },
        [](MailFields& f, LineContext&) { return &f.to; },
        [](MailFields& f, LineContext&) { return &f.cc; },
        [](MailFields& f, LineContext&) { return &f.bcc; },
        [](MailFields&, LineContext& c) { return &c.processName; },
    };
    for (auto place : places) {
        for (wchar_t ch = 0x20; ch < 0x7f; ++ch) {
            // The character inside, at the end (before a closing quote) and alone.
            for (std::wstring value : {std::wstring(L"a") + ch + L"b", std::wstring(L"a") + ch,
                                       std::wstring(1, ch), std::wstring(L"x") + ch + ch}) {
                MailFields f{L"C:\\Mail Home", L"smtp:25", L"u", L"p", L"f@x", L"t@x", L"", L""};
                LineContext c = kWatch1;
                *place(f, c) = value;
                auto problem = findCarriageProblem(f, c, kAsciiOnly);
                const bool special = ch == L'"' || ch == L'%' || ch == L'^';
                ASSERT_EQ(problem.has_value(), special) << int(ch);
                if (special) continue;
                for (auto kind : {AlertKind::Running, AlertKind::Stopped})
                    ASSERT_EQ(mailerArgs(f, c, kind), expectedArgs(f, c, kind))
                        << "character " << int(ch);
            }
        }
    }
}

TEST(CommandLine, ProblemsNameTheFieldAndCharacterButNeverThePassword) {
    MailFields f;
    f.password = L"hunter%2";
    auto problem = findCarriageProblem(f, kWatch1, kAsciiOnly);
    ASSERT_TRUE(problem);
    EXPECT_NE(problem->message.find(L"The SMTP password holds \"%\""), std::wstring::npos);
    EXPECT_EQ(problem->message.find(L"hunter"), std::wstring::npos);

    f = {};
    f.to = L"a@x\tb@x";
    problem = findCarriageProblem(f, kWatch1, kAsciiOnly);
    ASSERT_TRUE(problem);
    EXPECT_NE(problem->message.find(L"The To address holds U+0009"), std::wstring::npos);

    // Letters outside ASCII go through only where the code pages keep them.
    f = {};
    f.from = L"j\x00f6rg@x";
    EXPECT_TRUE(findCarriageProblem(f, kWatch1, kAsciiOnly));
    EXPECT_FALSE(findCarriageProblem(f, kWatch1, [](wchar_t c) { return c == 0x00f6; }));
    LineContext c = kWatch1;
    c.programFolder = L"C:\\Users\\Jos\x00e9";
    problem = findCarriageProblem({}, c, kAsciiOnly);
    ASSERT_TRUE(problem);
    EXPECT_NE(problem->message.find(L"The program folder"), std::wstring::npos);
}

TEST(CommandLine, ALineTooLongForCmdIsRefused) {
    MailFields f;
    f.to = std::wstring(3000, L'a');
    EXPECT_FALSE(findCarriageProblem(f, kWatch1, kAsciiOnly));
    f.to = std::wstring(32 * 1024, L'a');
    auto problem = findCarriageProblem(f, kWatch1, kAsciiOnly);
    ASSERT_TRUE(problem);
    EXPECT_NE(problem->message.find(L"at most 8000"), std::wstring::npos);
}
