# The Debian packages (cpack -G DEB): "orvane" holds what a pilot runs (the window and the
# command-line client, the desktop entry, icons, AppStream data, man pages), and
# "orvane-devtools" the simulator stand-in and the test airline server. Each carries its
# copyright file and its changelog (made from CHANGELOG.md); the shared-library
# dependencies come from dpkg-shlibdeps (dpkg-dev).
# SPDX-License-Identifier: MIT
include(GNUInstallDirs)

set(_pkgdoc ${CMAKE_BINARY_DIR}/packaging)
file(MAKE_DIRECTORY ${_pkgdoc})

# The changelog in Debian's format and the man pages, compressed without time stamps.
find_program(ORVANE_GZIP gzip REQUIRED)
add_custom_command(
  OUTPUT ${_pkgdoc}/changelog.gz
  COMMAND ${CMAKE_COMMAND} -DIN=${CMAKE_SOURCE_DIR}/CHANGELOG.md -DOUT=${_pkgdoc}/changelog
          "-DMAINTAINER=${ORVANE_MAINTAINER}" -P ${CMAKE_SOURCE_DIR}/cmake/debian_changelog.cmake
  COMMAND ${ORVANE_GZIP} -9nf ${_pkgdoc}/changelog
  DEPENDS ${CMAKE_SOURCE_DIR}/CHANGELOG.md ${CMAKE_SOURCE_DIR}/cmake/debian_changelog.cmake
  COMMENT "Debian changelog from CHANGELOG.md" VERBATIM)
set(_manpages orvane orvane-cli orvane-fgbridge orvane-simstandin orvane-airline-server)
set(_mangz)
foreach(page ${_manpages})
  add_custom_command(
    OUTPUT ${_pkgdoc}/${page}.1.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/docs/man/${page}.1 ${_pkgdoc}/${page}.1
    COMMAND ${ORVANE_GZIP} -9nf ${_pkgdoc}/${page}.1
    DEPENDS ${CMAKE_SOURCE_DIR}/docs/man/${page}.1 VERBATIM)
  list(APPEND _mangz ${_pkgdoc}/${page}.1.gz)
endforeach()
configure_file(${CMAKE_SOURCE_DIR}/packaging/copyright.in ${_pkgdoc}/copyright @ONLY)
# The AppStream releases, from the headings of CHANGELOG.md.
file(STRINGS ${CMAKE_SOURCE_DIR}/CHANGELOG.md _headings REGEX "^## [0-9][^ ]* - [0-9-]+$")
set(ORVANE_RELEASES "")
foreach(h ${_headings})
  string(REGEX MATCH "^## ([^ ]+) - ([0-9-]+)$" _m "${h}")
  string(APPEND ORVANE_RELEASES "    <release version=\"${CMAKE_MATCH_1}\" date=\"${CMAKE_MATCH_2}\"/>\n")
endforeach()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/CHANGELOG.md)
configure_file(${CMAKE_SOURCE_DIR}/packaging/metainfo.xml.in
               ${_pkgdoc}/${ORVANE_APP_ID}.metainfo.xml @ONLY)
add_custom_target(orvane_package_docs ALL DEPENDS ${_pkgdoc}/changelog.gz ${_mangz})

set(_man1 ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${_pkgdoc}/orvane.1.gz ${_pkgdoc}/orvane-cli.1.gz ${_pkgdoc}/orvane-fgbridge.1.gz
        DESTINATION ${_man1}
        COMPONENT orvane)
install(FILES ${_pkgdoc}/orvane-simstandin.1.gz ${_pkgdoc}/orvane-airline-server.1.gz
        DESTINATION ${_man1} COMPONENT devtools)
install(FILES ${_pkgdoc}/${ORVANE_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo
        COMPONENT orvane)
# No lintian overrides: the spelling notes on the texts servers and logs rely on (kept byte
# for byte) are informational, and which of them lintian finds depends on how the compiler
# lays out the binary's strings, so an override would itself become a warning.
foreach(comp orvane devtools)
  set(_pkg orvane)
  if(comp STREQUAL devtools)
    set(_pkg orvane-devtools)
  endif()
  install(FILES ${_pkgdoc}/copyright ${_pkgdoc}/changelog.gz
          DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${_pkg} COMPONENT ${comp})
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "ORVANE")
set(CPACK_PACKAGE_CONTACT "${ORVANE_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL orvane devtools)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${ORVANE_HOMEPAGE}")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_ORVANE_PACKAGE_NAME orvane)
set(CPACK_DEBIAN_DEVTOOLS_PACKAGE_NAME orvane-devtools)
set(CPACK_DEBIAN_DEVTOOLS_PACKAGE_SECTION devel)
set(CPACK_COMPONENT_ORVANE_DESCRIPTION
    "ACARS client for virtual-airline pilots\n\
ORVANE runs beside the flight simulator and reads the aircraft's state\n\
through FSUIPC. It follows the flight through its phases, reports each\n\
phase to the virtual airline's server as an ACARS message, and computes\n\
the pilot report (PIREP) at the end: times, fuel, weights, positions,\n\
extremes and the touchdown rate. The pilot reviews the PIREP, sends it,\n\
and can save and load it encrypted.")
set(CPACK_COMPONENT_DEVTOOLS_DESCRIPTION
    "ACARS client for virtual-airline pilots - development tools\n\
The simulator stand-in, which plays a scripted flight over ORVANE's\n\
simulator link as FSUIPC does, and a test airline server on 127.0.0.1\n\
that answers ORVANE's requests as a willing or a faulty airline would.\n\
They let ORVANE and its tests fly without a simulator or an airline.")
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
