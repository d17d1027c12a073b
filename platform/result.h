// What a platform call reports: success, or the system's error code (a Win32 error, an HRESULT
// or a registry status) kept as the number it is, with the program's own plain words where
// they say more than the system's text. Windows turn it into text; tests look at the code.
#pragma once

#include <optional>
#include <string>

namespace kovalt::platform {

struct Result {
    unsigned long code = 0;  // 0: done
    std::wstring what;       // when set, shown instead of the system's text for the code
    bool ok() const { return code == 0; }
    // Of several steps that may each fail, the first failure: `first.keep(next)`.
    void keep(Result next) {
        if (ok()) *this = std::move(next);
    }
};

// What went wrong in several steps, each in plain words, as one line for the user.
class Problems {
public:
    void add(const std::optional<std::wstring>& problem) {
        if (problem && !problem->empty()) text_ += (text_.empty() ? L"" : L"  ") + *problem;
    }
    // Nothing when nothing went wrong.
    std::optional<std::wstring> text() const {
        return text_.empty() ? std::nullopt : std::optional<std::wstring>(text_);
    }

private:
    std::wstring text_;
};

}  // namespace kovalt::platform
