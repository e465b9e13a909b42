// The server-disabled (maintenance) variant of the updater for the
// end-to-end tests: linked ahead of the discovery library, this definition of
// the built-in address takes the place of the configured one.
#include <string>

namespace discovery {

std::string BuiltInServerUrl() { return "//localhost:47443/fs_c_get.php?fn=vantero"; }

}  // namespace discovery
