// The installation steps' gate (install/file_gate.h) for a build that checks
// releases. A file of the release passes when, read through a held handle,
// it has exactly the signed size and SHA-256; any other file of the install
// folder is refused, since no verified release put it there; files elsewhere
// (the system's own programs) pass as they stand. Each refusal names the
// file in an error box to the run's report and says how the next run mends it.
#pragma once

#include <memory>
#include <string>

#include "base/run_report.h"
#include "discovery/release_files.h"
#include "discovery/update_state.h"
#include "install/file_gate.h"

namespace discovery {

class ReleaseGate : public install::FileGate {
public:
    // Without `files`, a signed release has been installed on this machine
    // but its record cannot be read: nothing of the install folder passes.
    ReleaseGate(std::unique_ptr<ReleaseFiles> files, std::string installFolder, base::RunReport& report);

    install::GateResult Admit(const std::string& path, base::UniqueFile& held) const override;
    install::GateResult ReadInstructions(const std::string& path, std::string& bytes) const override;

private:
    install::GateResult Check(const std::string& path, base::UniqueFile& held) const;
    bool InInstallFolder(const std::string& path) const;
    install::GateResult Refuse(const std::string& path, const char* reason, const char* remedy) const;

    std::unique_ptr<ReleaseFiles> files_;
    std::string installFolder_;
    base::RunReport& report_;
};

// For the installation steps of this run: the release verified in it. Null
// for a build that checks no release (every file then passes as it stands).
std::unique_ptr<ReleaseGate> GateOfThisRun(const UpdateState& state);
// For a program started when no release has verified in this run: the
// record of the release last installed. Null when no signed release has been
// installed on this machine yet, or the build checks none.
std::unique_ptr<ReleaseGate> GateOfKeptRelease(const std::string& installFolder, const UpdateState& state);

}  // namespace discovery
