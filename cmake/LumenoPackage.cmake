# The Debian package: `cpack` in a build configured with CMAKE_INSTALL_PREFIX=/usr
# (the "package" preset). The folder compiled into the program for the engine libraries comes
# from that prefix, so the package installs under the same one.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME lumeno)
set(CPACK_PACKAGE_VENDOR Lumeno)
set(CPACK_PACKAGE_CONTACT "Lumeno <dev@lumeno.example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "offline text-to-speech tool for Chinese and other languages")
set(CPACK_PACKAGE_DESCRIPTION
    "A desktop program and the command-line tool lumeno-say that speak a typed, pasted or imported text with an offline speech engine and save the speech as WAV files.")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://lumeno.example.org/")
set(CPACK_PACKAGING_INSTALL_PREFIX "${CMAKE_INSTALL_PREFIX}")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
# Library dependencies are read from the binaries; the engine's voice data and a font that
# shows Chinese are needed at run time without being linked.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "espeak-ng-data, fonts-wqy-zenhei | fonts-noto-cjk | fonts-wqy-microhei")
include(CPack)
