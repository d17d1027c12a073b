// What the e-mail window's OK puts on disk: both mailer lines, composed from the fields as they
// stand, and each alert script's path and bytes, or the reason no script may be written; and
// the same again when the watched name changes under e-mail settings already stored.
#pragma once

#include <array>
#include <functional>
#include <vector>
#include <optional>
#include <string>

#include "email/command_line.h"
#include "email/tls_group.h"
#include "platform/files.h"
#include "settings/settings_store.h"

namespace kovalt::email {

using ScriptFile = platform::FileContent;  // the line in the script's code page, then CR LF

struct AlertScripts {
    std::wstring runningLine, stoppedLine;
    // Why the fields cannot reach the mailer as typed; when set, nothing is stored or written
    // and `files` is empty.
    std::optional<CarriageProblem> problem;
    // The running script, then the stopped one, then the stuck one where checks are set up.
    std::vector<ScriptFile> files;
};

// Text in the code page the scripts are written in, or nothing when a character has no byte
// there.
using ScriptEncoder = std::function<std::optional<std::string>(const std::wstring&)>;
// The short (8.3) form of a path, made to exist first when `file` (a file is given a short
// name only once it exists); nothing when there is none.
using ShortPath = std::function<std::optional<std::wstring>(const std::wstring& path, bool file)>;

// A path whose letters the code page cannot carry goes by its short form, when that has none
// of them: the mailer's folder and the log's path.
AlertScripts prepareAlertScripts(const MailFields& fields, const LineContext& context,
                                 const CodePageCheck& codePageHolds, const ScriptEncoder& encode,
                                 const ShortPath& shortForm = {});

// One script of its own: the test e-mail's (the stopped line with TEST in its place), or the
// stuck alert's, carried and encoded as the alert scripts are; or why it cannot be written.
struct OneScript {
    std::wstring line;
    std::optional<CarriageProblem> problem;
    ScriptFile file;
};
OneScript prepareScript(const MailFields& fields, const LineContext& context,
                        monitor::AlertKind kind, const CodePageCheck& codePageHolds,
                        const ScriptEncoder& encode, const ShortPath& shortForm = {});

// One section's stored mailer fields and TLS group (eight texts, then the three tick states),
// as an e-mail settings window loads them.
MailFields storedFields(const settings::InstanceSettings& stored,
                        const std::array<settings::SettingKey, 11>& keys);
TlsGroup storedTls(const settings::InstanceSettings& stored,
                   const std::array<settings::SettingKey, 11>& keys);

// The scripts that name `processName`, composed from the instance's stored e-mail settings as
// the e-mail window's OK composes them from its fields; nothing when the instance has no
// e-mail settings stored or its stored lines are these already.
std::optional<AlertScripts> scriptsNaming(const std::wstring& processName,
                                          const settings::InstanceSettings& stored,
                                          const std::wstring& programFolder,
                                          const CodePageCheck& codePageHolds,
                                          const ScriptEncoder& encode,
                                          const ShortPath& shortForm = {});

// The stuck alert's script for `processName` from the instance's stored e-mail settings;
// nothing when it has none stored.
std::optional<OneScript> stuckScript(const std::wstring& processName,
                                     const settings::InstanceSettings& stored,
                                     const std::wstring& programFolder,
                                     const CodePageCheck& codePageHolds,
                                     const ScriptEncoder& encode, const ShortPath& shortForm = {});

// Stores both lines of scripts now in place; the first failure.
platform::Result storeLines(const settings::InstanceSettings& stored, const AlertScripts& scripts);

// Why a script could not be put in place, and what the user can change about it: `code` is
// the system's error code, `reason` the words for it.
std::wstring scriptWriteProblem(const std::wstring& path, unsigned long code,
                                const std::wstring& reason);

#ifdef _WIN32
// Puts both alert scripts in place, or neither; why not, in words the user can act on.
std::optional<std::wstring> putInPlace(const AlertScripts& scripts);
#endif

}  // namespace kovalt::email
