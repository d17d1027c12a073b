// Stands in for a watched program: it only waits, until killed or for argv[1] seconds.
#include <windows.h>

#include <cwchar>

int wmain(int argc, wchar_t** argv) {
    DWORD seconds = argc > 1 ? static_cast<DWORD>(std::wcstoul(argv[1], nullptr, 10)) : 3600;
    ::Sleep(seconds * 1000);
    return 0;
}
