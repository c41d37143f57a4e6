# Where an installed Quadrillo keeps its parts, after the GNU conventions: the programs in bin, the
# engine library in a private lib/quadrillo, the map files, starter album and help page in
# share/quadrillo, translations in share/locale. The programs find these relative to their own
# executable, so one build works under any prefix (/usr/local, /usr, a temporary folder).
include(GNUInstallDirs)

set(QUADRILLO_INSTALL_PKGLIBDIR ${CMAKE_INSTALL_LIBDIR}/quadrillo)
set(QUADRILLO_INSTALL_PKGDATADIR ${CMAKE_INSTALL_DATADIR}/quadrillo)

# The paths from the bin directory to the others, as the executables see them at run time.
function(quadrillo_relative_to_bindir out dir)
  file(RELATIVE_PATH rel /prefix/${CMAKE_INSTALL_BINDIR} /prefix/${dir})
  set(${out} ${rel} PARENT_SCOPE)
endfunction()
quadrillo_relative_to_bindir(QUADRILLO_REL_PKGLIBDIR ${QUADRILLO_INSTALL_PKGLIBDIR})
quadrillo_relative_to_bindir(QUADRILLO_REL_PKGDATADIR ${QUADRILLO_INSTALL_PKGDATADIR})
quadrillo_relative_to_bindir(QUADRILLO_REL_LOCALEDIR ${CMAKE_INSTALL_LOCALEDIR})

# The build tree keeps the same relation for the translations: bin/../share/locale.
get_filename_component(QUADRILLO_BUILD_LOCALEDIR ${CMAKE_BINARY_DIR}/bin/${QUADRILLO_REL_LOCALEDIR} ABSOLUTE)

# The project's home, named by the desktop metadata, the manual pages and the package.
set(QUADRILLO_HOMEPAGE "https://quadrillo.example.org/")
set(QUADRILLO_APP_ID "org.quadrillo.quadrillo")
