// Starts a batch file as a hidden, separate process that nobody waits for, and keeps it in
// view: whether it has ended, with what status, and a way to end it with all it started. And
// starts a program for the user, as a shortcut would.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/result.h"

#ifdef _WIN32
#include "platform/win_handles.h"
#endif

namespace kovalt::platform {

#ifdef _WIN32
// A started script: its process, and a job that holds every process it starts (the mailer).
// Letting go of it lets them finish on their own; the process is known by its id and its
// creation time, so that the watchdog's next start can take it up again.
class StartedScript {
public:
    // The script's exit status once it has ended; nothing while it runs.
    std::optional<unsigned long> exitCode() const;
    // Ends the script and everything it started.
    void end();
    unsigned long processId() const { return id_; }
    unsigned long long created() const { return created_; }

private:
    friend Result startBatchHidden(const std::wstring&, StartedScript&);
    friend bool adoptScript(unsigned long, unsigned long long, StartedScript&);
    UniqueHandle job_, process_;
    unsigned long id_ = 0;
    unsigned long long created_ = 0;
};

// A script started before the watchdog last closed and still running, taken up again; false
// when it has ended (or its id now names another process).
bool adoptScript(unsigned long processId, unsigned long long created, StartedScript& script);
// The seconds since a process was created, by a creation time as StartedScript gives it.
long long secondsSince(unsigned long long created);

// Runs the script through "cmd.exe /d /c" with its path quoted, so a folder with blanks works
// and no other program can be started in its place. A script that does not exist is reported
// rather than handed to cmd.exe, which would fail unseen.
Result startBatchHidden(const std::wstring& scriptPath, StartedScript& started);

// A program started for the user: its process, to wait on, and its id.
struct StartedProgram {
    UniqueHandle process;
    unsigned long id = 0;
};

// Ends these processes as a user closing them would: their windows are asked to close, and
// what still runs after `graceMs` is ended. Returns at once; the waiting is done elsewhere.
void endProcesses(const std::vector<unsigned long>& ids, unsigned long graceMs);

// Starts `commandLine` as a shortcut would: in a normal window, with `folder` as its current
// folder and the watchdog's own rights, never elevated. It is not the watchdog's to end: it
// stays when the watchdog closes.
Result startProgram(const std::wstring& commandLine, const std::wstring& folder,
                    StartedProgram& started);
#endif

}  // namespace kovalt::platform
