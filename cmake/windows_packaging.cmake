# Windows delivery: `cpack -G ZIP` makes vyradmin-<version>-windows-x64.zip, a folder with the
# two programs and Doc/ that runs from anywhere; resources/windows/installer.nsi makes the
# installer from the same files (scripts/windows-build).
set(CPACK_PACKAGE_NAME vyradmin)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Corvanta")
set(CPACK_PACKAGE_FILE_NAME vyradmin-${PROJECT_VERSION}-windows-x64)
set(CPACK_GENERATOR ZIP)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
