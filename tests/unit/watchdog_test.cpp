#include <gtest/gtest.h>

#include <map>

#include "monitor/watchdog.h"

using namespace kovalt;
using namespace kovalt::monitor;

namespace {
// A road whose tries end as the test says: sent at the next look, unless held or refused.
struct FakeRoad final : AlertRoad {
    std::vector<AlertKind> started;
    bool running = false, hold = false, refused = false;
    std::optional<Seconds> onItsWayFor;  // a try from before, still running so long
    std::optional<TryOutcome> judged;    // or how it ended
    std::wstring name() const override { return {}; }
    std::optional<std::wstring> start(const AlertToSend& alert) override {
        started.push_back(alert.kind);
        running = true;
        return std::nullopt;
    }
    std::optional<TryOutcome> outcome() override {
        if (!running || hold) return std::nullopt;
        running = false;
        return TryOutcome{!refused, refused ? L"refused" : L""};
    }
    TryOutcome end(Seconds) override { return {running = false, L"late"}; }
    void letGo() override { running = false; }
    std::optional<TryOnItsWay> onItsWay() const override { return TryOnItsWay{7, 8, 9}; }
    std::optional<Seconds> takeUp(const TryOnItsWay& was, std::optional<TryOutcome>& j) override {
        EXPECT_EQ(was, (TryOnItsWay{7, 8, 9}));
        j = judged;
        running = onItsWayFor.has_value();
        return onItsWayFor;
    }
};

struct FakeHold final : ProcessHold {
    bool held = false;
    void hold(const std::wstring&, const std::vector<unsigned long>& ids) override {
        held = !ids.empty();
    }
    bool allStillHeld(const std::wstring&) const override { return held; }
    bool allEnded() const override { return false; }
    void release() override { held = false; }
};

struct WatchdogTest : testing::Test {
    settings::MemoryStore store;
    settings::InstanceSettings section{store, L"WATCH1"};
    InstanceState state{L"", L"node.exe", L"", L""};
    Seconds clock = 1000;
    bool up = false;  // whether the watched program runs
    std::function<void()> duringCheck;
    std::vector<std::wstring> restarts;
    std::map<std::wstring, std::string> files;
    std::vector<std::wstring> pings;
    std::function<void(bool, const std::wstring&)> pinged;
    FakeHold held;
    FakeRoad email;
    std::unique_ptr<Watchdog> dog;

    Watchdog& start(
        std::initializer_list<std::pair<const settings::SettingKey*, const wchar_t*>> values = {}) {
        for (const auto& [key, value] : values) section.save(*key, value);
        WatchdogServices s{
            [this] { return clock; },
            [](Seconds t) { return L"t" + std::to_wstring(t); },
            [](const platform::Result& r) { return r.what; },
            [this] { return section; },
            [this](const std::wstring&, bool withIds) {
                if (duringCheck) std::exchange(duringCheck, nullptr)();
                CheckAnswer a{up ? ProbeOutcome::Found : ProbeOutcome::NotFound};
                if (withIds) a.ids = std::vector<unsigned long>(up ? 1 : 0, 42);
                return a;
            },
            &held,
            [this](const std::wstring& command, const std::wstring&) {
                restarts.push_back(command);
                up = true;
                return std::optional<std::wstring>();
            },
            [](const std::wstring&) { return std::make_shared<int>(0); },
            [this] { return 1765000000.0 + clock; },
            L"9.9",
            [this](const std::wstring& path, const std::string& bytes) {
                files[path] = bytes;
                return platform::Result{};
            },
            [this](const std::wstring& path) { files.erase(path); },
            nullptr,
            nullptr,
            nullptr,
            nullptr,
            nullptr,
            [this](const std::wstring& url, std::function<void(bool, const std::wstring&)> done) {
                pings.push_back(url);
                pinged = std::move(done);
                return std::make_shared<int>(0);
            },
            [](const std::wstring& stored) {  // "DPAPI:" as if kept for another user
                return stored.starts_with(L"DPAPI:") ? std::nullopt : std::optional(stored);
            },
            [](const PushConfig&) {}};
        dog = std::make_unique<Watchdog>(s, state);
        dog->addRoad(email, settings::keys::OWED_ALERT);
        dog->load(false);
        return *dog;
    }
    void tick() {
        dog->monitorTick(dog->runningTimerOn() ? MonitorTimer::Running : MonitorTimer::Stopped);
        dog->alertTick();
    }
    std::wstring tooltip() const { return dog->shown().tooltip; }
};
namespace keys = settings::keys;
constexpr auto kStopped = AlertKind::Stopped, kRunning = AlertKind::Running;
}  // namespace

TEST_F(WatchdogTest, ATickNeverRunsInsideAnotherSoAChangeIsAlertedOnce) {
    start({{&keys::ENABLED_TICKBOX, L"1"}});
    // A check that waits inside COM may let the next timer's tick in.
    duringCheck = [this] { dog->monitorTick(MonitorTimer::Running); };
    tick();
    tick();
    EXPECT_EQ(email.started, std::vector{kStopped});
}

TEST_F(WatchdogTest, WithMonitoringOffWhatIsOwedIsDroppedAndNothingSent) {
    start({{&keys::OWED_ALERT, L"STOPPED 0 RUNNING"}});
    tick();
    EXPECT_TRUE(email.started.empty());
    EXPECT_EQ(section.text(keys::OWED_ALERT), L"NONE 0 RUNNING ABOUT node.exe")
        << "what the last e-mail told stays";
}

TEST_F(WatchdogTest, TickedAgainWhileOnTheStopIsMailedAgainButTheRestartsGoOnCounting) {
    start({{&keys::ENABLED_TICKBOX, L"1"},
           {&keys::RESTART_TICKBOX, L"1"},
           {&keys::RESTART_COMMAND_TEXTBOX, L"node.exe"}});
    tick();  // away: its alert, and the first restart
    EXPECT_EQ(restarts.size(), 1u);
    up = false;
    dog->startMonitoring();  // the settings window opened: one more stop is mailed
    for (int i = 0; i < 2; ++i, ++clock) tick();
    EXPECT_EQ(email.started, (std::vector{kStopped, kStopped}));
    EXPECT_NE(tooltip().find(L"(2 of 5)"), std::wstring::npos) << "no fresh count";
}

TEST_F(WatchdogTest, ATryFromBeforeTheCloseIsTakenUpOrJudgedFromWhatItLeft) {
    const wchar_t* owed = L"STOPPED 0 RUNNING TRY 7 8 9 ABOUT node.exe";
    email.onItsWayFor = 10;  // its mailer still runs: it goes on, and nothing starts anew
    start({{&keys::ENABLED_TICKBOX, L"1"}, {&keys::OWED_ALERT, owed}});
    EXPECT_TRUE(email.started.empty());
    dog->alertTick();
    EXPECT_EQ(section.text(keys::OWED_ALERT), L"NONE 0 STOPPED ABOUT node.exe");
    tick();
    EXPECT_TRUE(email.started.empty()) << "still stopped: that one STOPPED e-mail";
    for (const std::optional<TryOutcome>& judged :
         {std::optional<TryOutcome>{{true, {}}}, std::optional<TryOutcome>()}) {
        email = FakeRoad{};
        email.judged = judged;  // ended while closed: sent, or not known to be
        start({{&keys::OWED_ALERT, owed}});
        EXPECT_EQ(email.started.size(), judged ? 0u : 1u);
    }
}

TEST_F(WatchdogTest, WatchingAnotherProgramDropsWhatIsOwedAboutTheOneBefore) {
    email.refused = true;
    start({{&keys::ENABLED_TICKBOX, L"1"}});
    tick();
    email.refused = false;
    up = true;
    dog->startMonitoring();
    const std::wstring said = dog->watchName(L"bee.exe");
    EXPECT_NE(said.find(L"dropped: another program than node.exe is watched"), std::wstring::npos);
    tick();
    EXPECT_EQ(email.started, std::vector{kStopped}) << "nothing more about node.exe";
    // What the owed record names is checked at the next start.
    start({{&keys::OWED_ALERT, L"STOPPED 0 RUNNING ABOUT node.exe"}});
    EXPECT_EQ(email.started, std::vector{kStopped}) << "not sent under bee.exe";
}

TEST_F(WatchdogTest, TheMetricsFileFollowsEveryChangeAndSaysOffWhenAPersonChoseIt) {
    start({{&keys::ENABLED_TICKBOX, L"1"}, {&keys::METRICS_FOLDER_TEXTBOX, L"C:\\m"}});
    const std::wstring file = L"C:\\m\\kovalt_WATCH1.prom";
    const auto says = [&](const char* state) {
        return files[file].find(std::string("state=\"") + state + "\"} 1") != std::string::npos;
    };
    EXPECT_TRUE(says("no_check")) << "watching, not yet checked";
    up = true;
    tick();
    EXPECT_TRUE(says("running"));
    files.clear();
    for (int i = 0; i < 14; ++i, ++clock) tick();
    EXPECT_TRUE(files.empty()) << "nothing changed but the time of the last check";
    ++clock;
    tick();
    EXPECT_TRUE(says("running")) << "rewritten every 15 s all the same";
    dog->stopMonitoring();
    EXPECT_TRUE(says("off"));
    dog->startMonitoring();
    up = false;
    tick();
    EXPECT_TRUE(says("stopped"));
    EXPECT_NE(files[file].find("road=\"email\",result=\"sent\"} 1\n"), std::string::npos)
        << "the STOPPED e-mail sent is counted";
    dog->close();
    EXPECT_TRUE(says("off")) << "closed by hand";
    dog->setMetricsFolder(L"");
    EXPECT_TRUE(files.empty()) << "the folder cleared, the file goes";
}

TEST_F(WatchdogTest, TheHeartbeatWaitsForTheFirstCheckTellsAStopAtOnceAndShowsItsLastPing) {
    start({{&keys::ENABLED_TICKBOX, L"1"},
           {&keys::HEARTBEAT_URL_TEXTBOX, L"http://h/p"},
           {&keys::HEARTBEAT_SECONDS, L"60"}});
    dog->alertTick();
    clock += 120;  // a first check that waits for a program starting with Windows
    dog->alertTick();
    EXPECT_TRUE(pings.empty()) << "nothing checked, nothing to tell";
    up = true;
    tick();
    EXPECT_EQ(pings, std::vector<std::wstring>{L"http://h/p"});
    pinged(false, L"refused");
    EXPECT_NE(tooltip().find(L"\r\nheartbeat failed t1120: refused"), std::wstring::npos);
    up = false;
    dog->monitorTick(MonitorTimer::Running);
    EXPECT_EQ(pings.back(), L"http://h/p/fail") << "told at once";
    section.save(keys::HEARTBEAT_URL_TEXTBOX, L"DPAPI:AQAAANCM");
    dog->reloadRoads();
    EXPECT_NE(tooltip().find(L"heartbeat off: its stored URL could not be read"),
              std::wstring::npos);
}

TEST_F(WatchdogTest, RestartWhenStuckSaysItWaitsWhileRestartWhenStoppedIsOff) {
    start({{&keys::STUCK_WINDOW_TICKBOX, L"1"}, {&keys::RESTART_STUCK_TICKBOX, L"1"}});
    EXPECT_NE(tooltip().find(L"\r\nRestart when stuck waits for Restart when stopped to be on"),
              std::wstring::npos);
}
