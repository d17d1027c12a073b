// The management-service query that finds the watched program, built without the platform so
// that it is tested natively.
#pragma once

#include <optional>
#include <string>

namespace kovalt::platform {

// "SELECT Name FROM Win32_Process WHERE Name='...'" for the watched name, or nothing when no
// process can have that name (empty, longer than a file name can be, or holding a character no
// file name can hold), in which case the process counts as not running without asking. A name
// with a single quote is put in double quotes, which the query language accepts, so the exact
// name is compared.
std::optional<std::wstring> processQueryText(const std::wstring& name);

}  // namespace kovalt::platform
