// Helpers shared by the installation tests: bounded waits for files that
// other processes write, and registry keys that exist for one test.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "base/run_report.h"
#include "install/file_gate.h"

namespace installtest {

// Polls until the file exists; false after `timeoutMs`.
bool WaitForFile(const std::string& path, DWORD timeoutMs = 10000);
// Number of CR LF lines a fixture recorded into `path` (0 when absent).
int CountRecordedLines(const std::string& path);
// Polls until the file holds at least `count` lines; false after `timeoutMs`.
bool WaitForLines(const std::string& path, int count, DWORD timeoutMs = 10000);

// A key created (with its parents) for the span of a test and deleted with
// everything below it afterwards.
class TempRegistryKey {
public:
    TempRegistryKey(HKEY root, const std::string& path);
    ~TempRegistryKey();
    TempRegistryKey(const TempRegistryKey&) = delete;
    TempRegistryKey& operator=(const TempRegistryKey&) = delete;
    HKEY get() const { return key_; }
    void SetString(const std::string& name, const std::string& value);
    void SetDword(const std::string& name, DWORD value);
    // The value's text, or "<missing>".
    std::string GetString(const std::string& name) const;

private:
    HKEY root_;
    std::string path_;
    HKEY key_ = nullptr;
};

void DeleteRegistryTree(HKEY root, const std::string& path);

}  // namespace installtest

namespace installtest {
// ASCII letters in lower case (for names whose case the system chooses).
std::string ToLower(std::string text);
}  // namespace installtest

namespace installtest {
// Records every registration report that carries `expected`, as
// current * 100 + count at the moment it was reported.
struct RegisterRecorder : base::RunReport {
    void Registered(RegisterProgress& progress) override {
        if (&progress == expected) seen.push_back(progress.current * 100 + progress.count);
    }

    RegisterProgress* expected = nullptr;
    std::vector<int32_t> seen;
};
}  // namespace installtest

namespace installtest {
// A gate that refuses everything, as a signed build does with a file no
// verified release put in the install folder, and notes what it was asked.
class RefusingGate : public install::FileGate {
public:
    install::GateResult Admit(const std::string& path, base::UniqueFile&) const override {
        asked.push_back(path);
        return install::GateResult::kRefused;
    }
    install::GateResult ReadInstructions(const std::string&, std::string&) const override {
        return install::GateResult::kRefused;
    }
    mutable std::vector<std::string> asked;
};
}  // namespace installtest
