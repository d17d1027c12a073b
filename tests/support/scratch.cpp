#include "tests/support/scratch.h"

#include <windows.h>
#include <shellapi.h>

#include <atomic>

namespace kovalt::test {

std::wstring uniqueSuffix() {
    static std::atomic<int> counter{0};
    return std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(::GetTickCount64()) +
           L"-" + std::to_wstring(++counter);
}

ScratchFolder::ScratchFolder(const std::wstring& name) {
    wchar_t temp[MAX_PATH];
    path_.assign(temp, ::GetTempPathW(MAX_PATH, temp)).append(name + L" " + uniqueSuffix());
    makeFolder(path_);
}

ScratchFolder::~ScratchFolder() {
    const std::wstring from = path_ + L'\0';  // a list that ends with two NULs
    SHFILEOPSTRUCTW op = {nullptr, FO_DELETE, from.c_str(), nullptr, FOF_NO_UI};
    ::SHFileOperationW(&op);
}

bool fileExists(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace kovalt::test
