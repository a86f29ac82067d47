# The Debian package (cpack -G DEB, run by scripts/package.sh): the programs, the manual, the
# desktop entry and icon, the man pages, and /usr/share/doc/velaron. Library dependencies come
# from the binaries through dpkg-shlibdeps; the list below is what the programs load at run
# time that the linker cannot see.
include(GNUInstallDirs)

set(VLR_PACKAGE_MAINTAINER "Velaron Link developers <velaron-link@example.org>"
    CACHE STRING "The Maintainer field of the Debian package")

# Debian's changelog and copyright, dated by the commit when there is one.
if(VLR_COMMIT_TIME AND NOT DEFINED ENV{SOURCE_DATE_EPOCH})
    set(ENV{SOURCE_DATE_EPOCH} ${VLR_COMMIT_TIME})
endif()
string(TIMESTAMP vlr_changelog_date "%a, %d %b %Y %H:%M:%S +0000" UTC)
set(vlr_changelog_commit "")
if(VLR_COMMIT)
    set(vlr_changelog_commit ", commit ${VLR_COMMIT}")
endif()
set(vlr_changelog ${PROJECT_BINARY_DIR}/packaging/changelog)
configure_file(${PROJECT_SOURCE_DIR}/packaging/changelog.in ${vlr_changelog} @ONLY)
add_custom_command(OUTPUT ${vlr_changelog}.gz
    COMMAND gzip -9nkf ${vlr_changelog}
    DEPENDS ${vlr_changelog}
    VERBATIM)
add_custom_target(vlr_package_changelog ALL DEPENDS ${vlr_changelog}.gz)
install(FILES ${vlr_changelog}.gz ${PROJECT_SOURCE_DIR}/packaging/copyright
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/velaron)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velaron)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Velaron")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "instrument archives of building-material tests: read, keep, print, export")
set(CPACK_PACKAGE_DESCRIPTION
    "Velaron Link finds the serial port on which a hand-held instrument for
testing building materials answers (the OSK cover meter, the VTR
compression/bending press and its asphalt-concrete variant), reads the
results stored in its memory and keeps them in a local database. The
results are gathered into named files, printed as A4 reports and exported
to Excel workbooks.

The package holds the desktop program velaron, the command-line tool vlr,
the instrument simulator vlr-sim and the user's manual (in Russian).")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_OUTPUT_FILE_PREFIX ${PROJECT_SOURCE_DIR}/dist)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${VLR_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Qt's database drivers and platform plugins, the Russian texts of Qt's own dialogs, and the
# fonts the reports are drawn with.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libqt6sql6-sqlite, libqt6sql6-psql, qt6-qpa-plugins, qt6-translations-l10n, fonts-liberation")

include(CPack)
