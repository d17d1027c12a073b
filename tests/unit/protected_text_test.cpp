#include <gtest/gtest.h>

#include "settings/protected_text.h"

using namespace kovalt::settings;

TEST(ProtectedText, Base64RoundTripsEveryByteAndRefusesJunk) {
    // RFC 4648's own examples.
    const std::pair<std::string, std::wstring> vectors[] = {{"", L""},
                                                            {"f", L"Zg=="},
                                                            {"fo", L"Zm8="},
                                                            {"foo", L"Zm9v"},
                                                            {"foob", L"Zm9vYg=="},
                                                            {"fooba", L"Zm9vYmE="},
                                                            {"foobar", L"Zm9vYmFy"}};
    for (const auto& [bytes, text] : vectors) {
        EXPECT_EQ(base64Encode(bytes), text);
        EXPECT_EQ(base64Decode(text), bytes);
    }
    std::string every;
    for (int i = 0; i < 256; ++i) every += static_cast<char>(255 - i);
    for (size_t n = 0; n <= every.size(); n += 37)
        EXPECT_EQ(base64Decode(base64Encode(every.substr(0, n))), every.substr(0, n)) << n;

    for (const wchar_t* junk : {L"Zg=", L"Zg", L"Z===", L"Zm9v\n", L"Zm 9v", L"=Zg=", L"Zg=a",
                                L"Zg==Zm8=", L"Zh==", L"Zm9=", L"Zm9v!A==", L"\u00e9AAA"})
        EXPECT_FALSE(base64Decode(junk)) << junk;

    EXPECT_EQ(protectedBytes(protectedText(every)), every);
    for (const wchar_t* plain : {L"", L"tk_plain", L"dpapi:Zm9v", L" DPAPI:Zm9v", L"DPAPI:Zm9"})
        EXPECT_FALSE(protectedBytes(plain)) << plain;
    EXPECT_TRUE(isProtected(L"DPAPI:Zm9") && !isProtected(L"tk_DPAPI:"));
}
