#include "tests/server/update_server_client.h"

#include <windows.h>

#include <cstdlib>
#include <algorithm>
#include <map>
#include <set>
#include <sstream>
#include <stdexcept>

#include "tests/server/json_line.h"
#include "tests/support/test_env.h"

namespace testserver {
namespace {

std::string BenchDir() {
    const char* value = std::getenv("ARKENFEL_BENCH_DIR");
    if (!value || !*value) throw std::runtime_error("test environment lacks ARKENFEL_BENCH_DIR");
    return testenv::UnixToWindowsPath(value) + "\\";
}

std::string ForwardSlashes(std::string path) {
    for (char& c : path)
        if (c == '\\') c = '/';
    return path;
}

std::string BackSlashes(std::string path) {
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

// Creates the folders of `path` below an existing root.
void MakeParentFolders(const std::string& path) {
    for (size_t slash = path.find('\\', 3); slash != std::string::npos; slash = path.find('\\', slash + 1))
        ::CreateDirectoryA(path.substr(0, slash).c_str(), nullptr);
}

LoggedRequest ToRequest(const std::map<std::string, std::string>& f) {
    auto text = [&](const char* name) {
        auto it = f.find(name);
        return it == f.end() ? std::string() : it->second;
    };
    LoggedRequest r;
    r.file = text("file");
    r.kind = text("kind");
    r.range = text("range");
    r.headers = text("headers");
    r.status = std::atoi(text("status").c_str());
    r.bytes = std::strtoull(text("bytes").c_str(), nullptr, 10);
    r.attempt = std::atoi(text("attempt").c_str());
    r.fault = text("fault");
    r.seq = std::atoll(text("seq").c_str());
    return r;
}

}  // namespace

namespace {
int PortFrom(const std::string& name) {
    const std::string portFile = BenchDir() + name;
    if (!testenv::FileExists(portFile))
        throw std::runtime_error("the test update server is not running (no " + portFile + ")");
    return std::atoi(testenv::ReadFileBytes(portFile).c_str());
}
}  // namespace

int ServerPort() { return PortFrom("server.port"); }
int UntrustedServerPort() { return PortFrom("server.untrusted.port"); }
int UserRootServerPort() { return PortFrom("server.userroot.port"); }

TestSite::TestSite(const std::string& name) {
    static int sites = 0;
    stateDir_ = BenchDir() + "server\\";
    port_ = ServerPort();
    untrustedPort_ = UntrustedServerPort();
    userRootPort_ = UserRootServerPort();
    folder_ = name + "_" + std::to_string(::GetCurrentProcessId()) + "_" + std::to_string(++sites);
    const std::string root = stateDir_ + "root\\" + folder_;
    testenv::RemoveTree(root);
    if (!::CreateDirectoryA(root.c_str(), nullptr)) throw std::runtime_error("cannot create " + root);
    SetFaults({});
}

TestSite::~TestSite() {
    testenv::RemoveTree(stateDir_ + "root\\" + folder_);
    ::RemoveDirectoryA((stateDir_ + "root\\" + folder_).c_str());
    ::DeleteFileA((stateDir_ + "control\\" + folder_ + ".json").c_str());
}

std::string TestSite::BaseUrl() const {
    return "https://localhost:" + std::to_string(port_) + "/fs_c_get.php?fn=" + folder_;
}

std::string TestSite::Url(const std::string& file) const { return BaseUrl() + "/" + ForwardSlashes(file); }

std::string TestSite::UntrustedUrl(const std::string& file) const {
    return "https://localhost:" + std::to_string(untrustedPort_) + "/fs_c_get.php?fn=" + folder_ + "/" +
           ForwardSlashes(file);
}

std::string TestSite::UserRootUrl(const std::string& file) const {
    return "https://localhost:" + std::to_string(userRootPort_) + "/fs_c_get.php?fn=" + folder_ + "/" +
           ForwardSlashes(file);
}

std::string TestSite::ServedPath(const std::string& file) const {
    return stateDir_ + "root\\" + folder_ + "\\" + BackSlashes(file);
}

void TestSite::PutFile(const std::string& file, const std::string& bytes) const {
    const std::string path = ServedPath(file);
    MakeParentFolders(path);
    testenv::WriteFileBytes(path, bytes);
}

void TestSite::SetFaults(const std::vector<Fault>& faults) {
    // The generation makes every plan text new, so the counters restart even
    // when the same rules are set again.
    static unsigned generation = 0;
    std::ostringstream plan;
    plan << "{\"generation\": " << ++generation << ", \"rules\": [";
    for (size_t i = 0; i < faults.size(); ++i) {
        const Fault& f = faults[i];
        plan << (i ? ", " : "") << "{\"file\": " << JsonQuote(ForwardSlashes(f.file))
             << ", \"fault\": " << JsonQuote(f.fault);
        if (!f.kind.empty()) plan << ", \"kind\": " << JsonQuote(f.kind);
        if (!f.nth.empty()) {
            plan << ", \"nth\": [";
            for (size_t n = 0; n < f.nth.size(); ++n) plan << (n ? ", " : "") << f.nth[n];
            plan << "]";
        }
        if (f.arg >= 0) {
            const char* name = f.fault == "drop" || f.fault == "trickle" ? "after"
                               : f.fault == "status"                     ? "code"
                               : f.fault == "stall"                      ? "seconds"
                               : f.fault == "length"                     ? "send"
                                                                         : "by";
            plan << ", \"" << name << "\": " << f.arg;
        }
        if (!f.value.empty()) plan << ", \"value\": " << JsonQuote(f.value);
        plan << "}";
    }
    plan << "]}";
    const std::string path = stateDir_ + "control\\" + folder_ + ".json";
    const std::string temporary = path + ".tmp";
    testenv::WriteFileBytes(temporary, plan.str());
    if (!::MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING))
        throw std::runtime_error("cannot write the fault plan " + path);
    // Requests are logged when they end; every request of this test has
    // ended by the time the test changes the plan.
    const std::vector<LoggedRequest> earlier = Requests();
    if (!earlier.empty()) phaseStart_ = earlier.back().seq;
}

std::vector<LoggedRequest> TestSite::Requests() const {
    // A request is logged twice: when it begins and when it has ended. Wait
    // (bounded) until every begun request of this site has ended.
    for (int tries = 0;; ++tries) {
        std::vector<LoggedRequest> ended;
        std::set<long long> open;
        std::istringstream log(testenv::ReadFileBytes(stateDir_ + "requests.log"));
        std::string line;
        while (std::getline(log, line)) {
            std::map<std::string, std::string> fields;
            if (!ParseJsonLine(line, fields) || fields["folder"] != folder_) continue;
            const long long seq = std::atoll(fields["seq"].c_str());
            if (seq <= phaseStart_) continue;
            if (fields["event"] == "begin") {
                open.insert(seq);
                continue;
            }
            open.erase(seq);
            ended.push_back(ToRequest(fields));
        }
        if (open.empty() || tries == 250) {
            std::sort(ended.begin(), ended.end(),
                      [](const LoggedRequest& a, const LoggedRequest& b) { return a.seq < b.seq; });
            return ended;
        }
        ::Sleep(20);
    }
}

std::vector<LoggedRequest> TestSite::Requests(const std::string& file, const std::string& kind) const {
    std::vector<LoggedRequest> out;
    for (LoggedRequest& r : Requests())
        if (r.file == ForwardSlashes(file) && (kind.empty() || r.kind == kind)) out.push_back(std::move(r));
    return out;
}

}  // namespace testserver
