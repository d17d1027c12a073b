// Values kept for the current user only (tokens, URLs with a secret in them), with the
// system's data protection: readable by this user on this computer and by nobody else.
#pragma once

#include <optional>
#include <string>

namespace kovalt::platform {

// "DPAPI:..." as settings/protected_text.h stores it; nothing when the system refuses. Empty
// text stays empty: there is nothing to hide.
std::optional<std::wstring> protect(const std::wstring& plain);
// The value itself. A plain value (one an administrator put there) is returned as it stands;
// one that cannot be unprotected (another user's, another computer's, damaged) gives nothing.
std::optional<std::wstring> unprotect(const std::wstring& stored);

}  // namespace kovalt::platform
