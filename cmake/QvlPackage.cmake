# The Debian package of the program: `cpack -G DEB` in a configured and built
# tree (scripts/package.sh uses a Release build). It holds both programs, the
# templates, the desktop entry, the pattern file type, the icons, the manual
# pages and the copyright and changelog (resources/); the libraries it needs
# are found by dpkg-shlibdeps.
set(QVL_PACKAGE_MAINTAINER "Quovel PM project <quovel-pm@example.org>" CACHE STRING
    "Maintainer field of the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quovel-pm)
set(CPACK_PACKAGE_VENDOR "${QVL_CREDIT_TEXT}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "score planner for the shoot-'em-up Quovel")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# quovel-pm_<version>_<architecture>.deb, as Debian names packages.
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${QVL_PACKAGE_MAINTAINER}")
# A companion of the game, not a game: it plans scores and plays nothing.
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${QVL_PROJECT_URL}")
# Lines of the long description as they stand in the control file (CPack puts
# a space before each), short enough for an 80-column terminal.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "One document holds one difficulty of the game as a tree of scenes with"
  "alternative play patterns for each. The window compares the current and an"
  "edited pattern of a scene in twelve score terms, including what its gains do"
  "to every later scene. The command-line tool qvl runs the same arithmetic.")
# The shared libraries come from dpkg-shlibdeps; Qt's platform plugins are
# loaded at run time, so no library names them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
# Without a Japanese font every text of the window shows as boxes.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-ipafont-gothic | fonts-noto-cjk")

include(CPack)
