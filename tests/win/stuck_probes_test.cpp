#include <winsock2.h>

#include "platform/command_start.h"
#include "platform/stuck_probes.h"
#include "win_test_support.h"

using namespace kovalt;
using platform::AddressAnswer;
using std::chrono::milliseconds, std::chrono::steady_clock;

namespace {
milliseconds since(steady_clock::time_point start) {
    return std::chrono::duration_cast<milliseconds>(steady_clock::now() - start);
}
int ticks = 0;  // of a thread timer: this thread answered its messages

// A scratch folder, and the stuck helper started there in one of its modes until the test ends.
struct StuckProbes : testing::Test {
    test::ScratchFolder folder;
    platform::StartedProgram helper;
    void start(const std::wstring& args) {
        const std::wstring program = test::helperProgram(L"kovalt_test_stuck.exe");
        ASSERT_TRUE(
            platform::startProgram(L"\"" + program + L"\" " + args, folder.path(), helper).ok());
    }
    ~StuckProbes() override { ::TerminateProcess(helper.process.get(), 0); }
};
}  // namespace

TEST_F(StuckProbes, AFileLeftUnwrittenKeepsItsTimeAndSize) {
    const std::wstring log = folder / L"node.log";
    EXPECT_EQ(platform::lookAtFile(log).state, platform::FileState::Missing);
    EXPECT_EQ(platform::lookAtFile(folder.path()).why, L"it is a folder");
    start(L"log \"" + log + L"\" 1500");
    const auto stamp = [&] {  // a local disk's file is looked at at once, no thread started
        platform::FileSeen f;
        EXPECT_FALSE(
            platform::startFileLook(log, [&](const platform::FileSeen& seen) { f = seen; }));
        return std::pair(f.written, f.size);
    };
    ASSERT_TRUE(test::waitUntil([&] { return stamp().second > 0; }, 10s));
    const auto written = stamp();
    ui::pumpMessages(300ms);
    EXPECT_NE(stamp(), written);
    ui::pumpMessages(1500ms);  // it writes no more, and runs on
    const auto left = stamp();
    ui::pumpMessages(1500ms);
    EXPECT_EQ(stamp(), left);
}

TEST_F(StuckProbes, AConnectionIsAcceptedThenNotAnsweredWithinItsLimitThenRefused) {
    // A loopback listener that never accepts, with the smallest queue: a few connections fill it.
    WSADATA data;
    ASSERT_EQ(::WSAStartup(MAKEWORD(2, 2), &data), 0);
    const SOCKET listener = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in at = {AF_INET, 0, {}};
    at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int size = sizeof(at);
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&at), size), 0);
    ::listen(listener, 1);
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&at), &size);
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR, DWORD) { ++ticks; });
    // What a try said (nothing, when dropped at once), how long it took and the timer's ticks.
    const auto ask = [&](milliseconds limit, bool drop = false) {
        std::optional<AddressAnswer> got;
        const int ticksBefore = ticks;
        const auto start = steady_clock::now();
        auto probe = platform::startConnect(
            L"localhost", ntohs(at.sin_port), [&](const AddressAnswer& a) { got = a; }, limit);
        EXPECT_LT(since(start), 100ms) << "started, not waited for";
        if (drop) {
            probe.reset();
            EXPECT_LT(since(start), 200ms) << "ended at once";
        }
        test::waitUntil([&] { return got.has_value(); }, limit + 2s);
        return std::tuple(!got            ? "nothing"
                          : got->answered ? "answered"
                                          : test::narrow(got->why),
                          since(start), ticks - ticksBefore);
    };
    EXPECT_EQ(std::get<0>(ask(1500ms)), "answered");
    auto late = ask(1500ms);  // once the queue is full, a try is not answered
    for (int i = 0; i < 8 && std::get<0>(late) == "answered"; ++i) late = ask(1500ms);
    const auto& [said, took, ticked] = late;
    EXPECT_EQ(said, "no answer within 1500 ms");
    EXPECT_TRUE(took >= 1400ms && took < 2500ms) << took.count();
    EXPECT_GE(ticked, 10) << "the thread answered its messages meanwhile";
    EXPECT_EQ(std::get<0>(ask(1s, true)), "nothing") << "dropped: never told";
    ::closesocket(listener);
    const auto [refused, tookRefused, _] = ask(3s);
    EXPECT_EQ(refused, "the connection was refused");
    EXPECT_LT(tookRefused, 1500ms);
    ::KillTimer(nullptr, timer);
    ::WSACleanup();
}

TEST_F(StuckProbes, CpuTimeMovesWhileTheProgramWorksAndStaysWhileItSleeps) {
    start(L"cpu 2000");
    const unsigned long id = helper.id, gone = 0xFFFFFFFC;
    const platform::CpuSeen withGone = platform::cpuTimesOf({id, gone});
    EXPECT_EQ(withGone.times.count(id), 1u);
    EXPECT_EQ(withGone.unread, std::vector{gone});
    EXPECT_FALSE(withGone.why.empty());
    const auto cpuAfter = [](unsigned long of, milliseconds wait) {
        ui::pumpMessages(wait);
        return platform::cpuTimesOf({of}).times[of];
    };
    if (cpuAfter(id, 700ms) == cpuAfter(::GetCurrentProcessId(), 0ms))
        GTEST_SKIP() << "this system gives the asking process's own CPU time for another "
                        "process (Wine 8 does): there is nothing to see here";
    const unsigned long long working = cpuAfter(id, 0ms);
    EXPECT_GT(cpuAfter(id, 300ms), working);
    const unsigned long long resting = cpuAfter(id, 2s);
    EXPECT_EQ(cpuAfter(id, 500ms), resting);
}

TEST_F(StuckProbes, AWindowIsFoundNotRespondingOnlyOnceItStopsTakingMessages) {
    start(L"window 6500");
    const std::vector<unsigned long> ids{helper.id};
    ASSERT_TRUE(test::waitUntil([&] { return platform::windowsOf(ids).visible == 1; }, 10s));
    const auto shown = steady_clock::now();
    ui::pumpMessages(5500ms);  // longer than Windows waits before it calls a window hung
    EXPECT_EQ(platform::windowsOf(ids).hung, 0u) << "it takes its messages";
    EXPECT_TRUE(test::waitUntil([&] { return platform::windowsOf(ids).hung == 1; }, 12s));
    std::printf("not responding %lld ms after it stopped taking messages\n",
                static_cast<long long>((since(shown) - 6500ms).count()));
}
