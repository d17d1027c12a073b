// Files and folders.
#pragma once

#include <optional>
#include <span>
#include <string>

#include "platform/result.h"

namespace kovalt::platform {

// Makes one folder (only the last part of the path). A folder that is already there counts as
// made; a file of that name in the way does not.
Result makeFolder(const std::wstring& path);

// A file's whole content.
struct FileContent {
    std::wstring path;
    std::string bytes;
};

// Gives every file its new content, or leaves every one as it was. The contents first go to
// new files beside their targets, under short names (a target's name may be near the length
// limit), which then take the targets' places one by one; should one of them fail, the files
// already replaced get their old content back. A reader sees a file's old content or its new,
// never a mix. On failure `failed` is the path that could not be written.
Result replaceFiles(std::span<const FileContent> files, std::wstring& failed);
inline Result replaceFile(const std::wstring& path, const std::string& bytes) {
    std::wstring failed;
    const FileContent file{path, bytes};
    return replaceFiles({&file, 1}, failed);
}

// Whether a folder of that path exists.
bool folderExists(const std::wstring& path);

// A file's size in bytes, or -1 when it cannot be read.
long long fileSize(const std::wstring& path);
// What a file holds from `offset` on, `most` bytes at the most, opened so that others may go on
// writing it; empty when it cannot be read.
std::string readFileFrom(const std::wstring& path, long long offset,
                         size_t most = static_cast<size_t>(-1));

// The text in the system's ANSI code page, or nothing when a character has no byte there.
std::optional<std::string> toAnsi(const std::wstring& text);

// The short (8.3) form of an existing path; a file is made (empty) first when `file` and it is
// not there. Nothing when the system gives none.
std::optional<std::wstring> shortPathOf(const std::wstring& path, bool file);

// Whether a character outside ASCII means the same in the ANSI code page (in which scripts are
// written) and the OEM code page (in which cmd.exe reads them).
bool ansiAndOemAgree(wchar_t c);

}  // namespace kovalt::platform
