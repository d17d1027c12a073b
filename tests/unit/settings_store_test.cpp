#include <gtest/gtest.h>

#include "settings/settings_store.h"

using namespace kovalt::settings;

TEST(InstanceSettings, ReadsFallBackToTheKeysDefaultsAndNeverWrite) {
    MemoryStore store;
    const InstanceSettings s(store, L"WATCH1");
    EXPECT_EQ(s.tickState(keys::kInstanceEmailFields[8]), 1) << "TLS no";
    EXPECT_EQ(store.size(), 0u);
    // Outside its window a flag is on only for the number 1; what is no number reads as the
    // default (1 for always-on-top, 0 for monitoring).
    const std::tuple<const wchar_t*, bool, bool> flags[] = {
        {L"1", 1, 1}, {L"1.0", 1, 1}, {L"0", 0, 0}, {L"2", 0, 0}, {L"abc", 1, 0}};
    for (auto [text, onTop, enabled] : flags) {
        s.save(keys::AlwaysOnTop_TICKBOX, text);
        s.save(keys::ENABLED_TICKBOX, text);
        EXPECT_EQ(s.flag(keys::AlwaysOnTop_TICKBOX), onTop) << text;
        EXPECT_EQ(s.flag(keys::ENABLED_TICKBOX), enabled) << text;
    }
    // In its own window a tick box is 0 or 1; hidden waits are whole seconds up to a day.
    s.save(keys::kInstanceEmailFields[8], L"2");
    EXPECT_EQ(s.tickState(keys::kInstanceEmailFields[8]), 1);
    const std::pair<const wchar_t*, long long> waits[] = {
        {L"1", 1}, {L"86400", 86400}, {L"86401", 60}, {L"0", 60}, {L"1.5", 60}, {L"x", 60}};
    for (auto [text, seconds] : waits) {
        s.save(keys::ALERT_RETRY_SECONDS, text);
        EXPECT_EQ(s.seconds(keys::ALERT_RETRY_SECONDS), seconds) << text;
    }
    s.save(keys::STARTUP_DELAY_SECONDS_TEXTBOX, L"3601");  // more than its box allows
    EXPECT_EQ(s.seconds(keys::STARTUP_DELAY_SECONDS_TEXTBOX), 60);
}

TEST(InstanceSettings, SectionsKeepTheirValuesApartAndTextReadsBackAsStored) {
    MemoryStore store;
    const InstanceSettings a(store, L"WATCH1"), b(store, L"WATCH2");
    a.save(keys::kInstanceEmailFields[0], L"C:\\mailer");
    a.save(keys::kSharedEmailFields[0], L"D:\\shared");
    EXPECT_EQ(b.text(keys::kInstanceEmailFields[0]), L"");
    EXPECT_EQ(b.text(keys::kSharedEmailFields[0]), L"D:\\shared");
    a.save(keys::PROCESS_NAME_TEXTBOX, L" my app's.exe ");
    EXPECT_EQ(a.text(keys::PROCESS_NAME_TEXTBOX), L" my app's.exe ") << "free text unchanged";
    a.save(keys::PROCESS_NAME_TEXTBOX, std::wstring(8191, L'a'));
    EXPECT_EQ(a.text(keys::PROCESS_NAME_TEXTBOX).size(), 8191u);
    a.save(keys::PROCESS_NAME_TEXTBOX, std::wstring(8192, L'a'));
    EXPECT_EQ(a.text(keys::PROCESS_NAME_TEXTBOX), L"") << "longer than any line, junk: the default";
}
