#include "tests/integration/helper/helper_harness.h"

#include <sstream>
#include <stdexcept>

#include "crypto/file_sha256.h"

namespace helpertest {

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

std::string SleeperPath() { return testenv::BinDir() + "fixture_sleeper.exe"; }

std::string DigestOf(const std::string& path) {
    crypto::Sha256Digest digest;
    uint64_t size = 0;
    if (!crypto::HashFile(path, digest, size)) throw std::runtime_error("cannot hash " + path);
    return crypto::DigestToHex(digest);
}

base::ProcessHandles StartProcess(const std::string& commandLine) {
    std::string line = commandLine;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!::CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started))
        throw std::runtime_error("cannot start " + commandLine);
    base::ProcessHandles handles;
    handles.process.reset(started.hProcess);
    handles.thread.reset(started.hThread);
    handles.processId = started.dwProcessId;
    return handles;
}

void HelperTest::PlaceSleeper(const std::string& path) const {
    ASSERT_TRUE(::CopyFileA(SleeperPath().c_str(), path.c_str(), FALSE)) << path;
}

std::vector<std::string> HelperTest::Starts(const std::string& path) const {
    std::vector<std::string> lines;
    const std::string record = path + ".record";
    if (!testenv::FileExists(record)) return lines;
    std::istringstream in(testenv::ReadFileBytes(record));
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

uidriver::RunResult HelperTest::RunHelper(const std::string& arguments) {
    uidriver::Invocation run;
    run.commandLine = Quoted(testenv::BinDir() + "UpdateHelper.exe") + (arguments.empty() ? "" : " " + arguments);
    run.logPath = Path("driver.log");
    run.timeoutMs = 20000;
    run.answers = {"UpdateHelper=1"};
    run.waitAll = true;
    uidriver::RunResult result = uidriver::RunDriver(run);
    EXPECT_FALSE(result.TimedOut());
    EXPECT_EQ(0u, result.exitCode) << "the helper's exit code is always 0";
    EXPECT_TRUE(result.UnansweredBoxes().empty());
    for (const uidriver::JsonValue* box : result.Events("box")) EXPECT_EQ("UpdateHelper", box->Str("title"));
    return result;
}

base::ProcessHandles HelperTest::HoldFile(const std::string& path, DWORD ms) {
    const std::string ready = path + ".held";
    base::ProcessHandles holder = StartProcess(Quoted(testenv::BinDir() + "fixture_holdfile.exe") + " " +
                                               Quoted(path) + " " + std::to_string(ms) + " " + Quoted(ready));
    for (int i = 0; i < 200 && !testenv::FileExists(ready); ++i) ::Sleep(25);
    if (!testenv::FileExists(ready)) throw std::runtime_error("the file holder did not start: " + path);
    ::DeleteFileA(ready.c_str());
    return holder;
}

}  // namespace helpertest
