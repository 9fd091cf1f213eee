# SPDX-License-Identifier: GPL-3.0-or-later
# What `cmake --install` lays out and what `cpack -G DEB` packs: the three programs, the
# desktop entry, icon and project file type, the man pages, the examples and the user
# guide. Included from the top-level CMakeLists.txt after the programs are defined.
include(GNUInstallDirs)

set(PONTRA_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/pontra)

install(TARGETS pontra-cli pontra-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The desktop program: target pontra_app (the core library holds the name pontra), file pontra.
if(TARGET pontra_app)
  install(TARGETS pontra_app RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

install(FILES ${CMAKE_SOURCE_DIR}/packaging/pontra.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/pontra.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/pontra-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
        RENAME pontra.xml)

# Man pages from the programs' own --help, so that they stay true.
set(PONTRA_MAN_PAGES)
foreach(program pontra-cli pontra-sim)
  set(page ${CMAKE_BINARY_DIR}/man/${program}.1.gz)
  add_custom_command(
    OUTPUT ${page}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
    COMMAND ${CMAKE_SOURCE_DIR}/scripts/make-manpage.sh $<TARGET_FILE:${program}> ${PROJECT_VERSION} ${page}
    DEPENDS ${program} ${CMAKE_SOURCE_DIR}/scripts/make-manpage.sh
    COMMENT "Man page of ${program}"
    VERBATIM)
  list(APPEND PONTRA_MAN_PAGES ${page})
endforeach()
add_custom_target(man-pages ALL DEPENDS ${PONTRA_MAN_PAGES})
install(FILES ${PONTRA_MAN_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# The example projects as component text (pontra-cli import, or File > Import).
file(GLOB PONTRA_EXAMPLES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/examples/*.txt)
install(FILES ${PONTRA_EXAMPLES} DESTINATION ${CMAKE_INSTALL_DATADIR}/pontra/examples)

# The user guide, where Help Topics of an installed program looks (HelpFilePath).
if(TARGET pontra-help)
  install(FILES ${PONTRA_HELP_PDF} DESTINATION ${PONTRA_DOC_DIR})
endif()
install(FILES ${CMAKE_SOURCE_DIR}/packaging/copyright DESTINATION ${PONTRA_DOC_DIR})

# cpack -G DEB (from a Release build folder): Depends from dpkg-shlibdeps.
set(PONTRA_MAINTAINER "Pontra developers <pontra@example.org>" CACHE STRING "Maintainer of the Debian package")
set(CPACK_PACKAGE_NAME pontra)
set(CPACK_PACKAGE_VENDOR "Pontra")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "programming environment for Vessa zone-control modules")
set(CPACK_PACKAGE_DESCRIPTION
    "Pontra writes the programs that Vessa zone-control modules run on conveyor lines:\n\
ladder rungs, function blocks in ladder or Structured Text, user types and tags,\n\
saved as .clp projects. It verifies them, builds the program image, downloads it to\n\
one module or a whole line over Ethernet and shows live values online.\n\
.\n\
The package holds the desktop application pontra, the command-line front end\n\
pontra-cli, the soft module pontra-sim, their man pages, examples and user guide.")
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGE_CONTACT ${PONTRA_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${PONTRA_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_GENERATOR DEB)
include(CPack)
