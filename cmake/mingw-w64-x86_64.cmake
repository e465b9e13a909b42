# Cross-compiling for 64-bit Windows: the test build for hosts that cannot
# execute 32-bit programs. What ships is always the i686 build.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TOOLCHAIN_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
