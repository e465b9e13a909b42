// Puts the staged file together from an assembly plan: copied pieces from
// the files the blocks were found in, fetched pieces with ranged requests by
// the transfer layer's rules. The file is written front to back, so its length is how far the
// assembly got; the ".$ver$" marker beside it names the version with
// "|blocks" added, so that a killed or broken-off assembly continues at its
// length in the next run, while a whole download of the same version (whose
// marker lacks the suffix) never mistakes the file for its own.
//
// Progress: copied bytes move `done` (the file bar) with a `lastChunk` of 0,
// so only fetched bytes count towards the run's totals and its rate.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "delta/assembly_plan.h"
#include "transfer/transfer_records.h"

namespace delta {

enum class AssemblyResult {
    kAssembled,  // the staged file holds the plan's bytes; the caller still checks them
    kFailed,     // a range failed on every attempt; the box is shown, file and marker stay
    kUnusable,   // a searched file or the server cannot serve this way: fetch the file whole
};

struct AssemblySource {
    std::string url;         // the new file on the server
    std::vector<std::string> files;  // the files searched for its blocks, by their numbers in the match
    std::string staged;      // where the new file is put together
    std::string markerText;  // the version text a whole download would keep
};

std::string AssemblyMarkerText(const std::string& markerText);
// The marker beside `staged` names an assembly of this version.
bool AssemblyUnderway(const std::string& staged, const std::string& markerText);

// `counted` gets the fetched bytes reported towards the totals, those an
// earlier run left included, whatever the result.
AssemblyResult AssembleStagedFile(transfer::TransferProgress& progress, transfer::TransferBuffer& buffer,
                                  const AssemblySource& source, const AssemblyPlan& plan, int attempts,
                                  uint64_t& counted);

}  // namespace delta
