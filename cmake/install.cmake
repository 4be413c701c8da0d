# Two install components, each a Debian package:
# - game (starhop): a launcher in games/ that runs the game from a per-user working directory,
#   the executable under libexec/, the data archive, a desktop entry, an icon, a man page;
# - dev (libalgo-dev): the engine's headers under include/algo-1/, libalgo.a, a CMake package,
#   algo.pc, the guide, the minimal program and the examples, ready to build against it.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(STARHOP_MAINTAINER "Starhop developers <starhop@starhop.invalid>"
  CACHE STRING "Maintainer of the Debian packages")
# Fixed, as the exported target's include path is.
set(ALGO_INCLUDE_SUBDIR include/algo-1)
set(ALGO_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/algo)
set(ALGO_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/libalgo-dev)
set(GAME_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/starhop)

# Debian's copyright file carries the license's terms as an indented block.
file(READ ${PROJECT_SOURCE_DIR}/LICENSE _license)
string(FIND "${_license}" "This software is provided" _terms_start)
string(SUBSTRING "${_license}" ${_terms_start} -1 _terms)
string(STRIP "${_terms}" _terms)
string(REGEX REPLACE "\n\n" "\n.\n" _terms "${_terms}")
string(REPLACE "\n" "\n " ALGO_LICENSE_TERMS " ${_terms}")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/LICENSE)
configure_file(cmake/debian/copyright.in ${PROJECT_BINARY_DIR}/debian/copyright @ONLY)
configure_file(cmake/debian/changelog.in ${PROJECT_BINARY_DIR}/debian/changelog @ONLY)

# Debian wants manual pages and changelogs compressed, without a name or a time stamp in the
# header: gzip -n, on a copy beside the output.
function(starhop_gzip source output)
  string(REGEX REPLACE "[.]gz$" "" copy ${output})
  add_custom_command(OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -E copy ${source} ${copy}
    COMMAND gzip -9nf ${copy}
    DEPENDS ${source} VERBATIM)
endfunction()
file(MAKE_DIRECTORY ${PROJECT_BINARY_DIR}/debian/gz)
starhop_gzip(${PROJECT_BINARY_DIR}/debian/changelog ${PROJECT_BINARY_DIR}/debian/gz/changelog.gz)
set(PACKAGE_DOCS ${PROJECT_BINARY_DIR}/debian/gz/changelog.gz)

# The game.
if(STARHOP_GAME)
  starhop_gzip(${PROJECT_SOURCE_DIR}/docs/starhop.6 ${PROJECT_BINARY_DIR}/debian/gz/starhop.6.gz)
  list(APPEND PACKAGE_DOCS ${PROJECT_BINARY_DIR}/debian/gz/starhop.6.gz)
  install(TARGETS starhop RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/starhop COMPONENT game)
  install(FILES ${PROJECT_BINARY_DIR}/data.zip DESTINATION ${CMAKE_INSTALL_DATADIR}/starhop
    COMPONENT game)
  install(PROGRAMS tools/launcher/starhop DESTINATION games COMPONENT game)
  install(FILES assets/desktop/starhop.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications
    COMPONENT game)
  install(FILES assets/desktop/starhop.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps COMPONENT game)
  install(FILES ${PROJECT_BINARY_DIR}/debian/gz/starhop.6.gz
    DESTINATION ${CMAKE_INSTALL_MANDIR}/man6 COMPONENT game)
  # The level editor, started the same way from a working directory of its own.
  starhop_gzip(${PROJECT_SOURCE_DIR}/docs/starhop-edit.6
    ${PROJECT_BINARY_DIR}/debian/gz/starhop-edit.6.gz)
  list(APPEND PACKAGE_DOCS ${PROJECT_BINARY_DIR}/debian/gz/starhop-edit.6.gz)
  install(TARGETS starhop-edit RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/starhop
    COMPONENT game)
  install(FILES ${PROJECT_BINARY_DIR}/edit.zip DESTINATION ${CMAKE_INSTALL_DATADIR}/starhop
    COMPONENT game)
  install(PROGRAMS tools/launcher/starhop-edit DESTINATION games COMPONENT game)
  install(FILES assets/desktop/starhop-edit.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT game)
  install(FILES ${PROJECT_BINARY_DIR}/debian/gz/starhop-edit.6.gz
    DESTINATION ${CMAKE_INSTALL_MANDIR}/man6 COMPONENT game)
  install(FILES ${PROJECT_BINARY_DIR}/debian/copyright ${PROJECT_BINARY_DIR}/debian/gz/changelog.gz
    DESTINATION ${GAME_DOC_DIR} COMPONENT game)
endif()
add_custom_target(package_docs ALL DEPENDS ${PACKAGE_DOCS})

# The engine SDK.
install(TARGETS algo EXPORT algoTargets ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT dev)
# A module's private helpers (algo/<area>/private/) are the engine's own, never the API.
install(DIRECTORY algo basic util DESTINATION ${ALGO_INCLUDE_SUBDIR} COMPONENT dev
  FILES_MATCHING PATTERN "*.hpp" PATTERN "private" EXCLUDE)
install(EXPORT algoTargets NAMESPACE algo:: DESTINATION ${ALGO_CMAKE_DIR} COMPONENT dev)
configure_package_config_file(cmake/algoConfig.cmake.in
  ${PROJECT_BINARY_DIR}/cmake/algoConfig.cmake INSTALL_DESTINATION ${ALGO_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/cmake/algoConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/cmake/algoConfig.cmake
  ${PROJECT_BINARY_DIR}/cmake/algoConfigVersion.cmake DESTINATION ${ALGO_CMAKE_DIR} COMPONENT dev)

# algo.pc finds the prefix from its own place, so `cmake --install --prefix` can move it.
set(ALGO_PC_DIR ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
if(IS_ABSOLUTE "${CMAKE_INSTALL_LIBDIR}")
  set(ALGO_PC_PREFIX "${CMAKE_INSTALL_PREFIX}")
  set(ALGO_PC_LIBDIR "${CMAKE_INSTALL_LIBDIR}")
else()
  file(RELATIVE_PATH ALGO_PC_PREFIX /p/${ALGO_PC_DIR} /p)
  string(REGEX REPLACE "/$" "" ALGO_PC_PREFIX "${ALGO_PC_PREFIX}")
  set(ALGO_PC_PREFIX "\${pcfiledir}/${ALGO_PC_PREFIX}")
  set(ALGO_PC_LIBDIR "\${prefix}/${CMAKE_INSTALL_LIBDIR}")
endif()
configure_file(cmake/algo.pc.in ${PROJECT_BINARY_DIR}/cmake/algo.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/cmake/algo.pc DESTINATION ${ALGO_PC_DIR} COMPONENT dev)

install(FILES ${PROJECT_BINARY_DIR}/debian/copyright ${PROJECT_BINARY_DIR}/debian/gz/changelog.gz
  DESTINATION ${ALGO_DOC_DIR} COMPONENT dev)
install(FILES docs/engine.md DESTINATION ${ALGO_DOC_DIR} COMPONENT dev)
install(DIRECTORY docs/minimal DESTINATION ${ALGO_DOC_DIR} COMPONENT dev)

# Each example as a user copies it out and builds it against the installed package: its
# sources, a CMakeLists.txt of its own, its data exactly as built here (assetgen is not
# installed) and the sources of that data. They come with the SDK only when they are built.
get_property(_examples GLOBAL PROPERTY ALGO_EXAMPLES)
if(_examples)
  set(_dir ${ALGO_DOC_DIR}/examples)
  # Whatever running an example in its folder leaves behind (logs, a build tree) stays out, and
  # so do version control files and the in-tree build file, which needs assetgen.
  install(DIRECTORY examples/ DESTINATION ${_dir} COMPONENT dev
    PATTERN "stdout.txt" EXCLUDE PATTERN "stderr.txt" EXCLUDE PATTERN ".git*" EXCLUDE
    PATTERN "CMakeLists.txt" EXCLUDE REGEX "/build[^/]*$" EXCLUDE)
  list(JOIN _examples " " EXAMPLES)
  configure_file(cmake/examples-CMakeLists.txt.in ${PROJECT_BINARY_DIR}/sdk-examples/CMakeLists.txt
    @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/sdk-examples/CMakeLists.txt DESTINATION ${_dir}
    COMPONENT dev)
  # An example with data copies it beside its executable: those lines come from a template of
  # their own, after a blank line.
  file(READ cmake/example-data.cmake.in _data_rules)
  string(STRIP "${_data_rules}" _data_rules)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
    ${PROJECT_SOURCE_DIR}/cmake/example-data.cmake.in)
  foreach(EXAMPLE ${_examples})
    get_target_property(_built example_${EXAMPLE} EXAMPLE_DIR)
    get_target_property(_sources example_${EXAMPLE} EXAMPLE_SOURCE_NAMES)
    get_target_property(_data example_${EXAMPLE} EXAMPLE_DATA)
    list(JOIN _sources " " EXAMPLE_SOURCES)
    set(EXAMPLE_DATA_RULES)
    if(_data)
      list(JOIN _data " " EXAMPLE_DATA)
      string(CONFIGURE "\n\n${_data_rules}" EXAMPLE_DATA_RULES @ONLY)
    endif()
    configure_file(cmake/example-CMakeLists.txt.in
      ${PROJECT_BINARY_DIR}/sdk-examples/${EXAMPLE}/CMakeLists.txt @ONLY)
    install(FILES ${PROJECT_BINARY_DIR}/sdk-examples/${EXAMPLE}/CMakeLists.txt
      DESTINATION ${_dir}/${EXAMPLE} COMPONENT dev)
    foreach(_file ${_data})
      get_filename_component(_sub ${_file} DIRECTORY)
      install(FILES ${_built}/${_file} DESTINATION ${_dir}/${EXAMPLE}/${_sub} COMPONENT dev)
    endforeach()
  endforeach()
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME starhop)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${STARHOP_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEB_COMPONENT_INSTALL ON)
if(STARHOP_GAME)
  set(CPACK_COMPONENTS_ALL game dev)
else()
  set(CPACK_COMPONENTS_ALL dev)
endif()
# Executables lose their symbols in the package; a static library keeps what linking needs.
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_GAME_PACKAGE_NAME starhop)
set(CPACK_DEBIAN_GAME_PACKAGE_SECTION games)
set(CPACK_DEBIAN_GAME_DESCRIPTION "Small 2D action game: a rabbit collects every star
A rabbit walks and jumps through eight tile levels, collects every star and
keeps clear of deadly tiles. The clear screen grades the total time.
.
The package has the level editor, starhop-edit, too: draw a level, test-play
it and check that a route takes every star.")
# Runtime dependencies come from the libraries the executable really links against.
set(CPACK_DEBIAN_GAME_PACKAGE_SHLIBDEPS ON)

set(CPACK_DEBIAN_DEV_PACKAGE_NAME libalgo-dev)
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEV_DESCRIPTION "C++20 2D game engine over SDL 1.2 (development files)
algo wraps SDL 1.2 and its companion libraries into a display, textures and a
camera, fonts, scenes and frame pacing, actor pools, keyboard, mouse, joystick
and logical buttons, music and sound effects, a resource reader for loose files
or ZIP archives, settings and message files, a Lua wrapper and cooperative
tasks.
.
This package has the headers, the static library, a CMake package
(find_package(algo)), a pkg-config file, the guide and the examples.")
set(CPACK_DEBIAN_DEV_PACKAGE_DEPENDS
  "libsdl1.2-compat-dev | libsdl1.2-dev, libsdl-image1.2-dev, libsdl-mixer1.2-dev, \
libsdl-ttf2.0-dev, libsdl-gfx1.2-dev, libzip-dev, liblua5.1-0-dev, zlib1g-dev, \
libboost-context-dev, pkgconf | pkg-config")
include(CPack)
