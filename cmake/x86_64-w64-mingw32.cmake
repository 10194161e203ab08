# Cross-compiles for 64-bit Windows; ctest runs the programs under Wine's
# 64-bit loader, which works where 32-bit Linux programs cannot execute.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(MINGW_TRIPLET x86_64-w64-mingw32)
set(QV_WINE_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
