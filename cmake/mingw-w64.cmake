# Cross-building for 64-bit Windows with MinGW-w64 (the POSIX thread model, for std::thread).
#   cmake -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DVYR_WX_PREFIX=<wxWidgets for Windows>
# Programs are found on the build machine; libraries and headers only in the cross prefix and
# the wxWidgets install. Test programs run through Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VYR_CROSS x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${VYR_CROSS}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VYR_CROSS}-g++-posix)
set(CMAKE_RC_COMPILER ${VYR_CROSS}-windres)

set(VYR_WX_PREFIX "$ENV{VYR_WX_PREFIX}" CACHE PATH "wxWidgets built for Windows")
set(CMAKE_FIND_ROOT_PATH /usr/${VYR_CROSS} ${VYR_WX_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# The cross wx-config, not the build machine's.
set(wxWidgets_CONFIG_EXECUTABLE ${VYR_WX_PREFIX}/bin/wx-config CACHE FILEPATH "")

set(CMAKE_CROSSCOMPILING_EMULATOR wine)
