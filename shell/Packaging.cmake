# The Debian package: cpack -G DEB in the build folder (or the "package"
# target) builds pdf-lumerra_<version>_<arch>.deb with the desktop program,
# the command-line tool, the read-me, the icons, the desktop entry, the
# manual pages, the bash completion, copyright, changelog.gz and the command
# line's Japanese message catalogue (po/).
set(CPACK_PACKAGE_NAME pdf-lumerra)
set(CPACK_PACKAGE_VENDOR "PDF Lumerra project")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Get the drawing commands out of a PDF file")
# Lines of at most 80 characters, as Debian's control files want them.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "PDF Lumerra reads a PDF file (versions 1.0 to 1.4, classic cross-reference"
  "tables), decodes the content streams and form XObjects of every page and"
  "writes the drawing commands into a text report. It comes as a Japanese"
  "desktop program (pdf-lumerra) and a command-line tool (lumerra).")
set(CPACK_PACKAGE_CONTACT "PDF Lumerra project <pdf-lumerra@example.org>")
set(CPACK_PACKAGE_INSTALL_DIRECTORY pdf-lumerra)
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the programs link (Qt 6, zlib, the C++ runtime) come from
# dpkg-shlibdeps; the IPA Gothic fonts stand in for the Windows fonts, and
# Qt's translations put the file dialogs in Japanese.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Without dpkg-shlibdeps CPack would quietly build a package that depends on
# nothing; this check, read by cpack itself, stops it instead.
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/PackageChecks.cmake)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-ipafont-gothic, qt6-translations-l10n")
set(CPACK_STRIP_FILES ON)
include(CPack)
