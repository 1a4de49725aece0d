# The Debian package: `cpack` in a build configured with CMAKE_INSTALL_PREFIX=/usr
# (the "package" preset). The folder compiled into the program for the engine libraries comes
# from that prefix, so the package installs under the same one.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME lumeno)
set(CPACK_PACKAGE_VENDOR Lumeno)
set(CPACK_PACKAGE_CONTACT "Lumeno <dev@lumeno.example.org>")
set(CPACK_PACKAGE_DESCRIPTION "offline text-to-speech tool for Chinese and other languages
A desktop program and the command-line tool lumeno-say that speak a typed,
pasted or imported text with an offline speech engine built over espeak-ng,
and save the speech as WAV, MP3, Ogg or FLAC files.")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://lumeno.example.org/")
set(CPACK_PACKAGING_INSTALL_PREFIX "${CMAKE_INSTALL_PREFIX}")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SOURCE lumeno)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_STRIP_FILES ON)
# Library dependencies are read from the binaries; the engine's voice data and a font that
# shows Chinese are needed at run time without being linked.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(cmake/LumenoEspeakVersion.cmake)
lumeno_espeak_data_dependency(espeak_data_depends)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "${espeak_data_depends}, fonts-wqy-zenhei | fonts-noto-cjk | fonts-wqy-microhei")

# The copyright file and the changelog in the package's doc folder, where dpkg and lintian
# look for them.
set(changelog ${CMAKE_BINARY_DIR}/packaging/changelog.Debian)
set(LUMENO_DEB_VERSION "${PROJECT_VERSION}-${CPACK_DEBIAN_PACKAGE_RELEASE}")
configure_file(${PROJECT_SOURCE_DIR}/packaging/debian/changelog.in ${changelog} @ONLY)
add_custom_command(OUTPUT ${changelog}.gz
  COMMAND ${CMAKE_COMMAND} -E copy ${changelog} ${changelog}.packed
  COMMAND ${LUMENO_GZIP} -n -9 -f ${changelog}.packed
  COMMAND ${CMAKE_COMMAND} -E rename ${changelog}.packed.gz ${changelog}.gz
  DEPENDS ${changelog} VERBATIM)
add_custom_target(debian_changelog ALL DEPENDS ${changelog}.gz)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/debian/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/lumeno)
install(FILES ${changelog}.gz RENAME changelog.Debian.gz DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/lumeno)
include(CPack)
