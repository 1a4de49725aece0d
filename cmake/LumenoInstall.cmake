# SPDX-License-Identifier: GPL-3.0-or-later
# Where the installed program keeps the libraries it carries: the system folder the program
# looks at first, so an installed copy is used as found and nothing is written at start.
set(LUMENO_INSTALL_LIBRARY_DIR "${CMAKE_INSTALL_LIBDIR}/lumeno")
# The same folder seen from the installed programs: it stays there wherever the install is put.
file(RELATIVE_PATH LUMENO_RELATIVE_LIBRARY_DIR ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBDIR}/lumeno)

# lumeno_install_carried_library(<target>)
# Installs a shared library the program also carries as data into that folder.
function(lumeno_install_carried_library target)
  install(TARGETS ${target} LIBRARY DESTINATION ${LUMENO_INSTALL_LIBRARY_DIR} NAMELINK_SKIP)
endfunction()
