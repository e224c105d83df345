# The project's public face, set in this one place: who maintains the package, where the
# project lives, and the desktop id (reverse DNS) of the window program. The defaults hold
# until the project has a domain of its own; a distribution sets its own on the cmake line.
# SPDX-License-Identifier: MIT
set(ORVANE_MAINTAINER "ORVANE developers <orvane@example.org>" CACHE STRING
    "Maintainer of the Debian packages (name <address>)")
set(ORVANE_HOMEPAGE "https://orvane.example.org/" CACHE STRING
    "The project's home page: the window's link, the packages and the AppStream data")
set(ORVANE_APP_ID "org.example.orvane" CACHE STRING
    "Desktop id of the window program: names the desktop entry and the AppStream data")
set(ORVANE_RELEASE_DATE "2026-12-08" CACHE STRING "Date of this version's release")
