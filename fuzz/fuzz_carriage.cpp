// Whatever is typed into the mailer fields, either both alert lines carry every field to the
// mailer exactly as typed and cmd.exe reads nothing in them, or findCarriageProblem refuses the
// fields with a message that does not quote the password.
// Input: line 1 picks the TLS word (first character % 3) and what the code page holds (second
// character % 3); lines 2-12 are home, server, user, password, from, to, cc, bcc, process name,
// program folder and instance name.
#include <string_view>
#include <vector>

#include "email/command_line.h"
#include "fuzz/fuzz_input.h"
#include "fuzz/mailer_args.h"

using namespace kovalt::email;
using kovalt::fuzz::check;
using kovalt::monitor::AlertKind;

namespace {
// cmd.exe toggles quoting at every quote, with no escape; outside quotes these would split the
// line or redirect it, and % ^ and control characters are read specially anywhere. Beyond ASCII
// only what the script's code page holds survives the trip.
void checkCmdReadsNothing(std::wstring_view line, const CodePageCheck& holds) {
    bool quoted = false;
    for (wchar_t ch : line) {
        check(ch >= 0x20 && ch != 0x7f && ch != L'%' && ch != L'^', "% ^ or control in a line");
        check(ch < 0x80 || holds(ch), "a line holds what its code page cannot");
        if (ch == L'"')
            quoted = !quoted;
        else if (!quoted)
            check(std::wstring_view(L"&|<>()").find(ch) == line.npos, "operator");
    }
    check(!quoted, "unbalanced quote in a line");
}

// Another password with the same refusals and the same line length: printable ASCII that
// neither cmd.exe nor the quoting rules treat specially, shifted by one.
std::wstring sameShape(std::wstring text) {
    constexpr std::wstring_view plain =
        L"!#$'*+-./0123456789:?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[]_`abcdefghijklmnopqrstuvwxyz{}~";
    for (wchar_t& ch : text)
        if (size_t at = plain.find(ch); at != plain.npos) ch = plain[(at + 1) % plain.size()];
    return text;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::wstring> in = kovalt::fuzz::linesOf(data, size);
    in.resize(12);
    std::wstring options = in[0];
    options.resize(2);
    const wchar_t* const words[] = {L"no", L"yes", L"auto"};
    const LineContext c{in[9], words[options[0] % 3], in[10], in[11]};
    const MailFields f{in[1], in[2], in[3], in[4], in[5], in[6], in[7], in[8]};
    const unsigned codePage = options[1] % 3;
    const CodePageCheck holds = [codePage](wchar_t ch) {
        if (codePage == 0 || ch < 0xA0 || ch > 0xFF) return false;
        return codePage == 2 || (ch >= 0xC0 && ch != 0xD7 && ch != 0xF7);  // 1: letters only
    };

    if (auto problem = findCarriageProblem(f, c, holds)) {
        // The message may depend on the refused character and the line length, not on the text.
        MailFields other = f;
        other.password = sameShape(f.password);
        auto again = findCarriageProblem(other, c, holds);
        check(again && again->message == problem->message, "the message shows the password");
        return 0;
    }
    for (AlertKind kind : {AlertKind::Running, AlertKind::Stopped}) {
        const std::wstring line = composeLine(f, c, kind);
        check(line.size() <= kMaxLineLength, "an accepted line is too long for cmd.exe");
        checkCmdReadsNothing(line, holds);
        const std::wstring program = L"call \"" + f.home + L"\\SendEmail.exe\"";
        check(line.starts_with(program), "the line does not call the mailer first");
        check(kovalt::fuzz::argvOf(std::wstring_view(line).substr(program.size())) ==
                  kovalt::fuzz::expectedArgs(f, c, kind),
              "the mailer receives other arguments than the fields");
    }
    return 0;
}
