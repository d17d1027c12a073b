#include "email/alert_scripts.h"

#include "monitor/alert_paths.h"

namespace kovalt::email {

using monitor::AlertKind;

AlertScripts prepareAlertScripts(const MailFields& fields, const LineContext& context,
                                 const CodePageCheck& codePageHolds, const ScriptEncoder& encode) {
    AlertScripts scripts{composeLine(fields, context, AlertKind::Running),
                         composeLine(fields, context, AlertKind::Stopped),
                         findCarriageProblem(fields, context, codePageHolds),
                         {}};
    if (scripts.problem) return scripts;
    const std::pair<AlertKind, const std::wstring*> lines[] = {
        {AlertKind::Running, &scripts.runningLine}, {AlertKind::Stopped, &scripts.stoppedLine}};
    for (size_t i = 0; i < 2; ++i) {
        // The carriage check lets through only what the code page holds; should the two ever
        // disagree, an empty script must not be written in place of the alert.
        const std::optional<std::string> bytes = encode(*lines[i].second);
        if (!bytes) {
            scripts.problem = CarriageProblem{
                L"The e-mail settings hold a character the alert scripts' code page cannot hold. "
                L"The alert scripts were not written."};
            scripts.files = {};
            return scripts;
        }
        scripts.files[i] = {
            monitor::alertScriptPath(context.programFolder, context.instanceName, lines[i].first),
            *bytes + "\r\n"};
    }
    return scripts;
}

}  // namespace kovalt::email
