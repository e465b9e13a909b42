// The state of one update run that discovery fills and the main window and
// the update run read. The main window owns exactly one; discovery shows what
// it does only through `report`, so it also runs (and is tested) with no
// window at all.
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <string>

#include "base/run_report.h"
#include "base/unique_handle.h"
#include "discovery/release_files.h"
#include "fetch/byte_ledger.h"
#include "fetch/release_trust.h"
#include "integrity/built_in_roots.h"
#include "integrity/trust_blocks.h"
#include "release/list_entry.h"
#include "release/staging_layout.h"

namespace discovery {

struct UpdateState {
    // Takes the install folder and the updater's own file name from the
    // running executable, and the built-in root keys and lowest serials;
    // tests overwrite them.
    UpdateState();

    std::string m_strServerUrl;      // server URL; "/" + version folder appended once per run
    std::string m_strInstallFolder;  // with a trailing "\"
    std::string m_strSelfFileName;   // the running updater's file name, e.g. "Arkenfel_Update.exe"
    release::EntryMap m_mapPending;           // files to fetch, by index
    release::EntryMap m_mapFetched;           // files fetched in this run, by index
    std::map<std::string, std::string> m_mapUpdatedFiles;  // localPath -> localPath of every fetched file
    uint32_t m_nFileCount = 0;
    fetch::ByteLedger m_bytes;       // m_nTotalBytes, m_nRemainingBytes and m_dwStartTick, counted by the fetches
    BOOL m_bSelfUpdate = FALSE;      // this run fetches only the updater's own files
    // The home could not be made the program's (a volume that keeps no
    // security, or an entry that could not be put right): what is found in
    // it decides nothing, neither the local list nor staged files of earlier
    // runs that no signature checks.
    bool m_bHomeUntrusted = false;
    // The player asked for a repair ("repair:"): nothing is taken from the
    // local list, and with a release key every file is read whole and held
    // to the signed release.
    bool m_bRepair = false;
    base::RunReport* report = &base::SilentReport();  // what the run shows; never null
    // The root keys compiled into the program; threshold 0: no release is
    // checked and no signature file is asked for.
    integrity::RootSet m_builtInRoots;
    // No release below these serials is accepted, whatever the machine has seen.
    integrity::TrustFloor m_trustFloor;
    // What this run trusts: set when discovery begins (no key, or no release
    // verified yet), given the release once its signature held; it holds
    // the staged files from their check until their copy.
    fetch::ReleaseTrust m_trust;
    // That release's signature file and update list, byte for byte, and its
    // files by where they are installed.
    std::string m_strSignatureFile;
    std::string m_strListFile;
    ReleaseFiles m_releaseFiles;
    // The fetched list, held from its check until it has been read.
    base::UniqueFile m_hHeldList;

    // The update list in the install folder, and the server's copy of it
    // that a run stages beside it: the one place their paths are made.
    std::string LocalListPath() const { return m_strInstallFolder + release::kListFileName; }
    std::string StagedListPath() const { return release::StagedName(LocalListPath()); }
};

}  // namespace discovery
