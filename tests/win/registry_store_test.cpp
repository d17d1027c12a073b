#include <gtest/gtest.h>

#include "settings/settings_store.h"
#include "win_test_support.h"

using namespace kovalt;
using test::ScratchRegistry;

TEST(RegistryStore, RoundTripsTextExactly) {
    ScratchRegistry scratch;
    auto& store = scratch.store();
    EXPECT_FALSE(store.read(L"KOVALT", L"WATCH1", L"PROCESS_NAME_TEXTBOX")) << "absent";

    const std::wstring values[] = {L"wallet.exe", L"", L" padded ", L"bob's \"miner\" & co %PATH% ^",
                                   L"\x00e9t\x00e9 \x4e2d\x6587.exe",
                                   std::wstring(32 * 1024, L'x')};
    for (const auto& value : values) {
        ASSERT_TRUE(store.save(L"KOVALT", L"WATCH1", L"PROCESS_NAME_TEXTBOX", value).ok());
        EXPECT_EQ(store.read(L"KOVALT", L"WATCH1", L"PROCESS_NAME_TEXTBOX"), value);
    }
    // Keys, sections and applications are independent.
    store.save(L"KOVALT", L"KOV-ALT-SHARED-EMAIL-SETTINGS", L"SE_HOME_TEXTBOX", L"shared");
    store.save(L"KOV-ALT", L"WATCH1", L"SE_HOME_TEXTBOX", L"viewer");
    EXPECT_FALSE(store.read(L"KOVALT", L"WATCH1", L"SE_HOME_TEXTBOX"));
    EXPECT_EQ(store.read(L"KOVALT", L"KOV-ALT-SHARED-EMAIL-SETTINGS", L"SE_HOME_TEXTBOX"), L"shared");
    EXPECT_EQ(store.read(L"KOV-ALT", L"WATCH1", L"SE_HOME_TEXTBOX"), L"viewer");

    // A save is visible to the next reader at once, through another handle.
    platform::RegistryStore other(scratch.root());
    store.save(L"KOVALT", L"WATCH1", L"MAIN_Left", L"1500");
    EXPECT_EQ(other.read(L"KOVALT", L"WATCH1", L"MAIN_Left"), L"1500");
}

TEST(RegistryStore, ValuesThatAreNotTextReadAsTheDefault) {
    ScratchRegistry scratch;
    const std::wstring section = scratch.root() + L"\\KOVALT\\WATCH1";
    DWORD one = 1;
    ASSERT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, section.c_str(), L"ENABLED_TICKBOX", REG_DWORD,
                                &one, sizeof(one)),
              ERROR_SUCCESS);
    EXPECT_FALSE(scratch.store().read(L"KOVALT", L"WATCH1", L"ENABLED_TICKBOX"));
    settings::InstanceSettings s(scratch.store(), L"WATCH1");
    EXPECT_FALSE(s.flag(settings::keys::ENABLED_TICKBOX));
    // Text without a terminating NUL still reads as its characters.
    const wchar_t raw[] = {L'1', L'2'};
    ::RegSetKeyValueW(HKEY_CURRENT_USER, section.c_str(), L"MAIN_Left", REG_SZ, raw, sizeof(raw));
    EXPECT_EQ(scratch.store().read(L"KOVALT", L"WATCH1", L"MAIN_Left"), L"12");
}

TEST(RegistryStore, WritesWhereEarlierToolsKeepTheirSettings) {
    const std::wstring app = L"KOVALT-TEST-" + test::uniqueSuffix();
    platform::RegistryStore store;  // the real root
    ASSERT_TRUE(store.save(app, L"WATCH1", L"RUNNER_NAME_TEXTBOX", L"My wallet").ok());

    const std::wstring path = L"Software\\VB and VBA Program Settings\\" + app + L"\\WATCH1";
    wchar_t buffer[64] = {};
    DWORD bytes = sizeof(buffer), type = 0;
    LSTATUS status = ::RegGetValueW(HKEY_CURRENT_USER, path.c_str(), L"RUNNER_NAME_TEXTBOX",
                                    RRF_RT_ANY, &type, buffer, &bytes);
    EXPECT_EQ(status, ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_STREQ(buffer, L"My wallet");
    const std::wstring appKey = L"Software\\VB and VBA Program Settings\\" + app;
    ::RegDeleteTreeW(HKEY_CURRENT_USER, appKey.c_str());
    ::RegDeleteKeyW(HKEY_CURRENT_USER, appKey.c_str());
}
