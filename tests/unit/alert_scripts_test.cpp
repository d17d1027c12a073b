#include <gtest/gtest.h>

#include "email/alert_scripts.h"

using namespace kovalt::email;
namespace keys = kovalt::settings::keys;

namespace {
const MailFields kFields{L"C:\\SendEmail", L"127.0.0.1:25", L"u",   L"p\x00e9",
                         L"f@x",           L"t@x",          L"c@x", L"b@x"};
const LineContext kContext{L"wallet.exe", L"no", L"C:\\Watch", L"WATCH1"};
const CodePageCheck kHoldsLatin1 = [](wchar_t c) { return c <= 0xff; };
const CodePageCheck kAsciiOnly = [](wchar_t) { return false; };
const ScriptEncoder kLatin1 = [](const std::wstring& text) -> std::optional<std::string> {
    return std::string(text.begin(), text.end());
};
}  // namespace

TEST(AlertScripts, EachScriptHoldsItsLineInTheCodePageThenCrLf) {
    const AlertScripts s = prepareAlertScripts(kFields, kContext, kHoldsLatin1, kLatin1);
    ASSERT_FALSE(s.problem);
    EXPECT_EQ(s.runningLine, composeLine(kFields, kContext, kovalt::monitor::AlertKind::Running));
    EXPECT_EQ(s.stoppedLine, composeLine(kFields, kContext, kovalt::monitor::AlertKind::Stopped));
    EXPECT_EQ(s.files[0].path, L"C:\\Watch\\BATS\\WATCH1-PROCESS-RUNNING-EMAIL.bat");
    EXPECT_EQ(s.files[1].path, L"C:\\Watch\\BATS\\WATCH1-PROCESS-STOPPED-EMAIL.bat");
    EXPECT_EQ(s.files[0].bytes, *kLatin1(s.runningLine) + "\r\n");
    EXPECT_EQ(s.files[1].bytes, *kLatin1(s.stoppedLine) + "\r\n");
    ASSERT_EQ(s.files.size(), 2u) << "a third only where a check that it works is set up";
    LineContext checked = kContext;
    checked.withStuck = true;
    const AlertScripts three = prepareAlertScripts(kFields, checked, kHoldsLatin1, kLatin1);
    ASSERT_EQ(three.files.size(), 3u);
    EXPECT_EQ(three.files[2].path, L"C:\\Watch\\BATS\\WATCH1-PROCESS-STUCK-EMAIL.bat");
    EXPECT_NE(three.files[2].bytes.find("-u \"KOV-ALT - wallet.exe - STUCK\""), std::string::npos);
}

TEST(AlertScripts, NothingIsWrittenForFieldsThatCannotBeCarried) {
    const ScriptEncoder refusing = [](const std::wstring&) { return std::nullopt; };
    // The check refuses the password's letter; or check and encoder disagree: never an empty
    // script.
    for (const auto& [holds, encode] : {std::pair{kAsciiOnly, kLatin1}, {kHoldsLatin1, refusing}}) {
        const AlertScripts s = prepareAlertScripts(kFields, kContext, holds, encode);
        ASSERT_TRUE(s.problem);
        EXPECT_TRUE(s.files.empty());
        const OneScript test =
            prepareScript(kFields, kContext, kovalt::monitor::AlertKind::Test, holds, encode);
        EXPECT_TRUE(test.problem && test.file.bytes.empty());
    }
}

TEST(AlertScripts, TheWatchedNameIsBroughtIntoStoredSettingsAsTheirOkWouldWriteIt) {
    enum Outcome { Nothing, Written, Refused };
    const struct {
        bool fieldsStored;
        const wchar_t* linesNamed;  // the process the stored lines name, if any
        const wchar_t* watched;
        Outcome outcome;
        std::wstring tls = L"auto";  // stored as ticked
    } rows[] = {{false, nullptr, L"new.exe", Nothing},
                {true, L"new.exe", L"new.exe", Nothing},
                {true, L"old.exe", L"new.exe", Written, L"yes"},
                {true, nullptr, L"new.exe", Written, L"no"},
                {true, L"old.exe", L"50%.exe", Refused}};
    for (const auto& row : rows) {
        kovalt::settings::MemoryStore store;
        const kovalt::settings::InstanceSettings stored(store, L"WATCH1");
        const auto tick = [&](const wchar_t* word) { return row.tls == word ? L"1" : L"0"; };
        const std::wstring values[] = {kFields.home, kFields.server, kFields.user, kFields.password,
                                       kFields.from, kFields.to,     kFields.cc,   kFields.bcc,
                                       tick(L"no"),  tick(L"yes"),   tick(L"auto")};
        for (size_t i = 0; row.fieldsStored && i < 11; ++i)
            stored.save(keys::kInstanceEmailFields[i], values[i]);
        LineContext context{L"", row.tls, L"C:\\Watch", L"WATCH1"};
        if (row.linesNamed) {
            context.processName = row.linesNamed;
            storeLines(stored, prepareAlertScripts(kFields, context, kHoldsLatin1, kLatin1));
        }
        const auto scripts =
            scriptsNaming(row.watched, stored, L"C:\\Watch", kHoldsLatin1, kLatin1);
        ASSERT_EQ(scripts.has_value(), row.outcome != Nothing) << row.watched;
        if (row.outcome == Nothing) continue;
        EXPECT_EQ(scripts->problem.has_value(), row.outcome == Refused);
        context.processName = row.watched;
        const AlertScripts byOk = prepareAlertScripts(kFields, context, kHoldsLatin1, kLatin1);
        ASSERT_EQ(scripts->files.size(), byOk.files.size());
        for (size_t i = 0; i < byOk.files.size(); ++i)
            EXPECT_EQ(std::pair(scripts->files[i].path, scripts->files[i].bytes),
                      std::pair(byOk.files[i].path, byOk.files[i].bytes));
    }
}

TEST(AlertScripts, PathsTheCodePageCannotCarryGoByTheirShortFormsWhenThoseCarry) {
    MailFields fields = kFields;
    fields.password = L"p";
    fields.home = L"C:\\M\x00e4il";
    const LineContext context{L"w.exe", L"no", L"C:\\W\x00e4tch", L"WATCH1"};
    std::vector<std::pair<std::wstring, bool>> asked;
    const auto shortForms = [&](std::wstring home, std::wstring log) -> ShortPath {
        return [&asked, home, log](const std::wstring& path, bool file) {
            asked.emplace_back(path, file);
            return std::optional(file ? log : home);
        };
    };
    const AlertScripts s = prepareAlertScripts(fields, context, kAsciiOnly, kLatin1,
                                               shortForms(L"C:\\MIL~1", L"C:\\WTCH~1\\L\\W~1.LOG"));
    ASSERT_FALSE(s.problem);
    EXPECT_NE(s.runningLine.find(L"call \"C:\\MIL~1\\SendEmail.exe\""), std::wstring::npos);
    EXPECT_NE(s.stoppedLine.find(L" -l \"C:\\WTCH~1\\L\\W~1.LOG\""), std::wstring::npos);
    EXPECT_EQ(asked, (std::vector<std::pair<std::wstring, bool>>{
                         {L"C:\\M\x00e4il", false},
                         {L"C:\\W\x00e4tch\\LOGS\\WATCH1-SEND-EMAIL.LOG", true}}));
    // No short form, or one that still holds the letter: refused, naming where it is.
    EXPECT_TRUE(prepareAlertScripts(fields, context, kAsciiOnly, kLatin1)
                    .problem->message.starts_with(L"The mailer home folder holds"));
    fields.home = L"C:\\Mail";
    EXPECT_TRUE(prepareAlertScripts(fields, context, kAsciiOnly, kLatin1,
                                    shortForms(L"", L"C:\\W\x00e4tch\\LOGS\\W~1.LOG"))
                    .problem->message.starts_with(L"The program folder holds"));
    asked.clear();
    prepareAlertScripts(kFields, kContext, kHoldsLatin1, kLatin1, shortForms(L"x", L"y"));
    EXPECT_TRUE(asked.empty()) << "paths that carry keep their long forms";
}
