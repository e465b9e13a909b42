# Writes OUTPUT, a source file defining integrity::BuiltInReleaseKey() with
# the bytes of KEY_FILE (none when KEY_FILE is empty).
set(bytes "")
if(KEY_FILE)
  if(NOT EXISTS "${KEY_FILE}")
    message(FATAL_ERROR "release public key file ${KEY_FILE} does not exist")
  endif()
  file(READ "${KEY_FILE}" hex HEX)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${hex}")
endif()
file(WRITE "${OUTPUT}.new"
"// Generated from the release public key file; do not edit.
#include \"integrity/built_in_key.h\"

namespace integrity {

std::string BuiltInReleaseKey() {
    static const char kKey[] = {${bytes} '\\0'};
    return std::string(kKey, sizeof(kKey) - 1);
}

}  // namespace integrity
")
file(COPY_FILE "${OUTPUT}.new" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.new")
