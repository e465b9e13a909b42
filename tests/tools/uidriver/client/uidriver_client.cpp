#include "tests/tools/uidriver/client/uidriver_client.h"

#include <sstream>
#include <stdexcept>

#include "base/unique_handle.h"
#include "tests/support/test_env.h"
#include "tests/tools/uidriver/command_tokens.h"

namespace uidriver {
namespace {

constexpr DWORD kDriverMarginMs = 15000;

void AddOption(std::string& line, const char* name, const std::string& value) {
    line += " ";
    line += name;
    line += " " + QuoteArgument(value);
}

}  // namespace

std::vector<const JsonValue*> RunResult::Events(const std::string& name) const {
    std::vector<const JsonValue*> found;
    for (const JsonValue& e : events)
        if (e.Str("event") == name) found.push_back(&e);
    return found;
}

bool RunResult::TimedOut() const { return !Events("timeout").empty(); }

std::vector<std::string> RunResult::BoxTexts() const {
    std::vector<std::string> texts;
    for (const JsonValue* e : Events("box")) texts.push_back(e->Str("text"));
    return texts;
}

std::vector<std::string> RunResult::UnansweredBoxes() const {
    std::vector<std::string> texts;
    std::string lastBoxText;
    for (const JsonValue& e : events) {
        if (e.Str("event") == "box") lastBoxText = e.Str("text");
        if (e.Str("event") == "answer" && e.Bool("unanswered")) texts.push_back(lastBoxText);
    }
    return texts;
}

std::vector<std::string> RunResult::ControlTexts(int id) const {
    std::vector<std::string> texts;
    for (const JsonValue* e : Events("control"))
        if (e->Int("id") == id) texts.push_back(e->Str("text"));
    return texts;
}

std::vector<std::string> RunResult::TextChanges(int id) const {
    std::vector<std::string> texts;
    for (const JsonValue* e : Events("settext"))
        if (e->Int("id") == id) texts.push_back(e->Str("text"));
    return texts;
}

std::vector<std::string> RunResult::StartedExes() const {
    std::vector<std::string> exes;
    for (const JsonValue* e : Events("process")) exes.push_back(e->Str("exe"));
    return exes;
}

std::string DriverCommandLine(const Invocation& run) {
    const std::string driver = run.driverPath.empty() ? testenv::BinDir() + "uidriver.exe" : run.driverPath;
    std::string line = QuoteArgument(driver);
    AddOption(line, "--log", run.logPath);
    AddOption(line, "--timeout", std::to_string(run.timeoutMs));
    for (const std::string& rule : run.answersOnce) AddOption(line, "--answer-once", rule);
    for (const std::string& rule : run.answers) AddOption(line, "--answer", rule);
    if (!run.defaultButton.empty()) AddOption(line, "--default", run.defaultButton);
    for (const std::string& read : run.reads) AddOption(line, "--read", read);
    for (const auto& [file, when] : run.screenshots) {
        AddOption(line, "--screenshot", file);
        if (!when.empty()) AddOption(line, "--screenshot-when", when);
    }
    if (run.waitAll) line += " --wait-all";
    if (run.textChanges) line += " --text-changes";
    return line + " -- " + run.commandLine;
}

RunResult RunDriver(const Invocation& run) {
    std::string line = DriverCommandLine(run);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!::CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started))
        throw std::runtime_error("cannot start the UI driver: " + line);
    base::UniqueKernelHandle process(started.hProcess);
    base::UniqueKernelHandle thread(started.hThread);
    if (::WaitForSingleObject(process.get(), run.timeoutMs + kDriverMarginMs) != WAIT_OBJECT_0) {
        ::TerminateProcess(process.get(), 1);
        throw std::runtime_error("the UI driver did not end in time: " + line);
    }
    RunResult result = ReadDriverLog(run.logPath);
    ::GetExitCodeProcess(process.get(), &result.exitCode);
    return result;
}

RunResult ReadDriverLog(const std::string& path) {
    RunResult result;
    std::istringstream log(testenv::ReadFileBytes(path));
    for (std::string text; std::getline(log, text);) {
        if (text.empty()) continue;
        JsonValue event;
        if (!ParseJson(text, event)) throw std::runtime_error("bad line in the UI driver's log: " + text);
        result.events.push_back(std::move(event));
    }
    return result;
}

}  // namespace uidriver
