// The two mailer command lines of an instance, and the rules by which each field's text is
// carried through a batch line ("call ...") to the mailer exactly as typed.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "monitor/run_monitor.h"

namespace kovalt::email {

// The eight mailer fields of an e-mail settings window.
struct MailFields {
    std::wstring home;    // folder that holds SendEmail.exe
    std::wstring server;  // server:port
    std::wstring user;
    std::wstring password;
    std::wstring from;
    std::wstring to;
    std::wstring cc;
    std::wstring bcc;
};

// Everything a line is made of besides the fields.
struct LineContext {
    std::wstring processName;  // the watched name as the settings window shows it
    std::wstring tlsWord;      // "no", "yes" or "auto"
    std::wstring programFolder;
    std::wstring instanceName;
    // The mailer's log as the line names it, when not FOLDER\LOGS\INSTANCE-SEND-EMAIL.LOG
    // itself (its short form, when the long one holds letters the scripts cannot carry).
    std::wstring logPath;
    // A check that the running program works is set up: a third script tells it is stuck.
    bool withStuck = false;
};

// "KOV-ALT - " + process name + " - RUNNING" (or " - STOPPED").
std::wstring subjectFor(const std::wstring& processName, monitor::AlertKind kind);

// The whole line for one alert:
// call "HOME\SendEmail.exe" -f "FROM" -t "TO" -cc "CC" -bcc "BCC" -u "S" -m "S" -s "SERVER"
//   -xu "USER" -xp "PASSWORD" -o reply-to=FROM -l "FOLDER\LOGS\INSTANCE-SEND-EMAIL.LOG"
//   -o tls=TLS -o username=USER -o password=PASSWORD -q -v
// (one line, ending in one blank). Every option is always there. A value that cmd.exe or the
// mailer's argument parsing would read otherwise is written so it arrives unchanged: in an
// unquoted place it is put in quotes of its own, and backslashes before a closing quote are
// doubled. Values that need none of this appear exactly as typed.
std::wstring composeLine(const MailFields& fields, const LineContext& context,
                         monitor::AlertKind kind);

// Whether a character outside ASCII survives the trip into the script file and back out
// through cmd.exe; the platform answers this from its code pages.
using CodePageCheck = std::function<bool(wchar_t)>;

struct CarriageProblem {
    // Names the place, the character (never the field's text) and what the user can change.
    std::wstring message;
};

// The first thing that keeps the lines from reaching the mailer as typed: a character that
// cmd.exe reads differently on Windows and under other command processors ("  %  ^), a
// control character, a character the script's code page cannot hold, or a line too long for
// cmd.exe. Nothing when both lines can be written.
std::optional<CarriageProblem> findCarriageProblem(const MailFields& fields,
                                                   const LineContext& context,
                                                   const CodePageCheck& codePageHolds);

// The longest line cmd.exe runs is 8191 characters; keep clear of it.
inline constexpr size_t kMaxLineLength = 8000;

}  // namespace kovalt::email
