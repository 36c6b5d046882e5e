# The Debian package, built by CPack from the install rules (scripts/package runs it on a Release build
# configured with CMAKE_INSTALL_PREFIX=/usr).
set(FLASHKIT_PACKAGE_MAINTAINER "Flashkit developers <flashkit@localhost>"
    CACHE STRING "The Maintainer field of the Debian package")

set(CPACK_PACKAGE_NAME flashkit)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY ${PROJECT_DESCRIPTION})
set(CPACK_PACKAGE_DESCRIPTION
    "Flashkit reads the plain-text files of the Tango-PCB design tool and writes aperture\n\
(D-code) definitions, GC Prevue viewer tables, NC drill files in several coordinate\n\
formats and renumbered Gerber files. It comes as a desktop program, flashkit, and a\n\
command line, flashkit-cli, that runs every job from scripts.")
set(CPACK_PACKAGE_CONTACT ${FLASHKIT_PACKAGE_MAINTAINER})
set(CPACK_GENERATOR DEB)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Library packages from the programs' own links (dpkg-shlibdeps); Qt loads its platform plugins at run time,
# which no link names.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
if(FLASHKIT_GUI)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
endif()
include(CPack)
