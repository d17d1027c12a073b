// How the mailer's C runtime splits its command line into arguments, for checking what a
// composed line delivers: blanks separate arguments outside quotes; 2N backslashes before a
// quote give N backslashes and the quote toggles quoting; 2N+1 give N and a literal quote;
// other backslashes are literal.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kovalt::fuzz {

// The arguments in the part of a line after the program name. Inside quotes a doubled quote
// gives a literal one here; runtimes disagree on what follows it, so no line may rely on it.
inline std::vector<std::wstring> argvOf(std::wstring_view s) {
    std::vector<std::wstring> args;
    for (size_t i = 0;;) {
        while (i < s.size() && (s[i] == L' ' || s[i] == L'\t')) ++i;
        if (i == s.size()) return args;
        std::wstring arg;
        for (bool quoted = false; i < s.size() && (quoted || (s[i] != L' ' && s[i] != L'\t'));) {
            size_t slashes = 0;
            while (i < s.size() && s[i] == L'\\') ++slashes, ++i;
            const bool quote = i < s.size() && s[i] == L'"';
            arg.append(quote ? slashes / 2 : slashes, L'\\');
            if (quote && slashes % 2) {
                arg += s[i++];
            } else if (quote) {
                if (quoted && i + 1 < s.size() && s[i + 1] == L'"')
                    arg += s[++i];
                else
                    quoted = !quoted;
                ++i;
            } else if (slashes == 0) {
                arg += s[i++];
            }
        }
        args.push_back(std::move(arg));
    }
}

}  // namespace kovalt::fuzz
