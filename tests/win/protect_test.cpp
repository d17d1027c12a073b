#include "platform/protect.h"
#include "settings/protected_text.h"
#include "win_test_support.h"

using namespace kovalt;

TEST(Protect, RoundTripsForThisUserPassesPlainValuesAndRefusesJunk) {
    const std::wstring plain = L"https://hc.example/ping/5f0e?k=\u00e9 \U0001F600";
    const std::optional<std::wstring> stored = platform::protect(plain);
    ASSERT_TRUE(stored && settings::isProtected(*stored));
    EXPECT_EQ(stored->find(L"hc.example"), std::wstring::npos) << "not readable as it stands";
    EXPECT_EQ(platform::unprotect(*stored), plain);
    EXPECT_EQ(platform::protect(L""), L"");
    EXPECT_EQ(platform::unprotect(L"tk_plain=="), L"tk_plain==") << "as an administrator put it";

    std::wstring tampered = *platform::protect(L"tk_AbC123");
    // A byte of its signature changed.
    wchar_t& changed = tampered[tampered.size() - 8];
    changed = changed == L'A' ? L'B' : L'A';
    for (const std::wstring& junk :
         {std::wstring(L"DPAPI:"), std::wstring(L"DPAPI:!!!!"),
          L"DPAPI:" + settings::base64Encode(std::string(200, 'j')), tampered})
        EXPECT_FALSE(platform::unprotect(junk)) << test::narrow(junk);
}
