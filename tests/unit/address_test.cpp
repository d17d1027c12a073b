#include <gtest/gtest.h>

#include "platform/address.h"

using namespace kovalt::platform;

TEST(Address, HostAndPortOrAWebAddressAreReadAndAnythingElseIsToldApart) {
    const std::tuple<const wchar_t*, bool, const wchar_t*, int> read[] = {
        {L" 127.0.0.1:8332 ", false, L"127.0.0.1", 8332},
        {L"node.local:08332", false, L"node.local", 8332},
        {L"[::1]:80", false, L"::1", 80},
        {L"HTTP://user:pw@host/a:b?c", true, L"host", 80},
        {L"https://[fe80::1]/x", true, L"fe80::1", 443}};
    for (const auto& [text, web, host, port] : read) {
        const std::optional<Address> a = parseAddress(text);
        ASSERT_TRUE(a) << text;
        EXPECT_EQ(std::tuple(a->web, a->host, a->port), std::tuple(web, host, port)) << text;
    }
    for (const wchar_t* neither :
         {L"host", L"host:", L"host:x1", L"::1:80", L"a b:80", L"ftp://h:21", L"http://",
          L"http://:80", L"C:\\x:80", L"[::1"}) {
        std::wstring problem;
        EXPECT_FALSE(parseAddress(neither, &problem)) << neither;
        EXPECT_NE(problem.find(L"is neither host:port"), std::wstring::npos) << neither;
    }
    for (const wchar_t* port : {L"h:0", L"http://h:65536/", L"h:99999999999"}) {
        std::wstring problem;
        EXPECT_FALSE(parseAddress(port, &problem)) << port;
        EXPECT_NE(problem.find(L"from 1 to 65535"), std::wstring::npos) << port;
    }
    EXPECT_TRUE(httpAnswer(404).answered) << "a refusal is still an answer";
    EXPECT_EQ(httpAnswer(503).why, L"answered with HTTP status 503");
}
