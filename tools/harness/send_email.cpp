// Copied into a mailer home folder as SendEmail.exe for the end-to-end tests, the demo and the
// mail benchmarks: runs Debian's sendemail with this program's own arguments and ends with its
// exit status, as the real mailer would.
//
// Wine gives a Windows program no usable handle on a Unix process it starts (a placeholder id,
// a wait that fails at once), so sendemail runs through sendemail-run.sh beside this program.
// Its one argument is a job file holding sendemail's arguments in UTF-8, each ended by a NUL (a
// -l log path as the Unix path of the same file). The script leaves its own pid in JOB.pid and
// sendemail's exit status in JOB.status. JOB.lease is held open by this program to delete on
// close: Wine's server deletes it when the process ends in any way, terminated with its job
// object too, and the script then ends sendemail, so nothing stays behind. (The Unix pid of
// this process cannot stand in: Wine's server opens files, so /proc/self is the server.)
// Exit codes of its own: 2 when the job cannot be set up, 3 when the script ends without status.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/win_handles.h"

namespace {
using kovalt::platform::UniqueFile;
using kovalt::platform::UniqueHandle;

constexpr int kCannotStart = 2, kNoStatus = 3;
constexpr ULONGLONG kScriptStartMs = 30000;

// Wine's own path conversions, kernel32 exports that Windows does not have. Both return memory
// of the process heap.
using ToUnix = char* (*)(const wchar_t*);
using ToDos = wchar_t* (*)(const char*);

struct Wine {
    ToUnix toUnix = nullptr;
    ToDos toDos = nullptr;

    // The Unix path of a Windows path; short (8.3) names and a missing last part are resolved
    // as any file call would. Empty when Wine has no Unix path for it.
    std::string unixPath(const std::wstring& path) const {
        std::wstring full(32768, L'\0');
        full.resize(::GetFullPathNameW(path.c_str(), DWORD(full.size()), full.data(), nullptr));
        char* converted = full.empty() ? nullptr : toUnix(full.c_str());
        if (!converted) return {};
        std::string result = converted;
        ::HeapFree(::GetProcessHeap(), 0, converted);
        return result;
    }

    std::wstring dosPath(const std::string& path) const {
        wchar_t* converted = toDos(path.c_str());
        if (!converted) return {};
        std::wstring result = converted;
        ::HeapFree(::GetProcessHeap(), 0, converted);
        return result;
    }
};

std::string utf8(const std::wstring& text) {
    std::string bytes(text.size() * 3, '\0');
    bytes.resize(::WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), bytes.data(),
                                       int(bytes.size()), nullptr, nullptr));
    return bytes;
}

std::wstring wide(const std::string& bytes) {
    std::wstring text(bytes.size(), L'\0');
    text.resize(::MultiByteToWideChar(CP_UTF8, 0, bytes.data(), int(bytes.size()), text.data(),
                                      int(text.size())));
    return text;
}

int fail(int code, const std::wstring& why) {
    std::fprintf(stderr, "SendEmail.exe (sendemail stand-in): %s\n", utf8(why).c_str());
    return code;
}

// A whole file; /proc files report no size, so it is read to its end.
std::string readAll(const std::wstring& path) {
    const UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, 0, nullptr));
    std::string bytes;
    char chunk[4096];
    DWORD got = 0;
    while (file && ::ReadFile(file.get(), chunk, sizeof(chunk), &got, nullptr) && got > 0)
        bytes.append(chunk, got);
    return bytes;
}

bool writeAll(const std::wstring& path, const std::string& bytes) {
    const UniqueFile file(
        ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    return file && ::WriteFile(file.get(), bytes.data(), DWORD(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

bool exists(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Whether a Unix process runs; one that has ended but was not reaped (its parent, after Wine
// hands it on, may be an init that does not reap) counts as ended.
bool unixProcessRuns(const Wine& wine, const std::string& pid) {
    const std::string stat = readAll(wine.dosPath("/proc/" + pid + "/stat"));
    const size_t name = stat.rfind(") ");
    return name != std::string::npos && name + 2 < stat.size() && stat[name + 2] != 'Z' &&
           stat[name + 2] != 'X';
}

// One argument as CommandLineToArgvW and Wine's Unix argv split it back.
std::wstring quoted(const std::wstring& arg) {
    std::wstring out = L"\"";
    size_t slashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') {
            ++slashes;
            continue;
        }
        out.append(c == L'"' ? 2 * slashes + 1 : slashes, L'\\');
        slashes = 0;
        out += c;
    }
    out.append(2 * slashes, L'\\');
    return out + L"\"";
}

void removeJob(const std::wstring& job) {
    for (const wchar_t* suffix : {L"", L".pid", L".status"}) ::DeleteFileW((job + suffix).c_str());
}

// Waits for the script's status; the script's pid file tells whether it still runs.
int waitForStatus(const Wine& wine, const std::wstring& job) {
    const ULONGLONG started = ::GetTickCount64();
    std::string scriptPid;
    for (;; ::Sleep(50)) {
        if (exists(job + L".status"))
            return int(std::strtol(readAll(job + L".status").c_str(), nullptr, 10));
        if (scriptPid.empty()) scriptPid = readAll(job + L".pid");
        while (!scriptPid.empty() && (scriptPid.back() == '\n' || scriptPid.back() == '\r'))
            scriptPid.pop_back();
        if (scriptPid.empty() && ::GetTickCount64() - started > kScriptStartMs)
            return fail(kNoStatus, L"sendemail-run.sh did not start within 30 s");
        // Looked at again after the script is seen gone: it may have ended just after the look.
        if (!scriptPid.empty() && !unixProcessRuns(wine, scriptPid) && !exists(job + L".status"))
            return fail(kNoStatus, L"sendemail-run.sh ended without leaving sendemail's status");
    }
}
}  // namespace

int wmain(int argc, wchar_t** argv) {
    const HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
    Wine wine;
    wine.toUnix = reinterpret_cast<ToUnix>(
        reinterpret_cast<void*>(::GetProcAddress(kernel, "wine_get_unix_file_name")));
    wine.toDos = reinterpret_cast<ToDos>(
        reinterpret_cast<void*>(::GetProcAddress(kernel, "wine_get_dos_file_name")));
    if (!wine.toUnix || !wine.toDos) return fail(kCannotStart, L"this runs only under Wine");

    std::wstring self(32768, L'\0');
    self.resize(::GetModuleFileNameW(nullptr, self.data(), DWORD(self.size())));
    const std::wstring script = self.substr(0, self.find_last_of(L'\\') + 1) + L"sendemail-run.sh";
    if (!exists(script)) return fail(kCannotStart, L"no companion script " + script);

    std::string job_bytes;
    for (int i = 1; i < argc; ++i) {
        std::string arg = utf8(argv[i]);
        if (i > 1 && std::wstring(argv[i - 1]) == L"-l") {
            arg = wine.unixPath(argv[i]);
            if (arg.empty())
                return fail(kCannotStart, L"no Unix path for the log " + std::wstring(argv[i]));
        }
        job_bytes += arg + '\0';
    }
    wchar_t temp[MAX_PATH + 1] = {}, job[MAX_PATH + 1] = {};
    if (!::GetTempPathW(MAX_PATH + 1, temp) || !::GetTempFileNameW(temp, L"sem", 0, job))
        return fail(kCannotStart, L"cannot make a job file in the temporary folder");
    const std::string job_unix = wine.unixPath(job);
    const UniqueFile lease(::CreateFileW((std::wstring(job) + L".lease").c_str(), GENERIC_WRITE,
                                         FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                                         FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    if (job_unix.empty() || !lease || !writeAll(job, job_bytes)) {
        removeJob(job);
        return fail(kCannotStart, L"cannot write the job files " + std::wstring(job));
    }

    std::wstring command = quoted(script) + L" " + quoted(wide(job_unix));
    STARTUPINFOW startup = {sizeof(startup)};
    PROCESS_INFORMATION started = {};
    if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &started)) {
        const DWORD error = ::GetLastError();
        removeJob(job);
        return fail(kCannotStart,
                    L"cannot start " + script + L" (error " + std::to_wstring(error) + L")");
    }
    // Wine's placeholders for a Unix process; nothing can be learnt from them.
    const UniqueHandle process(started.hProcess), thread(started.hThread);
    const int status = waitForStatus(wine, job);
    removeJob(job);
    return status;
}
