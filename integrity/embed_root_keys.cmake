# Writes OUTPUT, a source file defining integrity::BuiltInRoots() with the
# bytes of every file in KEY_FILES ("|"-separated; none: no roots), THRESHOLD
# and VERSION.
cmake_minimum_required(VERSION 3.21)
set(keys "")
set(names "")
set(index 0)
if(KEY_FILES)
  string(REPLACE "|" ";" files "${KEY_FILES}")
  foreach(file IN LISTS files)
    if(NOT EXISTS "${file}")
      message(FATAL_ERROR "root public key file ${file} does not exist")
    endif()
    file(SHA256 "${file}" digest)
    if(digest IN_LIST digests)
      message(FATAL_ERROR "root public key file ${file} holds a key given already")
    endif()
    list(APPEND digests ${digest})
    file(READ "${file}" hex HEX)
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${hex}")
    string(APPEND keys "    static const char kKey${index}[] = {${bytes} '\\0'};\n")
    string(APPEND names "std::string(kKey${index}, sizeof(kKey${index}) - 1), ")
    math(EXPR index "${index} + 1")
  endforeach()
else()
  set(THRESHOLD 0)
  set(VERSION 0)
endif()
file(WRITE "${OUTPUT}.new"
"// Generated from the root public key files; do not edit.
#include \"integrity/built_in_roots.h\"

namespace integrity {

BuiltInRootFiles BuiltInRoots() {
${keys}    return {{${names}}, ${THRESHOLD}u, ${VERSION}u};
}

}  // namespace integrity
")
file(COPY_FILE "${OUTPUT}.new" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.new")
