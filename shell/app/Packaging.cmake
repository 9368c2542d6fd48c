# Debian package of the installed program: `cpack -G DEB` in the build folder.
set(CPACK_PACKAGE_NAME corvane)
set(CPACK_PACKAGE_VENDOR "Corvane")
set(CPACK_PACKAGE_CONTACT "Corvane <corvane@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Jogo de xadrez em português")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
# The Qt libraries the program links, the platform plugins (xcb, wayland) that
# open its window, the sound client and the font its pictures are lettered in.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libqt6core6 (>= 6.4), libqt6gui6 (>= 6.4), libqt6widgets6 (>= 6.4), libqt6network6 (>= 6.4), qt6-qpa-plugins, libpulse0, fonts-dejavu-core, libstdc++6, libgcc-s1, libc6")
set(CPACK_STRIP_FILES TRUE)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Chess game with a Portuguese interface: play the computer at three levels,\n two players on one board, or over the network with chat.")
set(CPACK_GENERATOR DEB)
include(CPack)
