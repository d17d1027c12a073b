// Files and folders.
#pragma once

#include <optional>
#include <string>

#include "platform/result.h"

namespace kovalt::platform {

// Makes one folder (only the last part of the path). A folder that is already there counts as
// made; a file of that name in the way does not.
Result makeFolder(const std::wstring& path);

// Replaces a file's whole content in one step: the bytes go to a new file beside it, which
// then takes the file's place, so a reader sees the old content or the new, never a mix.
Result replaceFile(const std::wstring& path, const std::string& bytes);

// A file's size in bytes, or -1 when it cannot be read.
long long fileSize(const std::wstring& path);
// What a file holds from `offset` on, opened so that others may go on writing it; empty when it
// cannot be read.
std::string readFileFrom(const std::wstring& path, long long offset);

// The text in the system's ANSI code page, or nothing when a character has no byte there.
std::optional<std::string> toAnsi(const std::wstring& text);

// Whether a character outside ASCII means the same in the ANSI code page (in which scripts are
// written) and the OEM code page (in which cmd.exe reads them).
bool ansiAndOemAgree(wchar_t c);

}  // namespace kovalt::platform
