#include "platform/files.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "platform/win_handles.h"

namespace kovalt::platform {

Result makeFolder(const std::wstring& path) {
    if (::CreateDirectoryW(path.c_str(), nullptr)) return {};
    const DWORD error = ::GetLastError();
    if (error == ERROR_ALREADY_EXISTS) {
        const DWORD attributes = ::GetFileAttributesW(path.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
            return {};
        return {error, L"a file of that name is in the way"};
    }
    return {error};
}

namespace {
// The longest name a folder entry may have.
constexpr size_t kMaxNameLength = 255;

size_t nameStart(const std::wstring& path) {
    const size_t separator = path.find_last_of(L'\\');
    return separator == std::wstring::npos ? 0 : separator + 1;
}

// "~kv<process id>.<n>.tmp" in the target's folder: short whatever the target is called.
std::wstring temporaryBeside(const std::wstring& path, size_t n) {
    return path.substr(0, nameStart(path)) + L"~kv" + std::to_wstring(::GetCurrentProcessId()) +
           L"." + std::to_wstring(n) + L".tmp";
}

Result writeNew(const std::wstring& path, const std::string& bytes) {
    const UniqueFile file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (file &&
        ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                    nullptr) &&
        written == bytes.size() && ::FlushFileBuffers(file.get()))
        return {};
    const DWORD error = ::GetLastError();
    return {error ? error : ERROR_WRITE_FAULT};
}

UniqueFile openToRead(const std::wstring& path) {
    // Shared, so that others may go on writing (a mailer its log) while it is read.
    return UniqueFile(::CreateFileW(path.c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, 0, nullptr));
}

// The rest of a file from where it stands, `most` bytes at the most, or nothing when a read
// fails.
std::optional<std::string> readRest(HANDLE file, size_t most = static_cast<size_t>(-1)) {
    std::string bytes;
    char buffer[65536];
    for (DWORD got = 0; bytes.size() < most; bytes.append(buffer, got)) {
        const DWORD want =
            static_cast<DWORD>(std::min<size_t>(sizeof(buffer), most - bytes.size()));
        if (!::ReadFile(file, buffer, want, &got, nullptr)) return std::nullopt;
        if (!got) break;
    }
    return bytes;
}

// What a target holds before it is replaced, to put back: its bytes, or nothing when there is
// no such file.
Result readBefore(const std::wstring& path, std::optional<std::string>& before) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = ::GetLastError();
        return error == ERROR_FILE_NOT_FOUND ? Result{} : Result{error};
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return {ERROR_ALREADY_EXISTS, L"a folder of that name is in the way"};
    const UniqueFile file = openToRead(path);
    if (file) before = readRest(file.get());
    if (!before) return {::GetLastError()};
    return {};
}

bool moveInPlace(const std::wstring& from, const std::wstring& to) {
    return ::MoveFileExW(from.c_str(), to.c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}
}  // namespace

Result replaceFiles(std::span<const FileContent> files, std::wstring& failed) {
    struct Step {
        std::wstring temporary;
        std::optional<std::string> before;
        bool placed = false;
    };
    std::vector<Step> steps(files.size());
    Result result;
    auto fail = [&](size_t i, Result why) {
        result = std::move(why);
        failed = files[i].path;
    };
    // Whatever can be found wrong is found before any target changes.
    for (size_t i = 0; i < files.size() && result.ok(); ++i) {
        const std::wstring& path = files[i].path;
        steps[i].temporary = temporaryBeside(path, i);
        // Wine reports a name over the limit as a file not found, which would send the user
        // looking for a missing folder.
        Result step = path.size() - nameStart(path) > kMaxNameLength
                          ? Result{ERROR_FILENAME_EXCED_RANGE}
                          : readBefore(path, steps[i].before);
        if (step.ok()) step = writeNew(steps[i].temporary, files[i].bytes);
        if (!step.ok()) fail(i, std::move(step));
    }
    for (size_t i = 0; i < files.size() && result.ok(); ++i) {
        steps[i].placed = moveInPlace(steps[i].temporary, files[i].path);
        if (!steps[i].placed) fail(i, {::GetLastError()});
    }
    if (result.ok()) return result;
    for (size_t i = 0; i < files.size(); ++i) {
        const std::wstring& path = files[i].path;
        if (steps[i].placed && !steps[i].before)
            ::DeleteFileW(path.c_str());
        else if (steps[i].placed && writeNew(steps[i].temporary, *steps[i].before).ok())
            moveInPlace(steps[i].temporary, path);
        ::DeleteFileW(steps[i].temporary.c_str());
    }
    return result;
}

bool folderExists(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

long long fileSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return -1;
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::string readFileFrom(const std::wstring& path, long long offset, size_t most) {
    const UniqueFile file = openToRead(path);
    LARGE_INTEGER at;
    at.QuadPart = offset;
    if (!file || !::SetFilePointerEx(file.get(), at, nullptr, FILE_BEGIN)) return {};
    return readRest(file.get(), most).value_or(std::string());
}

namespace {
// Text in the system's code page; 0 when a character has no place in it. A UTF-8 code page
// takes no flags and reports no default character.
int ansiBytes(const wchar_t* text, int length, char* out, int room) {
    const bool utf8 = ::GetACP() == CP_UTF8;
    BOOL usedDefault = FALSE;
    const int size = ::WideCharToMultiByte(CP_ACP, utf8 ? 0 : WC_NO_BEST_FIT_CHARS, text, length,
                                           out, room, nullptr, utf8 ? nullptr : &usedDefault);
    return usedDefault ? 0 : size;
}
}  // namespace

std::optional<std::string> toAnsi(const std::wstring& text) {
    if (text.empty()) return std::string();
    const int length = static_cast<int>(text.size());
    const int size = ansiBytes(text.data(), length, nullptr, 0);
    if (size <= 0) return std::nullopt;
    std::string bytes(static_cast<size_t>(size), '\0');
    ansiBytes(text.data(), length, bytes.data(), size);
    return bytes;
}

bool ansiAndOemAgree(wchar_t c) {
    // A character may take two bytes (the code pages of Chinese, Japanese and Korean systems).
    char bytes[8] = {};
    const int n = ansiBytes(&c, 1, bytes, sizeof bytes);
    wchar_t back[2] = {};
    return n > 0 && ::MultiByteToWideChar(CP_OEMCP, MB_ERR_INVALID_CHARS, bytes, n, back, 2) == 1 &&
           back[0] == c;
}

std::optional<std::wstring> shortPathOf(const std::wstring& path, bool file) {
    if (file) {
        // Opened to append, so a log the mailer is writing loses nothing.
        const UniqueFile made(::CreateFileW(path.c_str(), FILE_APPEND_DATA,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!made) return std::nullopt;
    }
    std::wstring form(::GetShortPathNameW(path.c_str(), nullptr, 0), L'\0');
    if (form.empty()) return std::nullopt;
    form.resize(::GetShortPathNameW(path.c_str(), form.data(), static_cast<DWORD>(form.size())));
    if (form.empty()) return std::nullopt;
    return form;
}

}  // namespace kovalt::platform
