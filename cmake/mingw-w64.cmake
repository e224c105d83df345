# Toolchain for cross-building Windows programs with Debian's mingw-w64 (64-bit, POSIX
# threads, so that std::thread and std::mutex are there).
# SPDX-License-Identifier: MIT
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ORVANE_MINGW_PREFIX x86_64-w64-mingw32 CACHE STRING "Target triple of the cross compiler")
find_program(CMAKE_C_COMPILER NAMES ${ORVANE_MINGW_PREFIX}-gcc-posix ${ORVANE_MINGW_PREFIX}-gcc)
find_program(CMAKE_CXX_COMPILER NAMES ${ORVANE_MINGW_PREFIX}-g++-posix ${ORVANE_MINGW_PREFIX}-g++)
find_program(CMAKE_RC_COMPILER NAMES ${ORVANE_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ORVANE_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
