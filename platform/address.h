// An address a stuck check asks, as the user gives it: "host:port", where a TCP connection must
// be accepted, or an http:// or https:// URL, which must answer. Read without the platform, so
// that the settings window checks it and the tests run natively.
#pragma once

#include <optional>
#include <string>

namespace kovalt::platform {

struct Address {
    std::wstring text;        // as given, without surrounding blanks
    bool web = false;         // an http:// or https:// URL, asked over HTTP
    std::wstring host;        // an IPv6 address without its brackets
    unsigned short port = 0;  // of a URL, its own or its scheme's
};

// The address `text` names; nothing, and with `problem` why in words for the user, when it
// names none (empty text, neither form, a port outside 1-65535).
std::optional<Address> parseAddress(const std::wstring& text, std::wstring* problem = nullptr);

// How an address answered one try.
struct AddressAnswer {
    bool answered = false;
    std::wstring why;  // when not: in plain words
};

// An HTTP status as the check counts it: a server that answers below 500 is not stuck, even
// when it refuses (401, 404): it still handles requests.
AddressAnswer httpAnswer(int status);

}  // namespace kovalt::platform
