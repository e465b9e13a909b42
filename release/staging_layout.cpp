#include "release/staging_layout.h"

#include <windows.h>
#include <shlwapi.h>

namespace release {

const char kListFileName[] = "Arkenfel_List.ini";
const char kGatewayFileName[] = "gateway.ini";
const char kSignatureFileName[] = "Arkenfel_Release.sig";
const char kRecordSignatureName[] = "Arkenfel_Release.sig";
const char kRecordListName[] = "Arkenfel_Release.lst";

std::string StagedName(const std::string& target) { return target + "_"; }

std::string MarkerPath(const std::string& target) {
    const char* extension = ::PathFindExtensionA(target.c_str());
    return target.substr(0, static_cast<size_t>(extension - target.c_str())) + ".$ver$";
}

}  // namespace release
