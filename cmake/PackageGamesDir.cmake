# Run by CPack on its staging copy before the Debian package is made: Debian keeps games in
# /usr/games, so the game moves there from /usr/bin (quorvel, a tool, stays). Both folders sit at
# the same depth, so the paths the game finds relative to itself hold.
file(GLOB_RECURSE staged_games LIST_DIRECTORIES false "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/bin/quadrillo")
foreach(game IN LISTS staged_games)
  get_filename_component(bindir ${game} DIRECTORY)
  get_filename_component(usr ${bindir} DIRECTORY)
  file(MAKE_DIRECTORY ${usr}/games)
  file(RENAME ${game} ${usr}/games/quadrillo)
endforeach()
if(NOT staged_games)
  message(FATAL_ERROR "PackageGamesDir: no bin/quadrillo in ${CPACK_TEMPORARY_INSTALL_DIRECTORY}")
endif()
