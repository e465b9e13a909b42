#include "release/staging_layout.h"

namespace release {

const char kListFileName[] = "Arkenfel_List.ini";
const char kGatewayFileName[] = "gateway.ini";
const char kSignatureFileName[] = "Arkenfel_Release.sig";
const char kRecordSignatureName[] = "Arkenfel_Release.sig";
const char kRecordListName[] = "Arkenfel_Release.lst";

std::string StagedName(const std::string& target) { return target + "_"; }

}  // namespace release
