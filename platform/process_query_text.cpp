#include "platform/process_query.h"

#include <string_view>

namespace kovalt::platform {

std::optional<std::wstring> processQueryText(const std::wstring& name, unsigned long selfId,
                                             const wchar_t* columns) {
    // The longest name a file can have; anything longer cannot be a running program.
    constexpr size_t kMaxFileName = 255;
    if (name.empty() || name.size() > kMaxFileName) return std::nullopt;
    for (wchar_t c : name)
        if (c < 0x20 || std::wstring_view(L"\"\\/:*?<>|").find(c) != std::wstring_view::npos)
            return std::nullopt;
    const wchar_t quote = name.find(L'\'') == std::wstring::npos ? L'\'' : L'"';
    return L"SELECT " + std::wstring(columns) + L" FROM Win32_Process WHERE Name=" +
           (quote + name) + quote + L" AND ProcessId<>" + std::to_wstring(selfId);
}

}  // namespace kovalt::platform
