# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian packages: `cpack` in a build configured with CMAKE_INSTALL_PREFIX=/usr
# (the "package" preset). The folder compiled into the program for the engine libraries comes
# from that prefix, so the packages install under the same one.
#
# One package per install component: "lumeno" (the window, lumeno-say, the libraries and the
# desktop files; every rule without a component), "feedback_service" (the service, so desktop
# users do not get cpp-httplib and SQLite) and "speechd" (the Speech Dispatcher module).
# A component without install rules makes no package.
set(CPACK_GENERATOR DEB)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_PACKAGE_NAME lumeno)
set(CPACK_PACKAGE_VENDOR Lumeno)
set(CPACK_PACKAGE_CONTACT "Lumeno <dev@lumeno.example.org>")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://lumeno.example.org/")
set(CPACK_PACKAGING_INSTALL_PREFIX "${CMAKE_INSTALL_PREFIX}")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SOURCE lumeno)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_STRIP_FILES ON)
# Library dependencies are read from the binaries of each package.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(lumeno_deb_version "${PROJECT_VERSION}-${CPACK_DEBIAN_PACKAGE_RELEASE}")

include(cmake/LumenoEspeakVersion.cmake)
lumeno_espeak_data_dependency(espeak_data_depends)

set(CPACK_DEBIAN_LUMENO_PACKAGE_NAME lumeno)
set(CPACK_COMPONENT_LUMENO_DESCRIPTION "offline text-to-speech tool for Chinese and other languages
A desktop program and the command-line tool lumeno-say that speak a typed,
pasted or imported text with an offline speech engine built over espeak-ng,
and save the speech as WAV, MP3, Ogg or FLAC files.")
# The engine's voice data, a font that shows Chinese, Qt's own translations of its standard
# dialogs and the SVG image plugin that draws the window icon are needed at run time without
# being linked.
set(CPACK_DEBIAN_LUMENO_PACKAGE_DEPENDS
    "${espeak_data_depends}, fonts-wqy-zenhei | fonts-noto-cjk | fonts-wqy-microhei, qt6-translations-l10n, libqt6svg6")

set(CPACK_DEBIAN_FEEDBACK_SERVICE_PACKAGE_NAME lumeno-feedback-service)
set(CPACK_DEBIAN_FEEDBACK_SERVICE_PACKAGE_SECTION net)
set(CPACK_COMPONENT_FEEDBACK_SERVICE_DESCRIPTION "feedback service for the Lumeno text-to-speech tool
An HTTP service that answers the feedback window of Lumeno: the feedback
types, verification images and the submissions, which it keeps in an SQLite
file.")
set(CPACK_DEBIAN_FEEDBACK_SERVICE_PACKAGE_DEPENDS "fonts-dejavu-core")

set(CPACK_DEBIAN_SPEECHD_PACKAGE_NAME speech-dispatcher-lumeno)
set(CPACK_COMPONENT_SPEECHD_DESCRIPTION "Speech Dispatcher module for the Lumeno speech engine
Lets Speech Dispatcher, and with it screen readers and other programs, speak
with the voices of the Lumeno text-to-speech tool.")
set(CPACK_DEBIAN_SPEECHD_PACKAGE_DEPENDS "lumeno (= ${lumeno_deb_version}), speech-dispatcher")
# The module's configuration is the administrator's to edit: dpkg keeps their changes.
set(speechd_conffiles ${CMAKE_BINARY_DIR}/packaging/speechd/conffiles)
file(WRITE ${speechd_conffiles} "${CMAKE_INSTALL_FULL_SYSCONFDIR}/speech-dispatcher/modules/lumeno.conf\n")
set(CPACK_DEBIAN_SPEECHD_PACKAGE_CONTROL_EXTRA ${speechd_conffiles})
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

# Every package carries the copyright file and the changelog in its own doc folder, where
# dpkg and lintian look for them.
set(changelog ${CMAKE_BINARY_DIR}/packaging/changelog.Debian)
set(LUMENO_DEB_VERSION ${lumeno_deb_version})
configure_file(${PROJECT_SOURCE_DIR}/packaging/debian/changelog.in ${changelog} @ONLY)
add_custom_command(OUTPUT ${changelog}.gz
  COMMAND ${CMAKE_COMMAND} -E copy ${changelog} ${changelog}.packed
  COMMAND ${LUMENO_GZIP} -n -9 -f ${changelog}.packed
  COMMAND ${CMAKE_COMMAND} -E rename ${changelog}.packed.gz ${changelog}.gz
  DEPENDS ${changelog} VERBATIM)
add_custom_target(debian_changelog ALL DEPENDS ${changelog}.gz)
get_cmake_property(components COMPONENTS)
foreach(component IN LISTS components)
  string(TOUPPER ${component} upper)
  set(package ${CPACK_DEBIAN_${upper}_PACKAGE_NAME})
  if(NOT package)
    message(FATAL_ERROR "install component ${component} has no package: name it in ${CMAKE_CURRENT_LIST_FILE}")
  endif()
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/debian/copyright
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${package} COMPONENT ${component})
  install(FILES ${changelog}.gz RENAME changelog.Debian.gz
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${package} COMPONENT ${component})
endforeach()

include(CPack)
