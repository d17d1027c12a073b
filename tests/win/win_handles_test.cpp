#include "win_test_support.h"

using namespace kovalt;

TEST(WinHandles, EachKindKnowsItsEmptyAndKeepsTheLastErrorWhenClosing) {
    EXPECT_FALSE(platform::UniqueFile(INVALID_HANDLE_VALUE)) << "a file handle's empty";
    platform::UniqueFile file(
        ::CreateFileW(L"NUL", GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(file);
    ::SetLastError(ERROR_ACCESS_DENIED);
    file.reset();  // while a failure is being reported
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    platform::UniqueHandle process(::OpenProcess(SYNCHRONIZE, FALSE, ::GetCurrentProcessId()));
    const HANDLE kept = process.release();
    EXPECT_FALSE(process);
    EXPECT_TRUE(::CloseHandle(kept)) << "released, so still open";
}
