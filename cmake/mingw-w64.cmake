# Cross-compiling for 64-bit Windows with Debian's mingw-w64 (posix threads, which std::thread and
# Qt need). Chained by Qt's toolchain wrapper:
#   cmake -DCMAKE_TOOLCHAIN_FILE=<qt>/lib/cmake/Qt6/qt.toolchain.cmake \
#         -DQT_CHAINLOAD_TOOLCHAIN_FILE=<this file> -DQT_HOST_PATH=/usr ...
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(PALVOREN_MINGW_TRIPLET x86_64-w64-mingw32)

set(CMAKE_C_COMPILER /usr/bin/${PALVOREN_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER /usr/bin/${PALVOREN_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER /usr/bin/${PALVOREN_MINGW_TRIPLET}-windres)
set(CMAKE_AR /usr/bin/${PALVOREN_MINGW_TRIPLET}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB /usr/bin/${PALVOREN_MINGW_TRIPLET}-ranlib CACHE FILEPATH "")
set(CMAKE_STRIP /usr/bin/${PALVOREN_MINGW_TRIPLET}-strip CACHE FILEPATH "")
set(CMAKE_OBJDUMP /usr/bin/${PALVOREN_MINGW_TRIPLET}-objdump CACHE FILEPATH "")

# Headers, libraries and packages come from the mingw sysroot and the roots Qt adds (its own
# prefix), never from the Linux host; programs (moc, rcc, convert) come from the host.
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${PALVOREN_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

