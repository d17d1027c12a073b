// Stands in for a watched program that gets stuck, in one of three ways, then idles until
// killed (60 s at the most):
//   log PATH MS   appends a line to PATH every 100 ms for MS ms, then writes no more
//   cpu MS        uses the CPU for MS ms, then sleeps
//   window MS     shows a window and takes its messages for MS ms, then takes none
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

int wmain(int argc, wchar_t** argv) {
    const std::wstring mode = argc > 2 ? argv[1] : L"";
    const ULONGLONG start = ::GetTickCount64();
    const auto within = [&](const wchar_t* ms) {
        return ::GetTickCount64() - start < std::wcstoul(ms, nullptr, 10);
    };
    if (mode == L"log" && argc > 3) {
        for (int line = 0; within(argv[3]); ++line, ::Sleep(100))
            if (FILE* f = _wfopen(argv[2], L"a")) {
                std::fprintf(f, "line %d\n", line);
                std::fclose(f);
            }
    } else if (mode == L"cpu") {
        while (within(argv[2])) {
        }
    } else if (mode == L"window") {
        HWND window = ::CreateWindowExW(0, L"STATIC", L"stuck", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0,
                                        0, 200, 100, nullptr, nullptr, nullptr, nullptr);
        for (MSG msg; window && within(argv[2]); ::Sleep(20))  // not waiting on the queue
            while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
    } else {
        return 2;
    }
    ::Sleep(60000);
    return 0;
}
