#include <gtest/gtest.h>

#include <set>

#include "settings/settings_store.h"
#include "settings/value_text.h"

using namespace kovalt::settings;

TEST(ValueText, NumbersParseStrictlyAndWithoutThrowing) {
    EXPECT_EQ(parseNumber(L"12"), 12.0);
    EXPECT_EQ(parseNumber(L" -3.5 "), -3.5);
    EXPECT_EQ(parseNumber(L"+7"), 7.0);
    EXPECT_EQ(parseNumber(L"1e3"), 1000.0);
    for (const wchar_t* junk : {L"", L" ", L"abc", L"12abc", L"1,5", L"1e400", L"nan", L"inf",
                                L"\x0661", L"--1", L"0x10"})
        EXPECT_FALSE(parseNumber(junk).has_value()) << junk;
    EXPECT_FALSE(parseNumber(std::wstring(1 << 20, L'7')).has_value());
    EXPECT_FALSE(parseTwips(L"1e39").has_value()) << "beyond single precision";
    EXPECT_EQ(parseTwips(L"1.5"), 1.5f);
}

TEST(ValueText, TickStatesAreZeroOrOne) {
    EXPECT_EQ(parseTickState(L"0"), 0);
    EXPECT_EQ(parseTickState(L"1"), 1);
    EXPECT_EQ(parseTickState(L"1.0"), 1);
    for (const wchar_t* bad : {L"2", L"-1", L"0.5", L"yes", L""})
        EXPECT_FALSE(parseTickState(bad).has_value()) << bad;
}

TEST(ValueText, TwipsAreStoredAsWholeNumbers) {
    EXPECT_EQ(formatTwips(1000.0f), L"1000");
    EXPECT_EQ(formatTwips(-240.0f), L"-240");
    EXPECT_EQ(formatTwips(1234.6f), L"1235");
    EXPECT_EQ(formatTwips(0.0f), L"0");
}

TEST(InstanceSettings, EmptyStoreYieldsTheFirstRunState) {
    MemoryStore store;
    InstanceSettings s(store, L"WATCH1");
    EXPECT_EQ(s.text(keys::PROCESS_NAME_TEXTBOX), L"");
    EXPECT_EQ(s.text(keys::RUNNER_NAME_TEXTBOX), L"");
    EXPECT_FALSE(s.flag(keys::ENABLED_TICKBOX));
    EXPECT_TRUE(s.flag(keys::AlwaysOnTop_TICKBOX));
    EXPECT_EQ(s.tickState(keys::kInstanceEmailFields[8]), 1);  // TLS no
    EXPECT_EQ(s.tickState(keys::kInstanceEmailFields[9]), 0);
    EXPECT_EQ(s.tickState(keys::kInstanceEmailFields[10]), 0);
    EXPECT_EQ(s.twips(keys::kMainPlacement.left), 1000.0f);
    EXPECT_EQ(s.twips(keys::kMainPlacement.width), 2640.0f);
    EXPECT_EQ(s.twips(keys::kMainPlacement.height), 645.0f);
    EXPECT_EQ(store.size(), 0u) << "reading never writes";
}

TEST(InstanceSettings, FlagsOutsideTheirWindowAreOnOnlyForExactlyOne) {
    MemoryStore store;
    InstanceSettings s(store, L"WATCH1");
    const std::pair<const wchar_t*, bool> cases[] = {
        {L"1", true}, {L"1.0", true}, {L" 1 ", true}, {L"0", false}, {L"2", false},
        {L"-1", false}, {L"1.5", false}, {L"", true}, {L"abc", true}};  // junk: default (1)
    for (auto [text, on] : cases) {
        s.save(keys::AlwaysOnTop_TICKBOX, text);
        EXPECT_EQ(s.flag(keys::AlwaysOnTop_TICKBOX), on) << text;
    }
    s.save(keys::ENABLED_TICKBOX, L"abc");
    EXPECT_FALSE(s.flag(keys::ENABLED_TICKBOX)) << "junk reads as the default 0";
    s.save(keys::ENABLED_TICKBOX, L"1");
    EXPECT_TRUE(s.flag(keys::ENABLED_TICKBOX));
}

TEST(InstanceSettings, SectionsAndApplicationsKeepTheirValuesApart) {
    MemoryStore store;
    InstanceSettings a(store, L"WATCH1"), b(store, L"WATCH2");
    a.save(keys::kInstanceEmailFields[0], L"C:\\mailer");
    a.save(keys::kSharedEmailFields[0], L"D:\\shared");
    EXPECT_EQ(a.text(keys::kInstanceEmailFields[0]), L"C:\\mailer");
    EXPECT_EQ(b.text(keys::kInstanceEmailFields[0]), L"");
    EXPECT_EQ(b.text(keys::kSharedEmailFields[0]), L"D:\\shared");
    EXPECT_EQ(store.read(L"KOVALT", L"KOV-ALT-SHARED-EMAIL-SETTINGS", L"SE_HOME_TEXTBOX"),
              L"D:\\shared");

    a.saveTwips(keys::kOutputCommandsPlacement.left, 300);
    EXPECT_EQ(store.read(L"KOV-ALT", L"WATCH1", L"SINGLE_OUTPUT_COMMANDS_WINDOW-Left"), L"300");
    EXPECT_FALSE(store.read(L"KOVALT", L"WATCH1", L"SINGLE_OUTPUT_COMMANDS_WINDOW-Left"));
    // Free text goes in and out unchanged, blanks and all.
    a.save(keys::PROCESS_NAME_TEXTBOX, L" my app's.exe ");
    EXPECT_EQ(a.text(keys::PROCESS_NAME_TEXTBOX), L" my app's.exe ");
}

TEST(SettingKeys, TheTableIsConsistent) {
    std::set<std::wstring_view> names;
    for (const auto& p : keys::kAllPlacements) {
        for (const SettingKey* k : {&p.left, &p.top, &p.width, &p.height}) {
            EXPECT_EQ(k->form, ValueForm::Placement);
            EXPECT_TRUE(parseTwips(k->defaultText)) << std::wstring(k->name);
            EXPECT_TRUE(names.insert(k->name).second) << "duplicate " << std::wstring(k->name);
        }
        EXPECT_EQ(p.left.defaultText, L"1000");
        EXPECT_EQ(p.top.defaultText, L"1000");
    }
    for (size_t i = 0; i < 11; ++i) {
        EXPECT_EQ(keys::kInstanceEmailFields[i].name, keys::kSharedEmailFields[i].name);
        EXPECT_EQ(keys::kSharedEmailFields[i].section, Section::Shared);
        EXPECT_EQ(keys::kInstanceEmailFields[i].section, Section::Instance);
    }
}
