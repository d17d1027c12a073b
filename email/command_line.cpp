#include "email/command_line.h"

#include "monitor/alert_paths.h"

#include <cstdio>
#include <string_view>
#include <tuple>

namespace kovalt::email {

namespace {
constexpr wchar_t Q = L'"';

// Backslashes right before a closing quote would escape it for the mailer's argument
// parsing; doubled, they arrive as typed.
std::wstring beforeClosingQuote(const std::wstring& value) {
    size_t trailing = 0;
    while (trailing < value.size() && value[value.size() - 1 - trailing] == L'\\') ++trailing;
    return value + std::wstring(trailing, L'\\');
}

std::wstring quoted(const std::wstring& value) { return Q + beforeClosingQuote(value) + Q; }

// A value in a place without quotes ("-o password=...") that holds a blank or a character
// cmd.exe treats as a separator or an operator is quoted in its place.
std::wstring unquoted(const std::wstring& value) {
    if (value.find_first_of(L" \t&|<>(),;=") == std::wstring::npos) return value;
    return quoted(value);
}

bool refused(wchar_t c, const CodePageCheck& codePageHolds) {
    if (c < 0x20 || c == 0x7f) return true;
    // '"' would end the quoting; '%' is read as a variable (twice under "call"); call doubles
    // '^' inside quotes on Windows but not elsewhere.
    if (c == L'"' || c == L'%' || c == L'^') return true;
    return c > 0x7f && !codePageHolds(c);
}

std::wstring describe(wchar_t c) {
    if (c >= 0x20 && c != 0x7f) return std::wstring(L"\"") + c + L"\"";
    wchar_t code[16];
    std::swprintf(code, 16, L"U+%04X", static_cast<unsigned>(c));
    return code;
}
}  // namespace

std::wstring subjectFor(const std::wstring& processName, monitor::AlertKind kind) {
    return L"KOV-ALT - " + processName + L" - " + monitor::kindWord(kind);
}

std::wstring composeLine(const MailFields& f, const LineContext& c, monitor::AlertKind kind) {
    const std::wstring subject = subjectFor(c.processName, kind);
    std::wstring line = L"call ";
    line += Q + f.home + L"\\SendEmail.exe" + Q;
    line += L" -f " + quoted(f.from);
    line += L" -t " + quoted(f.to);
    line += L" -cc " + quoted(f.cc);
    line += L" -bcc " + quoted(f.bcc);
    line += L" -u " + quoted(subject);
    line += L" -m " + quoted(subject);
    line += L" -s " + quoted(f.server);
    line += L" -xu " + quoted(f.user);
    line += L" -xp " + quoted(f.password);
    line += L" -o reply-to=" + unquoted(f.from);
    line +=
        L" -l " + quoted(c.logPath.empty() ? monitor::mailerLogPath(c.programFolder, c.instanceName)
                                           : c.logPath);
    line += L" -o tls=" + unquoted(c.tlsWord);
    line += L" -o username=" + unquoted(f.user);
    line += L" -o password=" + unquoted(f.password);
    line += L" -q ";
    line += L"-v ";
    return line;
}

std::optional<CarriageProblem> findCarriageProblem(const MailFields& f, const LineContext& c,
                                                   const CodePageCheck& codePageHolds) {
    // Each place with what the user can change to clear it.
    constexpr wchar_t kField[] = L"Take it out of that field.";
    const std::tuple<const wchar_t*, const std::wstring*, const wchar_t*> places[] = {
        {L"The mailer home folder", &f.home, kField},
        {L"The SMTP server", &f.server, kField},
        {L"The SMTP username", &f.user, kField},
        {L"The SMTP password", &f.password, kField},
        {L"The From address", &f.from, kField},
        {L"The To address", &f.to, kField},
        {L"The Cc address", &f.cc, kField},
        {L"The Bcc address", &f.bcc, kField},
        {L"The watched process name", &c.processName,
         L"Change the watched process name in the settings window."},
        // They reach the line in the log's path only.
        {L"The program folder", c.logPath.empty() ? &c.programFolder : &c.logPath,
         L"Move the program to another folder."},
        {L"The program's name", c.logPath.empty() ? &c.instanceName : &c.logPath,
         L"Rename the program file."}};
    for (const auto& [name, value, advice] : places)
        for (wchar_t ch : *value)
            if (refused(ch, codePageHolds))
                return CarriageProblem{std::wstring(name) + L" holds " + describe(ch) +
                                       L", which cannot be passed to the mailer unchanged. " +
                                       advice};
    for (auto kind : {monitor::AlertKind::Running, monitor::AlertKind::Stopped}) {
        const size_t length = composeLine(f, c, kind).size();
        if (length > kMaxLineLength)
            return CarriageProblem{
                L"The e-mail settings make a command line of " + std::to_wstring(length) +
                L" characters; a batch line holds at most " + std::to_wstring(kMaxLineLength) +
                L". Shorten the address lists."};
    }
    return std::nullopt;
}

}  // namespace kovalt::email
