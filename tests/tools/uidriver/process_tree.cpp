#include "tests/tools/uidriver/process_tree.h"

#include <tlhelp32.h>

#include <algorithm>
#include <cstring>

namespace uidriver {
namespace {

// 0 when unknown. Wine may report success without filling the times in for
// a process that is still starting, so a time in the future is unknown too.
ULONGLONG CreationTime(HANDLE process) {
    FILETIME created{}, exited{}, kernel{}, user{};
    if (!process || !::GetProcessTimes(process, &created, &exited, &kernel, &user)) return 0;
    const ULONGLONG value = (static_cast<ULONGLONG>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
    FILETIME now;
    ::GetSystemTimeAsFileTime(&now);
    return value > ((static_cast<ULONGLONG>(now.dwHighDateTime) << 32) | now.dwLowDateTime) ? 0 : value;
}

// The snapshot may not list a process yet in its first moments.
std::string ImageName(HANDLE process) {
    using QueryImageName = BOOL(WINAPI*)(HANDLE, DWORD, LPSTR, PDWORD);
    static const auto query = reinterpret_cast<QueryImageName>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "QueryFullProcessImageNameA")));
    char path[MAX_PATH] = {};
    DWORD size = MAX_PATH;
    if (!process || !query || !query(process, 0, path, &size)) return std::string();
    const char* slash = std::strrchr(path, '\\');
    return slash ? slash + 1 : path;
}

// Processes the system starts on a program's behalf (Wine's desktop and
// service hosts start on demand as children of the first program that needs
// them). They serve every program of the prefix: never followed, never killed.
bool IsSystemProcess(const std::string& exe) {
    static const char* const kNames[] = {"explorer.exe", "services.exe", "winedevice.exe", "plugplay.exe",
                                         "svchost.exe",  "rpcss.exe",    "conhost.exe",    "wineboot.exe"};
    for (const char* name : kNames)
        if (::lstrcmpiA(exe.c_str(), name) == 0) return true;
    return false;
}

// A job message may come before the process has a name; it is asked again
// for about a second before it is taken in without one.
constexpr int kNamingPolls = 20;

HANDLE OpenTracked(DWORD pid) {
    return ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
}

}  // namespace

std::vector<ProcessTree::SnapshotEntry> ProcessTree::TakeSnapshot() const {
    std::vector<SnapshotEntry> entries;
    base::UniqueFile snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return entries;
    PROCESSENTRY32 entry;
    entry.dwSize = sizeof entry;
    for (BOOL ok = ::Process32First(snapshot.get(), &entry); ok; ok = ::Process32Next(snapshot.get(), &entry))
        entries.push_back({entry.th32ProcessID, entry.th32ParentProcessID, entry.szExeFile});
    return entries;
}

std::vector<DWORD> ProcessTree::JobMembers() const {
    std::vector<DWORD> pids;
    if (!job_) return pids;
    // The job's messages name every process that joined, even one that has
    // already ended again; the member list holds the ones still running.
    DWORD message = 0;
    ULONG_PTR key = 0;
    LPOVERLAPPED value = nullptr;
    while (jobPort_ && ::GetQueuedCompletionStatus(jobPort_.get(), &message, &key, &value, 0)) {
        if (message == JOB_OBJECT_MSG_NEW_PROCESS)
            pids.push_back(static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(value)));
    }
    struct {
        JOBOBJECT_BASIC_PROCESS_ID_LIST list;
        ULONG_PTR more[255];
    } info{};
    if (!::QueryInformationJobObject(job_.get(), JobObjectBasicProcessIdList, &info, sizeof info, nullptr))
        return pids;
    for (DWORD i = 0; i < info.list.NumberOfProcessIdsInList && i < 256; ++i)
        pids.push_back(static_cast<DWORD>(info.list.ProcessIdList[i]));
    return pids;
}

bool ProcessTree::Start(const std::string& commandLine, DWORD& error) {
    for (const SnapshotEntry& e : TakeSnapshot()) baseline_.insert(e.pid);
    FILETIME now;
    ::GetSystemTimeAsFileTime(&now);
    startTime_ = (static_cast<ULONGLONG>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    job_.reset(::CreateJobObjectA(nullptr, nullptr));
    jobPort_.reset(::CreateIoCompletionPort(INVALID_HANDLE_VALUE, nullptr, 0, 1));
    JOBOBJECT_ASSOCIATE_COMPLETION_PORT port{};
    port.CompletionKey = job_.get();
    port.CompletionPort = jobPort_.get();
    if (!job_ || !jobPort_ ||
        !::SetInformationJobObject(job_.get(), JobObjectAssociateCompletionPortInformation, &port, sizeof port))
        jobPort_.reset();

    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    std::string mutableLine = commandLine;
    if (!::CreateProcessA(nullptr, &mutableLine[0], nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr,
                          &startup, &started)) {
        error = ::GetLastError();
        return false;
    }
    base::UniqueKernelHandle thread(started.hThread);
    // Children inherit the job, so even short-lived links of a chain are seen.
    if (job_ && !::AssignProcessToJobObject(job_.get(), started.hProcess)) job_.reset();
    Tracked root;
    root.pid = started.dwProcessId;
    root.parent = ::GetCurrentProcessId();
    root.handle.reset(started.hProcess);
    root.created = CreationTime(started.hProcess);
    tracked_.push_back(std::move(root));
    ::ResumeThread(thread.get());
    log_.Write(JsonLine("start").Number("pid", started.dwProcessId).Text("cmd", commandLine).Bool("job", job_.valid()));
    return true;
}

const ProcessTree::Tracked* ProcessTree::FindAny(DWORD pid) const {
    const Tracked* found = nullptr;
    for (const Tracked& t : tracked_)
        if (t.pid == pid && (!found || !t.ended)) found = &t;
    return found;
}

bool ProcessTree::IsLive(DWORD pid) const {
    const Tracked* t = FindAny(pid);
    return t && !t->ended;
}

// Wine hands out freed process ids again at once, so an id seen before the
// start belongs to a new process when that process was created after the start.
bool ProcessTree::IsBaseline(DWORD pid, ULONGLONG created) const {
    if (!baseline_.count(pid)) return false;
    if (created == 0) {
        base::UniqueKernelHandle process(OpenTracked(pid));
        created = CreationTime(process.get());
    }
    return created == 0 || created < startTime_;
}

bool ProcessTree::AllEnded() const {
    return pending_.empty() && std::all_of(tracked_.begin(), tracked_.end(), [](const Tracked& t) { return t.ended; });
}

bool ProcessTree::Adopt(DWORD pid, DWORD parent, const std::string& exe, const char* via) {
    if (IsLive(pid) || IsSystemProcess(exe)) return false;
    const Tracked* known = FindAny(pid);
    Tracked entry;
    entry.pid = pid;
    entry.parent = parent;
    entry.exe = exe;
    entry.handle.reset(OpenTracked(pid));
    entry.created = CreationTime(entry.handle.get());
    if (IsBaseline(pid, entry.created)) return false;
    if (entry.exe.empty()) entry.exe = ImageName(entry.handle.get());
    DWORD code = 0;
    const bool alive = entry.handle && ::GetExitCodeProcess(entry.handle.get(), &code) && code == STILL_ACTIVE;
    // A known id that is not running is the ended process itself, not a new one.
    if (known && !alive) return false;
    // A parent id can be reused; a real child never predates its parent.
    const Tracked* parentEntry = FindAny(parent);
    if (parentEntry && entry.created && parentEntry->created && entry.created < parentEntry->created)
        return false;
    log_.Write(JsonLine("process").Number("pid", pid).Number("parent", parent).Text("exe", entry.exe).Text("via", via));
    tracked_.push_back(std::move(entry));
    return true;
}

void ProcessTree::NoteEnded(Tracked& entry) {
    if (entry.ended || !entry.handle || ::WaitForSingleObject(entry.handle.get(), 0) != WAIT_OBJECT_0) return;
    ::GetExitCodeProcess(entry.handle.get(), &entry.exitCode);
    if (entry.exe.empty()) entry.exe = ImageName(entry.handle.get());
    entry.ended = true;
    log_.Write(JsonLine("exit").Number("pid", entry.pid).Text("exe", entry.exe).Number("code", entry.exitCode));
}

void ProcessTree::Poll() {
    // Ends first, then the snapshot: a process seen ended here had started
    // all its children before the snapshot, so none slips through.
    for (Tracked& t : tracked_) NoteEnded(t);
    const std::vector<SnapshotEntry> snapshot = TakeSnapshot();
    auto snapshotEntry = [&](DWORD pid) -> const SnapshotEntry* {
        for (const SnapshotEntry& e : snapshot)
            if (e.pid == pid) return &e;
        return nullptr;
    };
    for (DWORD pid : JobMembers())
        if (!IsLive(pid) && !IsBaseline(pid, 0)) pending_.emplace(pid, 0);
    for (auto it = pending_.begin(); it != pending_.end();) {
        const SnapshotEntry* e = snapshotEntry(it->first);
        std::string exe = e ? e->exe : std::string();
        if (exe.empty()) {
            base::UniqueKernelHandle process(OpenTracked(it->first));
            exe = ImageName(process.get());
        }
        if (exe.empty() && ++it->second < kNamingPolls) {
            ++it;
            continue;
        }
        Adopt(it->first, e ? e->parent : 0, exe, "job");
        it = pending_.erase(it);
    }
    // Repeat until stable: a child and its grandchild may both be new. A
    // child listed before its image is known (Wine lists a starting process
    // without a name for a moment) waits with the unnamed job members, so
    // that its "process" record names it.
    for (bool grew = true; grew;) {
        grew = false;
        for (const SnapshotEntry& e : snapshot) {
            if (!FindAny(e.parent) || pending_.count(e.pid)) continue;
            if (e.exe.empty()) {
                if (!IsLive(e.pid) && !IsBaseline(e.pid, 0)) pending_.emplace(e.pid, 0);
            } else if (Adopt(e.pid, e.parent, e.exe, "parent")) {
                grew = true;
            }
        }
    }
    for (Tracked& t : tracked_) {
        const SnapshotEntry* e = snapshotEntry(t.pid);
        if (t.exe.empty() && e) t.exe = e->exe;
        if (!t.handle && !t.ended && !e) {
            // Could not be opened: gone from the snapshot means ended, code unknown.
            t.ended = true;
            log_.Write(JsonLine("exit").Number("pid", t.pid).Text("exe", t.exe).Null("code"));
        }
    }
}

void ProcessTree::KillAll() {
    // One by one, not the whole job: the job may hold the prefix's system processes.
    Poll();
    for (Tracked& t : tracked_)
        if (!t.ended && t.handle) ::TerminateProcess(t.handle.get(), 1);
    for (Tracked& t : tracked_)
        if (t.handle) ::WaitForSingleObject(t.handle.get(), 2000);
    Poll();
}

}  // namespace uidriver
