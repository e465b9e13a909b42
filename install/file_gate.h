// Which files the installation steps may start, load, install or take their
// instructions from. The install folder may hold files that no verified
// release put there, so each such use asks a gate first, and the gate holds
// the file (base/held_file.h) from its check to the end of the use.
#pragma once

#include <string>

#include "base/unique_handle.h"

namespace install {

enum class GateResult {
    kAdmitted,  // use it; `held` (when valid) keeps it unchanged meanwhile
    kMissing,   // there is no such file to use
    kRefused,   // it must not be used; the gate has said so to the user
};

class FileGate {
public:
    virtual ~FileGate() = default;
    // A program or component about to be started or loaded, or a file about
    // to be installed elsewhere, by its full path.
    virtual GateResult Admit(const std::string& path, base::UniqueFile& held) const = 0;
    // An instruction file ("setup.bat", "firewall.ini", the post-update
    // script): on kAdmitted, `bytes` holds what was read through one held
    // handle.
    virtual GateResult ReadInstructions(const std::string& path, std::string& bytes) const = 0;
};

// Every file as it stands: for a build that checks no release, for a machine
// on which no release has verified yet, and for what an administrator gave
// the updater to run ("exec:").
const FileGate& OpenGate();

}  // namespace install
