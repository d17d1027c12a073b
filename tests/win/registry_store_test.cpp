#include "win_test_support.h"

using namespace kovalt;

TEST(RegistryStore, KeepsTextExactlyWhereEarlierToolsKeepTheirSettings) {
    const std::wstring app = L"KOVALT-TEST-" + test::uniqueSuffix();
    const std::wstring key = L"Software\\VB and VBA Program Settings\\" + app + L"\\W";
    platform::RegistryStore store;  // the real root
    EXPECT_FALSE(store.read(app, L"W", L"K"));
    for (const std::wstring& value : {std::wstring(L" bob's \"x\" & %PATH% ^ "), std::wstring(),
                                      std::wstring(L"\x00e9 \x4e2d"), std::wstring(32768, L'x')}) {
        ASSERT_TRUE(store.save(app, L"W", L"K", value).ok());
        // Through another handle: the next reader sees every save at once.
        EXPECT_EQ(platform::RegistryStore().read(app, L"W", L"K"), value);
    }
    DWORD type = 0;
    ::RegGetValueW(HKEY_CURRENT_USER, key.c_str(), L"K", RRF_RT_ANY, &type, nullptr, nullptr);
    EXPECT_EQ(type, DWORD(REG_SZ));
    EXPECT_FALSE(store.read(L"KOV-ALT", L"W", L"K") || store.read(app, L"W2", L"K"));
    // Left by other tools: a number reads as absent, text without its NUL as text.
    const DWORD one = 1;
    const wchar_t unterminated[] = {L'1', L'2'};
    ::RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), L"D", REG_DWORD, &one, 4);
    ::RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), L"U", REG_SZ, unterminated, 4);
    EXPECT_FALSE(store.read(app, L"W", L"D"));
    EXPECT_EQ(store.read(app, L"W", L"U"), L"12");
    ::RegDeleteTreeW(HKEY_CURRENT_USER, (L"Software\\VB and VBA Program Settings\\" + app).c_str());
    ::RegDeleteKeyW(HKEY_CURRENT_USER, (L"Software\\VB and VBA Program Settings\\" + app).c_str());
}
