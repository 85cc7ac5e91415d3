# Shared part of the MinGW-w64 toolchain files; PROBEDECK_TRIPLE names the target.
set(CMAKE_C_COMPILER ${PROBEDECK_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${PROBEDECK_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${PROBEDECK_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${PROBEDECK_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Packages are looked for in the sysroot and, as CMAKE_PREFIX_PATH names
# them, anywhere else: an unpacked SDK lies outside the sysroot.
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)
