// Scratch folders and whole-file reads and writes, shared by the tests that run under Wine (or
// Windows) and by the benchmarks.
#pragma once

#include <windows.h>

#include <string>

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
// The size in bytes, -1 when the file cannot be read.
long long fileSize(const std::wstring& path);
// The whole file, opened so that others may go on reading, writing or deleting it; empty when
// it cannot be opened.
std::string readFile(const std::wstring& path);
// Replaces the file's contents with `bytes`; false when it cannot be written.
bool writeFile(const std::wstring& path, const std::string& bytes);
void makeFolder(const std::wstring& path);

}  // namespace kovalt::test
