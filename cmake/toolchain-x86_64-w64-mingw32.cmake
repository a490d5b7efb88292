# Cross toolchain for the test build: the same sources for 64-bit Windows, which
# Wine can run on machines whose kernel does not execute 32-bit programs.
set(MINGW_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
