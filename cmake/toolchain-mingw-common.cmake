# Shared part of the MinGW-w64 cross builds; the toolchain file of each
# architecture sets CMAKE_SYSTEM_PROCESSOR and ORVANE_MINGW_PREFIX first.
# The -posix compilers give std::thread and std::mutex; everything is linked
# statically so the executables run under Wine or on Windows without extra
# DLLs.
set(CMAKE_SYSTEM_NAME Windows)

find_program(CMAKE_C_COMPILER NAMES ${ORVANE_MINGW_PREFIX}-gcc-posix ${ORVANE_MINGW_PREFIX}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${ORVANE_MINGW_PREFIX}-g++-posix ${ORVANE_MINGW_PREFIX}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${ORVANE_MINGW_PREFIX}-windres REQUIRED)

set(CMAKE_FIND_ROOT_PATH /usr/${ORVANE_MINGW_PREFIX})
# Qt for Windows lives outside the MinGW root (scripts/build-qt-windows.sh
# prints its folder): -DORVANE_QT_PREFIX=<folder> makes it a root of its own,
# so the whole tree configures against it.
if(ORVANE_QT_PREFIX)
  list(APPEND CMAKE_FIND_ROOT_PATH "${ORVANE_QT_PREFIX}")
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# find_package(ZLIB) would otherwise take the import library of zlib1.dll.
set(ZLIB_USE_STATIC_LIBS ON)
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
