// Whether the machine trusts a server's certificate. WinINet accepts a chain
// that ends in a root of the user's own ROOT store as well, which any
// standard user can add to: for an elevated program that starts what it
// downloads, only the roots of the machine's store (LocalMachine ROOT)
// count. Pure: returns its verdict, shows nothing.
#pragma once

#include <windows.h>
#include <wincrypt.h>

#include <string>

namespace transfer {

// True when the end certificate of `received` (the chain WinINet built for a
// server, whose certificates serve only as intermediates here) chains to a
// root of the machine's store for server authentication and passes the SSL
// policy for `serverName`. False for a null or empty chain. A certificate
// found good is remembered with its server name for the process's life, so
// that kept connections do not build the chain again per request.
bool ServerCertificateTrusted(PCCERT_CHAIN_CONTEXT received, const std::string& serverName);

}  // namespace transfer
