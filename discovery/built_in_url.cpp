#include "discovery/download_updates.h"

namespace discovery {

std::string BuiltInServerUrl() { return ARKENFEL_UPDATE_SERVER_URL; }

}  // namespace discovery
