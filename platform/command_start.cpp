#include "platform/command_start.h"

#include <windows.h>
#include <tlhelp32.h>

#include <thread>
#include <vector>

#include "platform/win_handles.h"

namespace kovalt::platform {

namespace {
// CreateProcessW on a writable copy of the command line, its window shown as `show`.
bool create(const wchar_t* application, const std::wstring& commandLine, WORD show, DWORD flags,
            const wchar_t* folder, ProcessInfo& info) {
    std::vector<wchar_t> mutableLine(commandLine.begin(), commandLine.end());
    mutableLine.push_back(L'\0');
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = show;
    PROCESS_INFORMATION raw = {};
    if (!::CreateProcessW(application, mutableLine.data(), nullptr, nullptr, FALSE, flags, nullptr,
                          folder, &startup, &raw))
        return false;
    info = {UniqueHandle(raw.hProcess), UniqueHandle(raw.hThread), raw.dwProcessId};
    return true;
}

unsigned long long creationOf(HANDLE process) {
    FILETIME created, exited, kernel, user;
    if (!::GetProcessTimes(process, &created, &exited, &kernel, &user)) return 0;
    return (static_cast<unsigned long long>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
}

// Ends the processes `parent` started. A script taken up again has no job to hold them.
void endChildrenOf(DWORD parent) {
    const UniqueFile snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry = {sizeof(entry)};
    for (BOOL more = snapshot && ::Process32FirstW(snapshot.get(), &entry); more;
         more = ::Process32NextW(snapshot.get(), &entry)) {
        if (entry.th32ParentProcessID != parent) continue;
        const UniqueHandle child(::OpenProcess(PROCESS_TERMINATE, FALSE, entry.th32ProcessID));
        if (child) ::TerminateProcess(child.get(), ERROR_TIMEOUT);
    }
}
}  // namespace

std::optional<unsigned long> StartedScript::exitCode() const {
    DWORD code = 0;
    if (!process_ || ::WaitForSingleObject(process_.get(), 0) != WAIT_OBJECT_0 ||
        !::GetExitCodeProcess(process_.get(), &code))
        return std::nullopt;
    return code;
}

void StartedScript::end() {
    if (job_)
        ::TerminateJobObject(job_.get(), ERROR_TIMEOUT);
    else if (process_ && !exitCode())
        endChildrenOf(id_);
    if (!process_) return;
    ::TerminateProcess(process_.get(), ERROR_TIMEOUT);
    // Termination completes on its own time; the next try starts only once this one is gone.
    ::WaitForSingleObject(process_.get(), 2000);
}

Result startBatchHidden(const std::wstring& scriptPath, StartedScript& started) {
    // A quote cannot be part of a Windows path; one here could only break out of the quoting.
    if (scriptPath.find(L'"') != std::wstring::npos) return {ERROR_INVALID_NAME};
    // cmd.exe expands "%NAME%" even inside quotes, so such a path could name another file.
    if (scriptPath.find(L'%') != std::wstring::npos)
        return {ERROR_INVALID_NAME,
                L"the path holds a percent sign, which cmd.exe would read as a variable; "
                L"move the program to a folder whose path has none"};
    DWORD attributes = ::GetFileAttributesW(scriptPath.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return {::GetLastError()};
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return {336};  // ERROR_DIRECTORY_NOT_SUPPORTED, missing from some SDKs

    // cmd.exe by its full path, so no cmd.exe in the current folder or on PATH stands in. With
    // /c and more than two quotes, cmd strips the outer pair and keeps the inner quoting, in
    // which & ( ) ^ are plain characters; /v:off keeps "!" plain even where the user turned
    // delayed expansion on by default, and /d skips any AutoRun command.
    const std::wstring cmd = systemFolder() + L"\\cmd.exe";
    std::wstring commandLine = L"\"" + cmd + L"\" /d /v:off /c \"\"" + scriptPath + L"\"\"";
    ProcessInfo info;
    // Started held, so that it is in its job before it can start anything.
    if (!create(cmd.c_str(), commandLine, SW_HIDE, CREATE_NO_WINDOW | CREATE_SUSPENDED, nullptr,
                info))
        return {::GetLastError()};
    // The job holds the mailer too, so that a try past its time limit ends whole. Without one
    // the script still runs; only its children are then looked for by hand. Closing the
    // watchdog lets a mailer on its way finish: its e-mail is not lost with the strip.
    UniqueHandle job(::CreateJobObjectW(nullptr, nullptr));
    if (job && !::AssignProcessToJobObject(job.get(), info.process.get())) job.reset();
    ::ResumeThread(info.thread.get());
    started.job_ = std::move(job);
    started.id_ = info.processId;
    started.created_ = creationOf(info.process.get());
    started.process_ = std::move(info.process);
    return {};
}

namespace {
BOOL CALLBACK askToClose(HWND window, LPARAM process) {
    DWORD id = 0;
    ::GetWindowThreadProcessId(window, &id);
    if (id == static_cast<DWORD>(process) && ::IsWindowVisible(window))
        ::PostMessageW(window, WM_CLOSE, 0, 0);
    return TRUE;
}
}  // namespace

void endProcesses(const std::vector<unsigned long>& ids, unsigned long graceMs) {
    std::vector<UniqueHandle> processes;
    for (unsigned long id : ids) {
        UniqueHandle process(::OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, id));
        if (!process) continue;
        ::EnumWindows(askToClose, static_cast<LPARAM>(id));
        processes.push_back(std::move(process));
    }
    // A program that does not close within the grace (a hung one will not) is ended then.
    std::thread([processes = std::move(processes), graceMs] {
        for (const UniqueHandle& p : processes)
            if (::WaitForSingleObject(p.get(), graceMs) == WAIT_TIMEOUT)
                ::TerminateProcess(p.get(), 1);
    }).detach();
}

bool adoptScript(unsigned long processId, unsigned long long created, StartedScript& script) {
    UniqueHandle process(::OpenProcess(
        SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE, FALSE, processId));
    if (!process || created == 0 || creationOf(process.get()) != created ||
        ::WaitForSingleObject(process.get(), 0) == WAIT_OBJECT_0)
        return false;
    script.job_.reset();
    script.process_ = std::move(process);
    script.id_ = processId;
    script.created_ = created;
    return true;
}

long long secondsSince(unsigned long long created) {
    FILETIME now;
    ::GetSystemTimeAsFileTime(&now);
    const unsigned long long at =
        (static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    return at > created ? static_cast<long long>((at - created) / 10000000ULL) : 0;
}

Result startProgram(const std::wstring& commandLine, const std::wstring& folder,
                    StartedProgram& started) {
    ProcessInfo info;
    if (!create(nullptr, commandLine, SW_SHOWNORMAL,
                CREATE_NEW_PROCESS_GROUP | CREATE_DEFAULT_ERROR_MODE,
                folder.empty() ? nullptr : folder.c_str(), info)) {
        const DWORD error = ::GetLastError();
        constexpr DWORD kElevationRequired =
            740;  // ERROR_ELEVATION_REQUIRED, missing from some SDKs
        if (error == kElevationRequired)
            return {error,
                    L"the program needs to be run as administrator, which the watchdog "
                    L"does not do"};
        return {error};
    }
    started.process = std::move(info.process);
    started.id = info.processId;
    return {};
}

}  // namespace kovalt::platform
