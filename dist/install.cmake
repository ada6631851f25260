# Installation where the Filesystem Hierarchy and XDG put things, and the
# Debian package built from it by CPack.
include(GNUInstallDirs)

set(BILLPRINT_APP_ID com.example.billprint)
set(_dist ${CMAKE_SOURCE_DIR}/dist)

install(TARGETS billprint RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The help pages and the default database, also built into the program;
# the installed help pages are the ones the help window shows.
install(DIRECTORY ${CMAKE_SOURCE_DIR}/data/help DESTINATION ${CMAKE_INSTALL_DATADIR}/billprint)
install(FILES ${CMAKE_SOURCE_DIR}/data/default.sql DESTINATION ${CMAKE_INSTALL_DATADIR}/billprint)
install(FILES ${_dist}/${BILLPRINT_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${_dist}/${BILLPRINT_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
# Manual pages are installed compressed, as Debian has them.
set(_man ${CMAKE_BINARY_DIR}/billprint.1.gz)
add_custom_command(OUTPUT ${_man}
                   COMMAND sh -c "gzip -9nc '${_dist}/billprint.1' > '${_man}'"
                   DEPENDS ${_dist}/billprint.1 VERBATIM)
add_custom_target(manpage ALL DEPENDS ${_man})
install(FILES ${_man} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
foreach(_size 16 22 24 32 48 64 128 256)
  install(FILES ${_dist}/icons/${_size}x${_size}/billprint.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${_size}x${_size}/apps)
endforeach()
install(FILES ${_dist}/icons/billprint.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME billprint)
set(CPACK_PACKAGE_VENDOR "The billprint developers")
set(CPACK_PACKAGE_CONTACT "billprint developers <billprint@example.com>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION}.0)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "fill in and print bank bills on pre-printed paper")
set(CPACK_PACKAGE_DESCRIPTION "Fills in bank bills and vouchers (cheques, deposit slips, remittance forms) \
and prints only what was typed, at the positions of the pre-printed form.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://billprint.example.com/)
# The shared libraries' packages are computed by dpkg-shlibdeps (QuaZip and
# libfreexl among them); the Qt plugins the program loads at run time
# (windows, the SQLite driver) and Qt's Chinese texts are not linked, so
# they are named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# libxlsxwriter is loaded at run time (src/core/xlsxlib.h), not linked: its
# package is named here after its shared object ("libxlsxwriter.so.4" is
# in "libxlsxwriter4").
string(REGEX REPLACE "^libxlsxwriter\\.so\\.([0-9]+)$" "libxlsxwriter\\1" _xlsxwriter_package "${BILLPRINT_XLSXWRITER_SONAME}")
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libqt6sql6-sqlite, qt6-translations-l10n, ${_xlsxwriter_package}")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-wqy-microhei | fonts-noto-cjk, cups")
include(CPack)
