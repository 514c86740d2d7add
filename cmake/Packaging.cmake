# Installation and the Debian package.
install(FILES packaging/zelmark-updater.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES packaging/60-zelmark.rules DESTINATION lib/udev/rules.d)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zelmark-updater)
set(CPACK_PACKAGE_VENDOR Tarvik)
set(CPACK_PACKAGE_CONTACT "Tarvik support <support@tarvik.dk>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Firmware updater for the Tarvik Zelmark lap timer")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Zelmark Updater replaces the firmware of a Zelmark lap timer over its USB cable: a six-step\n"
    "wizard window (zelmark-updater), a command-line tool for benches and scripts\n"
    "(zelmark-flash) and a demo on a built-in virtual device (zelmark-updater-demo).")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Besides the libraries the programs link: Qt's platform plugins, which draw the window, and the
# font the window is laid out for.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-liberation2")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "udev")
include(CPack)
