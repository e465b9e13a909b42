#include "helper/checked_program.h"

#include "base/held_file.h"
#include "helper/helper_box.h"
#include "crypto/file_sha256.h"
#include "helper/update_helper.h"

namespace helper {

bool ReadDigestArgument(const char* text, crypto::Sha256Digest& digest) {
    if (crypto::DigestFromHex(text ? text : "", digest)) return true;
    ShowHelperBox("인수가 너무 적습니다!");
    return false;
}

bool HoldsDigest(HANDLE file, const crypto::Sha256Digest& digest) {
    crypto::Sha256Digest read;
    uint64_t size = 0;
    return crypto::HashOpenFile(file, read, size) && read == digest;
}

int RelaunchCheckedProgram(const char* path, const crypto::Sha256Digest& digest) {
    if (!CheckLaunchablePath(path)) return 0;
    const base::UniqueFile held = base::OpenHeldFile(path);
    if (!held || !HoldsDigest(held.get(), digest)) {
        ShowHelperBox("%s\n확인된 파일이 아니므로 실행하지 않습니다!", path);
        return 0;
    }
    return RelaunchProgram(path);
}

}  // namespace helper
