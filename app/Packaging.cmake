# Debian package of the installed program: `cpack -G DEB` in the build folder.
# The program goes to /usr/games, the manual pages, copyright and changelog come
# from app/Metadata.cmake; tests/app/package-test.sh checks the result.
set(CPACK_PACKAGE_NAME corvane)
set(CPACK_PACKAGE_VENDOR "Corvane")
set(CPACK_PACKAGE_CONTACT "Corvane developers <corvane@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "chess game with a Portuguese interface")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${CORVANE_WEB_URL})
# The Qt libraries the program links, the platform plugins (xcb, wayland) that
# open its window, the sound client and the font its pictures are lettered in.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libqt6core6 (>= 6.4), libqt6gui6 (>= 6.4), libqt6widgets6 (>= 6.4), libqt6network6 (>= 6.4), qt6-qpa-plugins, qt6-translations-l10n, libpulse0, fonts-dejavu-core, libstdc++6, libgcc-s1, libc6")
set(CPACK_STRIP_FILES TRUE)
# Control files and directories with the modes Debian expects whatever the umask.
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
    GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Play the computer at three levels, two players on one board, or over the\nnetwork with chat. Games are saved and reopened, positions set up by hand.\nClocks, the move list, captured pieces, sounds and announcements of check,\ncheckmate and draw surround the board.")
set(CPACK_GENERATOR DEB)
include(CPack)
