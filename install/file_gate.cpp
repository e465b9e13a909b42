#include "install/file_gate.h"

#include <windows.h>

#include "base/held_file.h"

namespace install {
namespace {

class Open : public FileGate {
public:
    // A file open for writing elsewhere is used all the same, unheld.
    GateResult Admit(const std::string& path, base::UniqueFile& held) const override {
        held = base::OpenHeldFile(path);
        return GateResult::kAdmitted;
    }

    GateResult ReadInstructions(const std::string& path, std::string& bytes) const override {
        const base::UniqueFile held = base::OpenHeldFile(path);
        return held && base::ReadHeldFile(held.get(), bytes) ? GateResult::kAdmitted : GateResult::kMissing;
    }
};

}  // namespace

const FileGate& OpenGate() {
    static const Open gate;
    return gate;
}

}  // namespace install
