#include <gtest/gtest.h>

#include <set>

#include "platform/program_identity.h"

using kovalt::platform::identityFromPath;
using kovalt::platform::instanceLockName;

TEST(ProgramIdentity, FolderAndInstanceNameComeFromTheExecutablePath) {
    const std::tuple<const wchar_t*, const wchar_t*, const wchar_t*> rows[] = {
        {L"C:\\TALVERO-ROOT\\KOV-ALT\\WATCH1.exe", L"C:\\TALVERO-ROOT\\KOV-ALT", L"WATCH1"},
        {L"D:\\WALLET-WATCH.exe", L"D:\\", L"WALLET-WATCH"},  // a drive root keeps its backslash
        {L"C:\\Program Files\\my.watch.v2.EXE", L"C:\\Program Files", L"my.watch.v2"},
        {L"\\\\server\\share\\.hidden", L"\\\\server\\share", L".hidden"},
        {L"C:/tools/w.exe", L"C:/tools", L"w"}};
    for (auto [path, folder, instance] : rows) {
        const auto id = identityFromPath(path);
        EXPECT_EQ(id.folder, folder) << path;
        EXPECT_EQ(id.instanceName, instance) << path;
    }
}

TEST(ProgramIdentity, EachInstanceNameHoldsALockOfItsOwnThatWindowsAccepts) {
    const std::wstring longName(300, L'W');
    // Names that differ only where the readable part drops or cuts must still differ.
    const std::wstring names[] = {L"WATCH1",  L"WATCH2", L"A\\B",         L"A/B",          L"A_B",
                                  L"A\u00c9", L"",       longName + L"1", longName + L"2", L"A_"};
    std::set<std::wstring> locks;
    for (const std::wstring& name : names)
        EXPECT_TRUE(locks.insert(instanceLockName(name)).second) << "shared with another: " << name;
    // The reader's part keeps letters, digits and "-_." only, so no other backslash makes a
    // namespace; then the whole name's 64-bit hash, all well under MAX_PATH.
    const std::wstring lock = instanceLockName(L"@AZaz09-_.[`{/:\\~ " + longName);
    EXPECT_EQ(lock.substr(0, 32), L"Local\\KOVALT-_AZaz09-_.________W");
    EXPECT_EQ(lock.size(), 13 + 64 + 1 + 16u);
    EXPECT_EQ(lock.find_first_not_of(L"0123456789ABCDEF", 13 + 64 + 1), std::wstring::npos);
}
