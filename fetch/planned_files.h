// The fetch of the files a comparison planned: each into its staged name
// (the target's path + "_"), by its blocks where it can, else whole and
// resumably, reusing a staged file that is already complete and current.
// Every staged file, fetched or reused, must be admitted by the run's trust
// before it counts as staged.
#pragma once

#include <string>

#include "fetch/fetch_context.h"
#include "release/list_entry.h"

namespace fetch {

// The rule every planned entry's name must pass before anything is done
// with it, folder, request or size asked: its staged name can be a file, and
// the entry stays in its folder.
bool IsStageable(const release::ListEntry& entry, const std::string& stagedName);

// Every planned file is part of the trusted release; the first that is not
// is refused (fetch/refusal.h).
void CheckPlanIsSigned(const FetchContext& context, const release::EntryMap& plan);
// The trust admits the staged file, or it and its marker are deleted so that
// the next run fetches it again, and it is refused.
void AdmitStagedFile(FetchContext& context, const release::ListEntry& entry, const std::string& staged);
// The staged file did not match its signature: it and its marker are
// deleted and the file is refused.
[[noreturn]] void RefuseStagedFile(const release::ListEntry& entry, const std::string& staged);
// CheckPlanIsSigned, then every planned file in index order (with a release
// key several at once, fetch/files_in_flight.h); `staged` gains each file as
// it is staged. At the first file that cannot be staged it throws the run's
// failure (the files staged before it stay in `staged`): a refusal, or a
// transfer that gave up after showing its own box.
void FetchPlannedFiles(FetchContext& context, const release::EntryMap& plan, release::EntryMap& staged);

}  // namespace fetch
