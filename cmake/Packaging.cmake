# Installation (bin/, share/veskedit/, the menu entry and icon) and the Debian package.
include(GNUInstallDirs)

install(TARGETS veskedit RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The data the generator writes beside the program.
foreach(folder Loc0 Loc1 Loc2 eWork0 eWork1 eWork2)
    install(DIRECTORY ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/${folder} DESTINATION ${CMAKE_INSTALL_DATADIR}/veskedit)
endforeach()
install(FILES "${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/地形名称.txt" DESTINATION ${CMAKE_INSTALL_DATADIR}/veskedit)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/veskedit.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/resources/icons/veskedit.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# The manual page and the changelog, compressed the way Debian wants (no name, no time stamp).
set(packaging_out ${CMAKE_BINARY_DIR}/packaging)
add_custom_command(
    OUTPUT ${packaging_out}/veskedit.1.gz ${packaging_out}/changelog.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${packaging_out}
    COMMAND sh -c "gzip -9n < '${CMAKE_SOURCE_DIR}/packaging/veskedit.1' > '${packaging_out}/veskedit.1.gz'"
    COMMAND sh -c "gzip -9n < '${CMAKE_SOURCE_DIR}/packaging/changelog' > '${packaging_out}/changelog.gz'"
    DEPENDS ${CMAKE_SOURCE_DIR}/packaging/veskedit.1 ${CMAKE_SOURCE_DIR}/packaging/changelog
    VERBATIM)
add_custom_target(packaging_docs ALL DEPENDS ${packaging_out}/veskedit.1.gz ${packaging_out}/changelog.gz)
install(FILES ${packaging_out}/veskedit.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${packaging_out}/changelog.gz ${CMAKE_SOURCE_DIR}/packaging/copyright
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/veskedit)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME veskedit)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "The VeskEdit developers <veskedit@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "editor for one game executable with a Chinese interface")
# CPack puts the summary first and indents these lines.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "VeskEdit opens one game executable (a console emulator bundled with a
Chinese-localised tactical role-playing game) as a flat byte image and
edits any byte in a hexadecimal grid, the game's tables in record and
grid editors, and its battlefields on a drawn map. It saves a whole
executable, a text change list, or an IPS or BPS patch.")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What the linker does not see: the platform and SVG plugins, the CJK font, Qt's Chinese texts.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libqt6svg6, fonts-noto-cjk, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
include(CPack)
