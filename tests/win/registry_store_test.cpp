#include <aclapi.h>

#include "win_test_support.h"

using namespace kovalt;

TEST(RegistryStore, KeepsTextExactlyWhereEarlierToolsKeepTheirSettings) {
    const std::wstring app = L"KOVALT-TEST-" + test::uniqueSuffix();
    const std::wstring root = L"Software\\VB and VBA Program Settings\\" + app,
                       section = root + L"\\W";
    platform::RegistryStore store;  // the real root
    EXPECT_EQ(store.read(app, L"W", L"K").error.code, 0ul) << "absent is no error";
    for (const std::wstring& value : {std::wstring(L" bob's \"x\" & %PATH% ^ "), std::wstring(),
                                      std::wstring(L"\x00e9 \x4e2d"), std::wstring(32768, L'x')}) {
        ASSERT_TRUE(store.save(app, L"W", L"K", value).ok());
        // Through another handle: the next reader sees every save at once.
        EXPECT_EQ(platform::RegistryStore().read(app, L"W", L"K").text, value);
    }
    DWORD type = 0;
    ::RegGetValueW(HKEY_CURRENT_USER, section.c_str(), L"K", RRF_RT_ANY, &type, nullptr, nullptr);
    EXPECT_EQ(type, DWORD(REG_SZ));
    EXPECT_FALSE(store.read(L"KOV-ALT", L"W", L"K").text || store.read(app, L"W2", L"K").text);
    // Left by other tools: a number reads as absent, text without its NUL as text.
    const DWORD one = 1;
    ::RegSetKeyValueW(HKEY_CURRENT_USER, section.c_str(), L"D", REG_DWORD, &one, 4);
    ::RegSetKeyValueW(HKEY_CURRENT_USER, section.c_str(), L"U", REG_SZ, L"12", 4);
    EXPECT_FALSE(store.read(app, L"W", L"D").text);
    EXPECT_EQ(store.read(app, L"W", L"U").text, L"12");
    // A section the user may not read is told apart from an absent one.
    HKEY denied = nullptr;
    ::RegOpenKeyExW(HKEY_CURRENT_USER, section.c_str(), 0, WRITE_DAC, &denied);
    ACL empty;  // no entry: nobody may do anything
    ::InitializeAcl(&empty, sizeof(empty), ACL_REVISION);
    ::SetSecurityInfo(denied, SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION, nullptr, nullptr, &empty,
                      nullptr);
    ::RegCloseKey(denied);
    EXPECT_EQ(store.read(app, L"W", L"K").error.code,
              static_cast<unsigned long>(ERROR_ACCESS_DENIED));
    ::RegDeleteTreeW(HKEY_CURRENT_USER, root.c_str());
    ::RegDeleteKeyW(HKEY_CURRENT_USER, root.c_str());
}
