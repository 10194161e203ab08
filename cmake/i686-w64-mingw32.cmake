# Cross-compiles for 32-bit Windows with the MinGW-w64 compilers, and lets
# ctest run the resulting programs under Wine's 32-bit loader.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)
set(MINGW_TRIPLET i686-w64-mingw32)
set(QV_WINE_ARCH i686)
# The release runs on a 486 or later; the tests are built alike, so they
# run the code that ships.
set(CMAKE_C_FLAGS_INIT "-march=i486")
set(CMAKE_CXX_FLAGS_INIT "-march=i486")
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
