#include "integrity/trusted_release.h"

namespace integrity {
namespace {

// The release's signature by its certified key, or, without a certificate,
// by a root alone where one root decides.
ReleaseCheck CheckSigner(const SignatureBlocks& blocks, const RootKeys& roots, uint32_t lowestKeySerial) {
    const SignatureFile& release = blocks.release;
    if (!blocks.certified) {
        if (roots.threshold() > 1) return ReleaseCheck::kUncertifiedKey;
        return roots.AnySigned(release.signedText, release.signature) ? ReleaseCheck::kVerified
                                                                       : ReleaseCheck::kBadSignature;
    }
    if (!roots.Decide(blocks.certificate.block)) return ReleaseCheck::kUncertifiedKey;
    if (blocks.certificate.keySerial < lowestKeySerial) return ReleaseCheck::kRevokedKey;
    crypto::PublicKey key;
    return key.LoadDer(blocks.certificate.releaseKey) && key.Verify(release.signedText, release.signature)
               ? ReleaseCheck::kVerified
               : ReleaseCheck::kBadSignature;
}

}  // namespace

MachineTrust RaisedToFloor(MachineTrust trust, const TrustFloor& floor) {
    if (trust.reached.version > trust.builtIn.version) return trust;
    if (trust.lowestKeySerial < floor.keySerial) {
        trust.lowestKeySerial = floor.keySerial;
        trust.lowestSerial = floor.serial;
    } else if (trust.lowestKeySerial == floor.keySerial && trust.lowestSerial < floor.serial) {
        trust.lowestSerial = floor.serial;
    }
    return trust;
}

ReleaseCheck FollowRootChain(const MachineTrust& trust, const std::vector<RootStatement>& statements, RootSet& reached,
                             RootKeys& keys) {
    reached = trust.builtIn;
    if (!keys.Load(reached)) return ReleaseCheck::kBadSignature;
    // A machine that reached a set newer than its built-in roots accepts
    // only chains that pass through exactly that set.
    const RootPin& pin = trust.reached;
    bool pinHeld = pin.version < reached.version || (pin.version == reached.version && RootSetDigest(reached) == pin.digest);
    for (const RootStatement& statement : statements) {
        if (statement.roots.version <= reached.version) continue;
        RootKeys next;
        if (!next.Load(statement.roots) || !RootKeys::DecidedByEach({&keys, &next}, statement.block))
            return ReleaseCheck::kBadRootStatement;
        reached = statement.roots;
        keys = std::move(next);
        if (reached.version == pin.version) pinHeld = RootSetDigest(reached) == pin.digest;
    }
    return pinHeld ? ReleaseCheck::kVerified : ReleaseCheck::kRootsNotReached;
}

ReleaseCheck VerifyTrustedRelease(const std::string& signatureFile, const MachineTrust& trust,
                                  const ReleaseWanted& wanted, const std::string& listBytes, TrustedRelease& release) {
    SignatureBlocks blocks;
    switch (ReadSignatureBlocks(signatureFile, blocks)) {
    case BlocksRead::kMalformed:
        return ReleaseCheck::kMalformed;
    case BlocksRead::kChainTooLong:
        return ReleaseCheck::kChainTooLong;
    case BlocksRead::kRead:
        break;
    }
    RootSet roots;
    RootKeys keys;
    ReleaseCheck check = FollowRootChain(trust, blocks.statements, roots, keys);
    // A root set newer than the one the stored serials were accepted under,
    // and a newly certified key, start their own runs of serials: the thief
    // of the roots or of the key they replace may have spent them all.
    const uint32_t storedRoots = trust.reached.version ? trust.reached.version : trust.builtIn.version;
    const bool newRoots = roots.version > storedRoots;
    const uint32_t lowestKeySerial = newRoots ? 0 : trust.lowestKeySerial;
    if (check == ReleaseCheck::kVerified) check = CheckSigner(blocks, keys, lowestKeySerial);
    const bool newKey = newRoots || (blocks.certified && blocks.certificate.keySerial > lowestKeySerial);
    if (check == ReleaseCheck::kVerified)
        check = CheckSignedRelease(blocks.release.manifest, wanted, newKey ? 0 : trust.lowestSerial, listBytes);
    if (check != ReleaseCheck::kVerified) return check;
    release.manifest = std::move(blocks.release.manifest);
    release.keySerial = blocks.certified ? blocks.certificate.keySerial : 0;
    release.roots = {roots.version, RootSetDigest(roots)};
    release.serialsRestart = newKey;
    return ReleaseCheck::kVerified;
}

}  // namespace integrity
