#include "monitor/email_road.h"

#include <algorithm>

#include "monitor/alert_paths.h"
#include "platform/files.h"

namespace kovalt::monitor {

namespace {
// The most of the mailer's log read at once: a log that another writer fills fast must not
// hold the window.
constexpr size_t kLogPiece = 1 << 20;
}  // namespace

std::wstring EmailRoad::whereToLook() const {
    const platform::ProgramIdentity program = context_.identity();
    return mailerLogPath(program.folder, program.instanceName);
}

std::optional<std::wstring> EmailRoad::start(const AlertToSend& alert) {
    // The path is built now, from where the program lies at this moment; each try runs the
    // script as it is then.
    const platform::ProgramIdentity program = context_.identity();
    const std::wstring path = alertScriptPath(program.folder, program.instanceName, alert.kind);
    try_.emplace();
    try_->logStart = try_->readTo = std::max(platform::fileSize(whereToLook()), 0LL);
    const platform::Result started = context_.startScript(path, try_->script);
    if (started.ok()) return std::nullopt;
    try_.reset();
    return L"could not start " + path + L" - " + platform::describe(started);
}

bool EmailRoad::readLog() {
    const std::string piece = platform::readFileFrom(whereToLook(), try_->readTo, kLogPiece);
    try_->log.add(piece);
    try_->readTo += static_cast<long long>(piece.size());
    return piece.size() < kLogPiece;
}

std::optional<TryOutcome> EmailRoad::outcome() {
    if (!try_) return std::nullopt;
    // Whether it has ended is asked first: what it wrote before its end is then all read.
    const std::optional<unsigned long> exit = try_->script.exitCode();
    const std::optional<TryOutcome> judged = judgeMailer(exit, readLog(), try_->log);
    if (judged) try_.reset();
    return judged;
}

TryOutcome EmailRoad::end(Seconds limit) {
    if (!try_) return {false, L"the try was lost"};
    try_->script.end();
    const TryOutcome judged = mailerTimedOut(try_->log, limit);
    try_.reset();
    return judged;
}

std::optional<TryOnItsWay> EmailRoad::onItsWay() const {
    if (!try_) return std::nullopt;
    return TryOnItsWay{try_->script.processId(), try_->script.created(), try_->logStart};
}

std::optional<Seconds> EmailRoad::takeUp(const TryOnItsWay& was,
                                         std::optional<TryOutcome>& judged) {
    judged.reset();
    try_.emplace();
    try_->logStart = try_->readTo = was.logStart;
    if (platform::adoptScript(was.processId, was.created, try_->script))
        return platform::secondsSince(was.created);
    // It ended while the watchdog was closed: its words in the log say whether it was sent.
    for (int pieces = 0; pieces < 64 && !readLog(); ++pieces) {
    }
    if (const std::optional<MailerVerdict> verdict = try_->log.verdict())
        judged = TryOutcome{verdict->sent, verdict->line};
    try_.reset();
    return std::nullopt;
}

}  // namespace kovalt::monitor
