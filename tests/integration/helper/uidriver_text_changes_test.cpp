// The UI driver's record of every text the followed programs set (the hook
// DLL it installs): texts too short-lived for polling, in order, from a
// grandchild too, each once even with two drivers, and nothing from programs
// the driver does not run.
#include <thread>

#include "tests/fixtures/helper/fixture_texts.h"
#include "tests/integration/helper/helper_harness.h"

namespace helpertest {
namespace {

using Texts = std::vector<std::string>;
constexpr int kStatusId = 1017;

class UiDriverTextChanges : public HelperTest {
protected:
    static std::string FixturePath() { return Quoted(testenv::BinDir() + "fixture_texts.exe"); }
    uidriver::Invocation Invocation(const std::string& commandLine, const std::string& log = "driver.log") {
        uidriver::Invocation run;
        run.commandLine = commandLine;
        run.logPath = Path(log);
        run.timeoutMs = 15000;
        run.textChanges = true;
        return run;
    }
    static Texts Joined(const Texts& a, const Texts& b) {
        Texts all = a;
        all.insert(all.end(), b.begin(), b.end());
        return all;
    }
    static std::vector<const uidriver::JsonValue*> SetTexts(const uidriver::RunResult& result, int id) {
        std::vector<const uidriver::JsonValue*> found;
        for (const uidriver::JsonValue* e : result.Events("settext"))
            if (e->Int("id") == id) found.push_back(e);
        return found;
    }
};

TEST_F(UiDriverTextChanges, RecordsEveryTextInOrderFromChildAndGrandchild) {
    const uidriver::RunResult result = uidriver::RunDriver(Invocation(FixturePath()));
    EXPECT_EQ(0u, result.exitCode);
    ASSERT_EQ(1u, result.Events("hook").size());
    EXPECT_TRUE(result.Events("hook")[0]->Bool("ok"));
    EXPECT_EQ(Joined(fixturetexts::FixtureTexts(false), fixturetexts::FixtureTexts(true)),
              result.TextChanges(kStatusId));

    // Each text is credited to the process and window that set it.
    ASSERT_EQ(1u, result.Events("start").size());
    const long long root = result.Events("start")[0]->Int("pid");
    const auto events = SetTexts(result, kStatusId);
    ASSERT_EQ(40u, events.size());
    for (size_t i = 0; i < events.size(); ++i) {
        const bool child = i >= 20;
        EXPECT_EQ(child, events[i]->Int("pid") != root) << i;
        EXPECT_EQ(child ? "Fixture Texts Child" : "Fixture Texts", events[i]->Str("window")) << i;
        EXPECT_EQ("#32770", events[i]->Str("class")) << i;
        EXPECT_NE(0, events[i]->Int("hwnd")) << i;
        if (i > 0) {
            EXPECT_LE(events[i - 1]->Int("t"), events[i]->Int("t")) << i;
        }
    }
    const std::vector<std::string> exes = result.StartedExes();
    EXPECT_EQ(std::vector<std::string>{"fixture_texts.exe"}, exes);
}

TEST_F(UiDriverTextChanges, ReadImpliesItAndItIsOffOtherwise) {
    uidriver::Invocation run = Invocation(FixturePath());
    run.textChanges = false;
    run.reads = {"Fixture Texts:1017"};
    EXPECT_EQ(40u, uidriver::RunDriver(run).TextChanges(kStatusId).size());

    run.reads.clear();
    const uidriver::RunResult plain = uidriver::RunDriver(run);
    EXPECT_EQ(0u, plain.exitCode);
    EXPECT_TRUE(plain.Events("hook").empty());
    EXPECT_TRUE(plain.Events("settext").empty());
}

// A driver that runs a driver: the program carries two copies of the hook,
// and the inner driver's file is the one named in its environment.
TEST_F(UiDriverTextChanges, TwoDriversRecordEachTextOnce) {
    const uidriver::Invocation inner = Invocation(FixturePath(), "inner.log");
    const uidriver::RunResult outer = uidriver::RunDriver(Invocation(uidriver::DriverCommandLine(inner), "outer.log"));
    EXPECT_EQ(0u, outer.exitCode);
    EXPECT_TRUE(outer.TextChanges(kStatusId).empty());

    const uidriver::RunResult innerResult = uidriver::ReadDriverLog(Path("inner.log"));
    EXPECT_EQ(Joined(fixturetexts::FixtureTexts(false), fixturetexts::FixtureTexts(true)),
              innerResult.TextChanges(kStatusId));
}

// The hook is global: a program started outside the driver while it runs
// carries it too, and must run normally and stay out of the record.
TEST_F(UiDriverTextChanges, LeavesProgramsItDoesNotRunAlone) {
    const uidriver::Invocation run =
        Invocation(Quoted(SleeperPath()) + " 4000 " + Quoted(Path("s.record")));
    uidriver::RunResult result;
    std::thread driver([&] { result = uidriver::RunDriver(run); });
    ::Sleep(1000);
    std::string line = FixturePath();
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    const BOOL ok = ::CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started);
    DWORD code = 99;
    if (ok) {
        base::UniqueKernelHandle process(started.hProcess);
        base::UniqueKernelHandle thread(started.hThread);
        EXPECT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(process.get(), 10000));
        ::GetExitCodeProcess(process.get(), &code);
    }
    driver.join();
    ASSERT_TRUE(ok);
    EXPECT_EQ(0u, code);
    ASSERT_EQ(1u, result.Events("hook").size());
    EXPECT_TRUE(result.Events("hook")[0]->Bool("ok"));
    EXPECT_TRUE(result.Events("settext").empty());
}

}  // namespace
}  // namespace helpertest
