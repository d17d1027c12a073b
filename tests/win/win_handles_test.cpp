#include "win_test_support.h"

using namespace kovalt;

TEST(WinHandles, EachKindKnowsItsEmptyAndKeepsTheLastErrorWhenClosing) {
    test::ScratchFolder folder;
    platform::UniqueFile missing(::CreateFileW((folder / L"none").c_str(), GENERIC_READ, 0, nullptr,
                                               OPEN_EXISTING, 0, nullptr));
    EXPECT_FALSE(missing) << "INVALID_HANDLE_VALUE is a file handle's empty";
    platform::UniqueFile file(::CreateFileW((folder / L"f").c_str(), GENERIC_WRITE, 0, nullptr,
                                            CREATE_ALWAYS, 0, nullptr));
    ASSERT_TRUE(file);
    ::SetLastError(ERROR_ACCESS_DENIED);
    file.reset();  // while a failure is being reported
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    platform::UniqueHandle process(::OpenProcess(SYNCHRONIZE, FALSE, ::GetCurrentProcessId()));
    const HANDLE kept = process.release();
    EXPECT_FALSE(process);
    EXPECT_TRUE(::CloseHandle(kept)) << "released, so still open";
}
