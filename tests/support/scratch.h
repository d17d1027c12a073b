// Scratch folders and whole files, for the tests that run under Wine (or Windows) and for the
// benchmarks.
#pragma once

#include <string>

#include "platform/files.h"

namespace kovalt::test {

// A unique text for names of keys, folders and processes of this run.
std::wstring uniqueSuffix();

// A fresh folder under %TEMP% whose name holds a blank, removed with its contents at the end.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::wstring& name = L"kovalt test");
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::wstring& path() const { return path_; }
    std::wstring operator/(const std::wstring& child) const { return path_ + L"\\" + child; }

private:
    std::wstring path_;
};

bool fileExists(const std::wstring& path);
inline std::string readFile(const std::wstring& path) { return platform::readFileFrom(path, 0); }
inline bool writeFile(const std::wstring& path, const std::string& bytes) {
    return platform::replaceFile(path, bytes).ok();
}
inline void makeFolder(const std::wstring& path) { platform::makeFolder(path); }

}  // namespace kovalt::test
