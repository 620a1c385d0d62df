# The Debian package: `cpack -G DEB` in the build folder writes
# mokuji_<version>_<arch>.deb of what `cmake --install` puts, under /usr.
# Only the program's own install rules exist, so tests and benchmarks stay
# out of it.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME mokuji)
set(CPACK_PACKAGE_VENDOR "the mokuji project")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "list the Excel workbooks of a folder in one list workbook")
set(CPACK_PACKAGE_DESCRIPTION
    "mokuji turns a folder of .xls workbooks of one shape (questionnaires,\n"
    "defect reports, cover sheets of design documents) into one list workbook,\n"
    "00_目次.xls: one row per workbook, one column per collected item. It reads\n"
    "and writes .xls files with its own engine, shows a Qt window on a desktop\n"
    "and runs on the console without one.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# The debugging information of a RelWithDebInfo build stays in the build.
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The package's maintainer and its changelog's signer. The address is a
# placeholder that the package checker accepts: set a real one before the
# package is published.
set(MOKUJI_MAINTAINER "the mokuji project <maintainer@example.org>"
    CACHE STRING "The Debian package's maintainer: a name and an e-mail address")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${MOKUJI_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
# The run-time libraries (Qt 6, the C++ library) found by dpkg-shlibdeps in
# the program and the window module.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The desktop's opener for the list, Qt's buttons in Japanese and the font
# the window is laid out for; mokuji works without each.
# The packager gives a package with a shared object under /usr/lib scripts
# that run ldconfig, unless it is given scripts of its own; the window
# module is loaded by its path and needs none, so the names are given with
# no file behind them, which the packager leaves out of the package.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_BINARY_DIR}/no-maintainer-scripts/postinst
                                       ${CMAKE_BINARY_DIR}/no-maintainer-scripts/postrm)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, qt6-translations-l10n, fonts-ipafont-gothic")

include(CPack)
