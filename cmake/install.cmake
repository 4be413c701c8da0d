# Installed layout: a launcher in bin/ that runs the game from a per-user working directory,
# the executable under libexec/, the data archive, a desktop entry, an icon and a man page.
include(GNUInstallDirs)

install(TARGETS starhop RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/starhop)
install(FILES ${PROJECT_BINARY_DIR}/data.zip DESTINATION ${CMAKE_INSTALL_DATADIR}/starhop)
install(PROGRAMS tools/launcher/starhop DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES assets/desktop/starhop.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES assets/desktop/starhop.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES docs/starhop.6 DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME starhop)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Starhop developers <starhop@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Small 2D action game: a rabbit collects every star")
set(CPACK_PACKAGE_DESCRIPTION
  "A rabbit walks and jumps through tile levels, collects every star and avoids deadly tiles.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# Runtime dependencies come from the libraries the executable really links against.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)
