# The Debian package of Vorin 99: the program, vorin-report, the icons, the
# desktop entry and the AppStream description, installed under /usr.
#
#   cmake --build build && (cd build && cpack -G DEB)    or    make deb
#
# gives build/vorin99_<version>_<arch>.deb, which `apt install ./vorin99_*.deb`
# installs together with the Qt libraries it needs: dpkg-shlibdeps (dpkg-dev)
# reads them off the programs.
set(CPACK_PACKAGE_NAME vorin99)
set(CPACK_PACKAGE_VENDOR "Vorin Software")
set(CPACK_PACKAGE_CONTACT "Vorin Software <support@vorin-software.example>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "disk statistics: how the space on your drives is used")
set(CPACK_PACKAGE_DESCRIPTION
    "Vorin 99 counts the files of the drives you pick, or of a folder you open it with, and shows how their space is used: per file type, per size band, per age of the three file dates, cluster overhang, attributes and the time of day of file times. Every page prints.\n\nvorin-report prints the same tables on a terminal, as text, JSON or CSV.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Debug information stays in the build; the package is a tenth of the size.
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.vorin-software.example/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# File-type descriptions come from the shared MIME database; without it the
# types are named by their extensions alone.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "shared-mime-info")

set(CPACK_GENERATOR DEB)
include(CPack)
