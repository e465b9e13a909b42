// The publisher's public key file compiled into this program, or an empty
// text when the program was built without one (it then checks no release).
#pragma once

#include <string>

namespace integrity {

std::string BuiltInReleaseKey();

}  // namespace integrity
