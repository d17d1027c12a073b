#include "email/alert_scripts.h"

#include "platform/win_handles.h"

namespace kovalt::email {

std::optional<std::wstring> putInPlace(const AlertScripts& scripts) {
    if (scripts.problem) return scripts.problem->message;
    std::wstring failed;
    const platform::Result written = platform::replaceFiles(scripts.files, failed);
    if (written.ok()) return std::nullopt;
    return scriptWriteProblem(failed, written.code, platform::describe(written));
}

}  // namespace kovalt::email
