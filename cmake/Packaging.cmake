# The Debian package: `cpack --config <build>/CPackConfig.cmake` (scripts/package.sh runs it).
# The programs go to /usr/bin, the desktop entry and its icon to /usr/share; the libraries the
# package needs are read off the programs by dpkg-shlibdeps.
install(TARGETS hangarix-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/hangarix)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME hangarix)
set(CPACK_PACKAGE_VENDOR Hangarix)
set(CPACK_PACKAGE_CONTACT "Hangarix <hangarix@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Installs liveries of one maker's FS9 and FSX aircraft from local packages, removes\n"
    "installed ones and downloads new ones from the maker's online catalogue, editing\n"
    "aircraft.cfg byte for byte and keeping a history of every change for undo.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's platform plugins (the window does not start without one) are not a library the programs
# link, so shlibdeps cannot see them; the fonts stand in for the ones the skin names.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-urw-base35, fonts-dejavu-core")
set(CPACK_OUTPUT_FILE_PREFIX ${PROJECT_SOURCE_DIR}/dist)
include(CPack)
