#include <windows.h>

#include <vector>

#include "platform/program_identity.h"

namespace kovalt::platform {

std::wstring currentExecutable() {
    // Paths may be longer than MAX_PATH; grow the buffer until the name fits.
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        DWORD length =
            ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return {};
        if (length < buffer.size()) return std::wstring(buffer.data(), length);
        buffer.resize(buffer.size() * 2);
    }
}

ProgramIdentity currentProgram() {
    const std::wstring path = currentExecutable();
    return path.empty() ? ProgramIdentity{} : identityFromPath(path);
}

}  // namespace kovalt::platform
