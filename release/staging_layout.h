// The names the updater and the release tool agree on: the release's own
// texts, and where the updater keeps what it fetches before it is put in
// place (beside its target, under the target's name with "_" appended, with
// a ".$ver$" marker beside a file fetched in part).
#pragma once

#include <string>

namespace release {

extern const char kListFileName[];       // "Arkenfel_List.ini", in a version folder and in the install folder
extern const char kGatewayFileName[];    // "gateway.ini", at the top of the release root
extern const char kSignatureFileName[];  // "Arkenfel_Release.sig", in a version folder
extern const char kRecordSignatureName[];  // "Arkenfel_Release.sig", the installed release's, in the install folder
extern const char kRecordListName[];       // "Arkenfel_Release.lst", the installed release's list

// The staged copy of `target` while it is fetched and checked.
std::string StagedName(const std::string& target);

// The marker beside a staged file fetched in part: the target's path
// without its extension, plus ".$ver$".
std::string MarkerPath(const std::string& target);

}  // namespace release
