# The hardening a distribution builds its packages with: stack protection, fortified
# libc calls where the optimiser can see them, position-independent programs, and
# read-only relocations bound at start. Not with the sanitizers (they bring their own
# checks) nor for Windows.
# SPDX-License-Identifier: MIT
if(ORVANE_SANITIZE OR WIN32 OR MSVC)
  return()
endif()
include(CheckPIESupported)
check_pie_supported()
set(CMAKE_POSITION_INDEPENDENT_CODE ON)
add_compile_options(-fstack-protector-strong -fstack-clash-protection)
if(CMAKE_SYSTEM_PROCESSOR MATCHES "x86_64|AMD64|i.86")
  add_compile_options(-fcf-protection)
endif()
add_compile_definitions($<$<CONFIG:Release,RelWithDebInfo,MinSizeRel>:_FORTIFY_SOURCE=2>)
add_link_options(-Wl,-z,relro -Wl,-z,now)
