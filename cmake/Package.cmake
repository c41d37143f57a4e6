# The Debian package, made by `cpack -G DEB` in a build folder: everything `cmake --install` lays
# out, under /usr (the game itself in /usr/games, as Debian keeps games), with its run-time
# dependencies worked out by dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quadrillo)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_CONTACT "The Quadrillo developers <team@quadrillo.example.org>")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${CPACK_PACKAGE_CONTACT})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Sudoku game on square and jigsaw boards")
# The long description; CPack puts the summary above it and indents it as the control file wants.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Quadrillo is a Sudoku game for the desktop with ten difficulties, on the
classic three by three boxes or on jigsaw groups, each also with both long
diagonals as extra houses. It gives hints in three stages, explains each
puzzle's difficulty by the techniques it needs, reads puzzles from photos and
screenshots, prints them, and saves every move as it is made.

The command-line tool quorvel generates, rates, solves, transforms and reads
puzzles with the same engine.")
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${QUADRILLO_HOMEPAGE})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/PackageGamesDir.cmake)
include(CPack)
