# The mingw-w64 build (scripts/build-windows): every program one self-contained .exe that
# needs no DLL beyond Windows' own; libcurl (Schannel) and libcrypto are static libraries
# from the dependency cache, and need these system libraries after them.
# SPDX-License-Identifier: MIT
add_link_options(-static -static-libgcc -static-libstdc++)
set_property(TARGET CURL::libcurl APPEND PROPERTY INTERFACE_COMPILE_DEFINITIONS CURL_STATICLIB)
set_property(TARGET CURL::libcurl APPEND PROPERTY INTERFACE_LINK_LIBRARIES
  ws2_32 crypt32 secur32 bcrypt advapi32)
set_property(TARGET OpenSSL::Crypto APPEND PROPERTY INTERFACE_LINK_LIBRARIES
  ws2_32 crypt32 advapi32 user32)
# GCC 12 at -O3 takes std::string's inlined copies for overlapping memcpy calls
# (-Wrestrict, GCC bug 105329), a false alarm that -Werror would make fatal.
add_compile_options(-Wno-restrict)
