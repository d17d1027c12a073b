#include <windows.h>

#include <cstdio>

#include "monitor/clock.h"

namespace kovalt::monitor {

Seconds now() { return static_cast<Seconds>(::GetTickCount64() / 1000); }

std::wstring clockText(Seconds at) {
    FILETIME utc, local;
    ::GetSystemTimeAsFileTime(&utc);
    ULARGE_INTEGER t{{utc.dwLowDateTime, utc.dwHighDateTime}};
    t.QuadPart += (at - now()) * 10000000LL;
    utc = {t.LowPart, t.HighPart};
    SYSTEMTIME shown;
    if (!::FileTimeToLocalFileTime(&utc, &local) || !::FileTimeToSystemTime(&local, &shown))
        return L"?";
    wchar_t text[16];
    std::swprintf(text, 16, L"%02u:%02u:%02u", shown.wHour, shown.wMinute, shown.wSecond);
    return text;
}

}  // namespace kovalt::monitor
