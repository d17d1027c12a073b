// What the mailer's log says about one try: the lines it added since the try started, read in
// pieces as the log grows, so that a log that grows by a lot is never read twice.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "monitor/alert_road.h"

namespace kovalt::monitor {

struct MailerVerdict {
    bool sent;
    std::wstring line;  // when not sent: the mailer's own words
};

class MailerLog {
public:
    // What the log gained next, in the order it was written.
    void add(std::string_view bytes);
    // Whether the log gained anything at all.
    bool grew() const { return grew_; }
    // "Email was sent successfully" anywhere, else the first "ERROR =>" line; nothing while
    // neither has come.
    std::optional<MailerVerdict> verdict() const;

private:
    void readLine(std::string_view line);

    std::string partial_;  // the last line, not yet ended
    bool grew_ = false;
    bool sent_ = false;
    std::optional<std::wstring> error_;
};

// The verdict of everything the log gained at once.
std::optional<MailerVerdict> verdictIn(std::string_view addedLog);

// How a try ended, once its script has ended (`exitCode`) and all the mailer added to its log is
// read (`caughtUp`); nothing before, even when the mailer already wrote its words, so that the
// next try never runs beside it. The mailer's own words first; then a status that is not 0;
// then lines without a verdict mean not sent (a mailer killed half way); a clean exit and no
// lines at all, a mailer that keeps no log.
std::optional<TryOutcome> judgeMailer(std::optional<unsigned long> exitCode, bool caughtUp,
                                      const MailerLog& log);
// A try whose time (`limit` seconds) is up: sent only when the mailer already said so.
TryOutcome mailerTimedOut(const MailerLog& log, Seconds limit);

}  // namespace kovalt::monitor
