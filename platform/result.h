// What a platform call reports: success, or the system's error code (a Win32 error, an HRESULT
// or a registry status) kept as the number it is, with the program's own plain words where
// they say more than the system's text. Windows turn it into text; tests look at the code.
#pragma once

#include <string>

namespace kovalt::platform {

struct Result {
    unsigned long code = 0;  // 0: done
    std::wstring what;       // when set, shown instead of the system's text for the code
    bool ok() const { return code == 0; }
};

}  // namespace kovalt::platform
