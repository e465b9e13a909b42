// The internet session of an update run: one asynchronous InternetOpen
// (agent "Vantero", the system's proxy settings) that every request of the
// run goes through, so that WinINet can keep a connection from one request to
// the next (nothing promises that a closed session's connections live on).
// Whoever runs the transfers holds one for the span of the run; a request
// made while none is open (a tool, a test) opens a session for itself alone.
// Time-outs and connect retries belong to each kind of request and are set
// on its own handles, so the shared session changes none of them.
#pragma once

#include <windows.h>
#include <wininet.h>

#include "base/unique_handle.h"

namespace transfer {

struct InternetHandleTraits : base::NullWhenAbsent<HINTERNET> { static void close(Handle h) { ::InternetCloseHandle(h); } };
using UniqueInternetHandle = base::UniqueHandle<InternetHandleTraits>;

// A new session as every request needs it; empty when WinINet refuses one
// (the reason is in GetLastError).
UniqueInternetHandle OpenInternetSession();

// Lets WinINet keep up to `count` connections to one server at once, for
// that many requests in flight together (a process-wide setting).
void AllowConnectionsPerServer(DWORD count);

class RunSession {
public:
    // Opens the session; the requests made from now on go through it. One
    // that cannot be opened leaves each request to open its own, which then
    // fails as a request without a session does.
    RunSession();
    // Closes it; requests open their own again.
    ~RunSession();
    RunSession(const RunSession&) = delete;
    RunSession& operator=(const RunSession&) = delete;

    // The session of the run in progress; null outside a run.
    static HINTERNET Current();

private:
    UniqueInternetHandle handle_;
    HINTERNET previous_;
};

}  // namespace transfer
