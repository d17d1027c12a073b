#include "monitor/mailer_log.h"

namespace kovalt::monitor {

namespace {
// A line longer than this is no line of the mailer's; only its start is looked at.
constexpr size_t kLongestLine = 4096;
}  // namespace

void MailerLog::add(std::string_view bytes) {
    grew_ = grew_ || !bytes.empty();
    for (size_t end; (end = bytes.find('\n')) != std::string_view::npos;
         bytes.remove_prefix(end + 1)) {
        partial_.append(bytes.substr(0, std::min(end, kLongestLine)));
        readLine(partial_);
        partial_.clear();
    }
    partial_.append(bytes.substr(0, kLongestLine - std::min(partial_.size(), kLongestLine)));
}

void MailerLog::readLine(std::string_view line) {
    if (line.find("Email was sent successfully") != std::string_view::npos) sent_ = true;
    const size_t error = line.find("ERROR =>");
    if (error == std::string_view::npos || error_) return;
    line.remove_prefix(error);
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.remove_suffix(1);
    // The log is in the system's code page; its letters beyond ASCII are only shown.
    error_ = std::wstring(line.begin(), line.end());
}

std::optional<MailerVerdict> MailerLog::verdict() const {
    MailerLog whole = *this;  // a last line without its end counts too
    if (!whole.partial_.empty()) whole.readLine(whole.partial_);
    if (whole.sent_) return MailerVerdict{true, {}};
    if (whole.error_) return MailerVerdict{false, *whole.error_};
    return std::nullopt;
}

std::optional<MailerVerdict> verdictIn(std::string_view addedLog) {
    MailerLog log;
    log.add(addedLog);
    return log.verdict();
}

std::optional<TryOutcome> judgeMailer(std::optional<unsigned long> exitCode, bool caughtUp,
                                      const MailerLog& log) {
    if (!exitCode || !caughtUp) return std::nullopt;
    if (const std::optional<MailerVerdict> verdict = log.verdict())
        return TryOutcome{verdict->sent, verdict->line};
    if (*exitCode != 0)
        return TryOutcome{false, L"the mailer ended with status " + std::to_wstring(*exitCode)};
    if (log.grew())
        return TryOutcome{false, L"the mailer ended without writing that the e-mail was sent"};
    return TryOutcome{true, {}};
}

TryOutcome mailerTimedOut(const MailerLog& log, Seconds limit) {
    const std::optional<MailerVerdict> verdict = log.verdict();
    if (verdict && verdict->sent) return {true, {}};
    return {false, L"the mailer did not finish within " + std::to_wstring(limit) + L" s"};
}

}  // namespace kovalt::monitor
