// What the mailer must receive from an alert line, and how its C runtime splits the line into
// arguments, for the fuzz targets and the tests that check a composed line.
#pragma once

#include <string_view>
#include <vector>

#include "email/command_line.h"

namespace kovalt::fuzz {

// The mailer's arguments for these fields: every field exactly as typed.
inline std::vector<std::wstring> expectedArgs(const email::MailFields& f,
                                              const email::LineContext& c,
                                              monitor::AlertKind kind) {
    const std::wstring s = L"KOV-ALT - " + c.processName +
                           (kind == monitor::AlertKind::Running ? L" - RUNNING" : L" - STOPPED");
    const std::wstring log = c.programFolder + L"\\LOGS\\" + c.instanceName + L"-SEND-EMAIL.LOG";
    return {L"-f",   f.from,
            L"-t",   f.to,
            L"-cc",  f.cc,
            L"-bcc", f.bcc,
            L"-u",   s,
            L"-m",   s,
            L"-s",   f.server,
            L"-xu",  f.user,
            L"-xp",  f.password,
            L"-o",   L"reply-to=" + f.from,
            L"-l",   log,
            L"-o",   L"tls=" + c.tlsWord,
            L"-o",   L"username=" + f.user,
            L"-o",   L"password=" + f.password,
            L"-q",   L"-v"};
}

// The arguments after the program name: blanks separate them outside quotes; 2N backslashes
// before a quote give N and the quote toggles quoting, 2N+1 give N and a literal quote; other
// backslashes are literal. A doubled quote inside quotes gives one here; runtimes
// disagree on what follows it, so no line may rely on it.
inline std::vector<std::wstring> argvOf(std::wstring_view s) {
    std::vector<std::wstring> args;
    for (size_t i = 0;;) {
        while (i < s.size() && (s[i] == L' ' || s[i] == L'\t')) ++i;
        if (i == s.size()) return args;
        std::wstring arg;
        for (bool quoted = false; i < s.size() && (quoted || (s[i] != L' ' && s[i] != L'\t'));) {
            size_t slashes = 0;
            while (i < s.size() && s[i] == L'\\') ++slashes, ++i;
            const bool quote = i < s.size() && s[i] == L'"';
            arg.append(quote ? slashes / 2 : slashes, L'\\');
            if (quote && slashes % 2) {
                arg += s[i++];
            } else if (quote) {
                if (quoted && i + 1 < s.size() && s[i + 1] == L'"')
                    arg += s[++i];
                else
                    quoted = !quoted;
                ++i;
            } else if (slashes == 0) {
                arg += s[i++];
            }
        }
        args.push_back(std::move(arg));
    }
}

}  // namespace kovalt::fuzz
