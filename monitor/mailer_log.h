// What the mailer's log says about one try: the lines it added since the try started, read in
// pieces as the log grows, so that a log that grows by a lot is never read twice.
#pragma once

#include <optional>
#include <string>
#include <string_view>

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

}  // namespace kovalt::monitor
