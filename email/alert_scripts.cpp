#include "email/alert_scripts.h"

#include "monitor/alert_paths.h"
#include "monitor/stuck_checks.h"

#include <algorithm>

namespace kovalt::email {

namespace keys = settings::keys;
using monitor::AlertKind;

namespace {
// The system's error codes (Win32) a script write may end with, by what the user can do.
enum : unsigned long {
    kPathNotFound = 3,
    kAccessDenied = 5,
    kWriteProtect = 19,
    kSharingViolation = 32,
    kLockViolation = 33,
    kHandleDiskFull = 39,
    kDiskFull = 112,
    kAlreadyExists = 183,  // something else has the script's name
    kNameTooLong = 206,
};
}  // namespace

namespace {
// The fields and context as the lines carry them: a path whose letters the code page cannot
// carry goes by its short form, when that has none of them.
std::pair<MailFields, LineContext> carriedForms(const MailFields& typed, const LineContext& named,
                                                const CodePageCheck& codePageHolds,
                                                const ShortPath& shortForm) {
    MailFields fields = typed;
    LineContext context = named;
    const auto carried = [&](const std::wstring& text) {
        return std::ranges::all_of(text, [&](wchar_t c) { return c <= 0x7f || codePageHolds(c); });
    };
    const auto carriedForm = [&](const std::wstring& path,
                                 bool file) -> std::optional<std::wstring> {
        if (!shortForm || carried(path)) return std::nullopt;
        std::optional<std::wstring> form = shortForm(path, file);
        return form && carried(*form) ? form : std::nullopt;
    };
    if (auto home = carriedForm(typed.home, false)) fields.home = *home;
    if (auto log =
            carriedForm(monitor::mailerLogPath(named.programFolder, named.instanceName), true))
        context.logPath = *log;
    return {fields, context};
}

const wchar_t* const kUnencodable =
    L"The e-mail settings hold a character the alert scripts' code page cannot hold.";
}  // namespace

AlertScripts prepareAlertScripts(const MailFields& typed, const LineContext& named,
                                 const CodePageCheck& codePageHolds, const ScriptEncoder& encode,
                                 const ShortPath& shortForm) {
    const auto [fields, context] = carriedForms(typed, named, codePageHolds, shortForm);
    AlertScripts scripts{composeLine(fields, context, AlertKind::Running),
                         composeLine(fields, context, AlertKind::Stopped),
                         findCarriageProblem(fields, context, codePageHolds),
                         {}};
    if (scripts.problem) return scripts;
    std::vector<std::pair<AlertKind, std::wstring>> lines = {
        {AlertKind::Running, scripts.runningLine}, {AlertKind::Stopped, scripts.stoppedLine}};
    if (context.withStuck)
        lines.emplace_back(AlertKind::Stuck, composeLine(fields, context, AlertKind::Stuck));
    for (const auto& [kind, line] : lines) {
        // The carriage check lets through only what the code page holds; should the two ever
        // disagree, an empty script must not be written in place of the alert.
        const std::optional<std::string> bytes = encode(line);
        if (!bytes) {
            scripts.problem = CarriageProblem{kUnencodable};
            scripts.files = {};
            return scripts;
        }
        scripts.files.push_back(
            {monitor::alertScriptPath(context.programFolder, context.instanceName, kind),
             *bytes + "\r\n"});
    }
    return scripts;
}

OneScript prepareScript(const MailFields& typed, const LineContext& named, AlertKind kind,
                        const CodePageCheck& codePageHolds, const ScriptEncoder& encode,
                        const ShortPath& shortForm) {
    const auto [fields, context] = carriedForms(typed, named, codePageHolds, shortForm);
    OneScript one{composeLine(fields, context, kind),
                  findCarriageProblem(fields, context, codePageHolds),
                  {}};
    if (one.problem) return one;
    if (const std::optional<std::string> bytes = encode(one.line))
        one.file = {monitor::alertScriptPath(context.programFolder, context.instanceName, kind),
                    *bytes + "\r\n"};
    else
        one.problem = CarriageProblem{kUnencodable};
    return one;
}

MailFields storedFields(const settings::InstanceSettings& stored,
                        const std::array<settings::SettingKey, 11>& k) {
    return {stored.text(k[0]), stored.text(k[1]), stored.text(k[2]), stored.text(k[3]),
            stored.text(k[4]), stored.text(k[5]), stored.text(k[6]), stored.text(k[7])};
}

TlsGroup storedTls(const settings::InstanceSettings& stored,
                   const std::array<settings::SettingKey, 11>& k) {
    // Read in the order of the boxes (the arguments of one call are not read in a set order).
    const int no = stored.tickState(k[8]), yes = stored.tickState(k[9]);
    TlsGroup group;
    group.load(no, yes, stored.tickState(k[10]));
    return group;
}

namespace {
// The context of the lines from the stored e-mail settings; nothing when none are stored.
std::optional<LineContext> storedContext(const std::wstring& processName,
                                         const settings::InstanceSettings& stored,
                                         const std::wstring& programFolder) {
    const auto& fieldKeys = keys::kInstanceEmailFields;
    if (std::none_of(fieldKeys.begin(), fieldKeys.end(),
                     [&](const settings::SettingKey& key) { return stored.holds(key); }))
        return std::nullopt;
    LineContext context{processName, storedTls(stored, fieldKeys).word(), programFolder,
                        stored.instanceName()};
    context.withStuck = monitor::stuckChecksSet(stored);
    return context;
}
}  // namespace

std::optional<AlertScripts> scriptsNaming(const std::wstring& processName,
                                          const settings::InstanceSettings& stored,
                                          const std::wstring& programFolder,
                                          const CodePageCheck& codePageHolds,
                                          const ScriptEncoder& encode, const ShortPath& shortForm) {
    const std::optional<LineContext> context = storedContext(processName, stored, programFolder);
    if (!context) return std::nullopt;
    AlertScripts scripts = prepareAlertScripts(storedFields(stored, keys::kInstanceEmailFields),
                                               *context, codePageHolds, encode, shortForm);
    if (scripts.runningLine == stored.text(keys::EMAIL_OUTPUT_RUNNING_COMMAND_TEXTBOX) &&
        scripts.stoppedLine == stored.text(keys::EMAIL_OUTPUT_STOPPED_COMMAND_TEXTBOX))
        return std::nullopt;
    return scripts;
}

std::optional<OneScript> stuckScript(const std::wstring& processName,
                                     const settings::InstanceSettings& stored,
                                     const std::wstring& programFolder,
                                     const CodePageCheck& codePageHolds,
                                     const ScriptEncoder& encode, const ShortPath& shortForm) {
    const std::optional<LineContext> context = storedContext(processName, stored, programFolder);
    if (!context) return std::nullopt;
    return prepareScript(storedFields(stored, keys::kInstanceEmailFields), *context,
                         AlertKind::Stuck, codePageHolds, encode, shortForm);
}

platform::Result storeLines(const settings::InstanceSettings& stored, const AlertScripts& scripts) {
    const platform::Result running =
        stored.save(keys::EMAIL_OUTPUT_RUNNING_COMMAND_TEXTBOX, scripts.runningLine);
    const platform::Result stopped =
        stored.save(keys::EMAIL_OUTPUT_STOPPED_COMMAND_TEXTBOX, scripts.stoppedLine);
    return running.ok() ? stopped : running;
}

std::wstring scriptWriteProblem(const std::wstring& path, unsigned long code,
                                const std::wstring& reason) {
    const wchar_t* advice = L"";
    switch (code) {
        case kPathNotFound:
            advice = L" Use CREATE FOLDERS in the settings window to make the BATS folder.";
            break;
        case kAccessDenied:
        case kWriteProtect:
            advice =
                L" Check that you may write to the BATS folder (its permissions) and that "
                L"the script is not read-only or held open by another program.";
            break;
        case kSharingViolation:
        case kLockViolation:
            advice =
                L" Another program has the script open: close it, or wait for the alert "
                L"that runs it to end, then press OK again.";
            break;
        case kHandleDiskFull:
        case kDiskFull: advice = L" Free some space on the disk."; break;
        case kAlreadyExists: advice = L" Move or rename what is in the way."; break;
        case kNameTooLong: advice = L" Give the program file a shorter name."; break;
        default: break;
    }
    return L"Could not write the alert script " + path + L": " + reason + L"." + advice;
}

}  // namespace kovalt::email
