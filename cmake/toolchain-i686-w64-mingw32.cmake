# Cross toolchain for the deliverables: 32-bit Windows, Debian's mingw-w64 (posix threads).
set(MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
