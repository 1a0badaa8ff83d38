# The Debian package: `cpack -G DEB` in the build folder, after the build, makes
# vyradmin_<version>_amd64.deb from what `cmake --install` installs, under /usr, plus the
# copyright file and the changelog that Debian wants in share/doc/vyradmin.
include(GNUInstallDirs)
include(${CMAKE_CURRENT_LIST_DIR}/debian_gzip.cmake)

set(VYR_DEBIAN_DIR ${PROJECT_SOURCE_DIR}/resources/debian)

# The changelog's newest entry must name the version being packaged.
file(STRINGS ${VYR_DEBIAN_DIR}/changelog changelog_top LIMIT_COUNT 1)
if(NOT changelog_top MATCHES "^vyradmin \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "resources/debian/changelog does not start with an entry for version "
                      "${PROJECT_VERSION}; add one (vyradmin (${PROJECT_VERSION}) unstable; ...)")
endif()

# A package of the project's own version has no Debian revision (a native package), whose
# changelog is called changelog.gz.
set(changelog ${CMAKE_BINARY_DIR}/packaging/changelog)
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/packaging)
configure_file(${VYR_DEBIAN_DIR}/changelog ${changelog} COPYONLY)
vyr_debian_gzip(${changelog} changelog_gz)
add_custom_target(vyr_debian_changelog ALL DEPENDS ${changelog_gz})
install(FILES ${VYR_DEBIAN_DIR}/copyright ${changelog_gz}
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/vyradmin)

set(CPACK_PACKAGE_NAME vyradmin)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Vyr developers")
set(CPACK_PACKAGE_CONTACT "Vyr developers <vyr@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "administration software for the Vyr recording microphone")
# The long description as Debian shows it: lines of at most 80 characters.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
    "Connects to a Vyr portable recording microphone over its USB serial port,"
    "edits its ten presets and keeps whole configurations in checksummed"
    "settings files."
    "vyradmin is the window, vyrctl the command-line companion for scripted"
    "backup and restore, and vyrsim a simulated device on a pseudo-terminal.")
# Installed with DESTDIR, so that install scripts see the final prefix: the desktop entry
# names /usr/bin/vyradmin, not the staging folder.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Dependencies from the libraries the programs link (dpkg-shlibdeps, package dpkg-dev): the
# wxWidgets runtime the build used, libstdc++, libc.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Help opens the manual with xdg-open.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")

include(CPack)
