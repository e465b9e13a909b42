// Texts of the release checks that more than one of them shows.
#pragma once

namespace discovery {

extern const char kTextFileMismatch[];  // "[%s] ...": the file differs from the signed release
extern const char kTextFileUnsigned[];  // "[%s] ...": the file is not part of the signed release

}  // namespace discovery
