# Installation and the Debian package.
install(FILES packaging/zelmark-updater.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES packaging/60-zelmark.rules DESTINATION lib/udev/rules.d)

# Manual pages and the changelog go compressed as Debian wants them: gzip at its best, and without
# the file's name and time in the header, so that the same sources give the same package.
find_program(ZELMARK_GZIP gzip REQUIRED)
set(doc_dir "${CMAKE_INSTALL_DATADIR}/doc/zelmark-updater")
set(compressed)
foreach(page zelmark-updater.1 zelmark-updater-demo.1 zelmark-flash.1 changelog)
    if(page STREQUAL "changelog")
        set(source "${PROJECT_SOURCE_DIR}/packaging/changelog")
    else()
        set(source "${PROJECT_SOURCE_DIR}/packaging/man/${page}")
    endif()
    set(output "${CMAKE_BINARY_DIR}/packaging/${page}.gz")
    add_custom_command(OUTPUT "${output}"
        COMMAND "${CMAKE_COMMAND}" -E make_directory "${CMAKE_BINARY_DIR}/packaging"
        COMMAND "${ZELMARK_GZIP}" -9n -c "${source}" > "${output}"
        DEPENDS "${source}"
        COMMENT "Compressing ${page}")
    list(APPEND compressed "${output}")
endforeach()
add_custom_target(zelmark-package-docs ALL DEPENDS ${compressed})
install(FILES "${CMAKE_BINARY_DIR}/packaging/zelmark-updater.1.gz"
              "${CMAKE_BINARY_DIR}/packaging/zelmark-updater-demo.1.gz"
              "${CMAKE_BINARY_DIR}/packaging/zelmark-flash.1.gz"
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES packaging/copyright "${CMAKE_BINARY_DIR}/packaging/changelog.gz"
        DESTINATION ${doc_dir})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zelmark-updater)
set(CPACK_PACKAGE_VENDOR Tarvik)
set(CPACK_PACKAGE_CONTACT "Tarvik support <support@tarvik.dk>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Firmware updater for the Tarvik Zelmark lap timer")
# Lines of the extended description stay within 80 columns (lintian).
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Zelmark Updater replaces the firmware of a Zelmark lap timer over its USB\n"
    "cable: a six-step wizard window (zelmark-updater), a command-line tool for\n"
    "benches and scripts (zelmark-flash) and a demo on a built-in virtual device\n"
    "(zelmark-updater-demo).")
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
