#include <gtest/gtest.h>

#include "platform/command_start.h"
#include "win_test_support.h"

using namespace kovalt;
using test::fileExists;

using test::narrow;

TEST(CommandStart, RunsABatchFileHiddenFromAFolderWithBlanksWithoutWaiting) {
    test::ScratchFolder root(L"kovalt R&D folder");
    const std::wstring bats = root / L"BATS";
    test::makeFolder(bats);
    const std::wstring go = root / L"go.txt", marker = root / L"marker.txt";
    // The script waits for a file the test makes only after the start returned.
    test::writeFile(bats + L"\\WATCH1-PROCESS-STOPPED-EMAIL.bat",
                    ":wait\r\nif not exist \"" + narrow(go) + "\" goto wait\r\n" +
                        "echo alert> \"" + narrow(marker) + "\"\r\n");
    auto result = platform::startBatchHidden(bats + L"\\WATCH1-PROCESS-STOPPED-EMAIL.bat");
    ASSERT_TRUE(result.started) << narrow(result.reason);
    EXPECT_FALSE(fileExists(marker));
    test::writeFile(go, "go");
    ASSERT_TRUE(test::waitUntil([&] { return fileExists(marker); }));
    test::waitUntil([&] { return test::readFile(marker).find("alert") != std::string::npos; });
    EXPECT_EQ(test::readFile(marker), "alert\r\n");
}

TEST(CommandStart, OnlyTheQuotedScriptCanStart) {
    // Unquoted, "<root>\a b\BATS\s.bat" would start "<root>\a.bat" (or a.exe).
    test::ScratchFolder root;
    test::makeFolder(root / L"a b");
    test::makeFolder(root / L"a b\\BATS");
    const std::wstring right = root / L"right.txt", wrong = root / L"wrong.txt";
    test::writeFile(root / L"a.bat", "echo wrong> \"" + narrow(wrong) + "\"\r\n");
    test::writeFile(root / L"a b\\BATS\\s.bat", "echo right> \"" + narrow(right) + "\"\r\n");
    ASSERT_TRUE(platform::startBatchHidden(root / L"a b\\BATS\\s.bat").started);
    ASSERT_TRUE(test::waitUntil([&] { return fileExists(right); }));
    EXPECT_FALSE(fileExists(wrong));
}

TEST(CommandStart, AMissingScriptIsReportedWithTheSystemsReason) {
    test::ScratchFolder root;
    auto missingFolder = platform::startBatchHidden(root / L"BATS\\W-PROCESS-STOPPED-EMAIL.bat");
    EXPECT_FALSE(missingFolder.started);
    EXPECT_FALSE(missingFolder.reason.empty());
    test::makeFolder(root / L"BATS");
    auto missingFile = platform::startBatchHidden(root / L"BATS\\W-PROCESS-STOPPED-EMAIL.bat");
    EXPECT_FALSE(missingFile.started);
    EXPECT_NE(missingFile.reason.find(L"0x00000002"), std::wstring::npos)
        << narrow(missingFile.reason);
    auto folderNotFile = platform::startBatchHidden(root / L"BATS");
    EXPECT_FALSE(folderNotFile.started);
}

TEST(CommandStart, PathsCmdWouldReadOtherwiseAreRefusedWithAReason) {
    // "%OS%" is defined on every system; expanded, the path would name another folder.
    test::ScratchFolder root(L"kovalt 100%OS% sure");
    test::makeFolder(root / L"BATS");
    test::writeFile(root / L"BATS\\s.bat", "echo ran> \"%~dp0ran.txt\"\r\n");
    auto result = platform::startBatchHidden(root / L"BATS\\s.bat");
    EXPECT_FALSE(result.started);
    EXPECT_NE(result.reason.find(L"percent sign"), std::wstring::npos);
    // Characters special to cmd outside quotes are plain inside them.
    test::ScratchFolder special(L"kovalt (x86) a^b!c;d,e=f");
    test::makeFolder(special / L"BATS");
    test::writeFile(special / L"BATS\\s.bat", "echo ran> \"%~dp0ran.txt\"\r\n");
    ASSERT_TRUE(platform::startBatchHidden(special / L"BATS\\s.bat").started);
    EXPECT_TRUE(test::waitUntil([&] { return fileExists(special / L"BATS\\ran.txt"); }));
}
