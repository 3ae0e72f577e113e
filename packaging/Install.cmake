# Every install rule, each in the component of the Debian package it goes
# into (packaging/Package.cmake): "convert" is quorvel-convert, the command
# alone, for servers without a display; "window" is quorvel, the window.
# `cmake --install build` without --component installs both.
include(GNUInstallDirs)

set(quorvelConvertDocDir ${CMAKE_INSTALL_DATADIR}/doc/quorvel-convert)

install(TARGETS quorvel-convert RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT convert)
install(FILES ${CMAKE_SOURCE_DIR}/cli/quorvel-convert.1
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT convert)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/copyright ${CMAKE_CURRENT_LIST_DIR}/changelog
        DESTINATION ${quorvelConvertDocDir} COMPONENT convert)

install(TARGETS quorvel RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT window)
# The menu entry, and a hidden one that offers Quorvel for saved messages
# (Open With). Without a default chosen in a mimeapps.list, GLib and xdg-mime
# take the first entry for a type in desktop-file-ID order: the hidden entry's
# ID sorts after the mail readers' (thunderbird, org.gnome.Evolution...), so
# a mail reader installed beside Quorvel stays the one that opens a message.
install(FILES ${CMAKE_SOURCE_DIR}/app/quorvel.desktop ${CMAKE_SOURCE_DIR}/app/x-quorvel-open.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT window)
install(FILES ${CMAKE_SOURCE_DIR}/app/org.example.quorvel.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo COMPONENT window)
install(FILES ${CMAKE_SOURCE_DIR}/app/icons/quorvel.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps COMPONENT window)
install(FILES ${CMAKE_SOURCE_DIR}/app/quorvel.1
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT window)
# Help Manual looks for manual.html in the doc folder relative to the program
# (QUORVEL_DOC_FROM_BIN, set where the window is built).
install(FILES ${CMAKE_CURRENT_LIST_DIR}/copyright ${CMAKE_CURRENT_LIST_DIR}/changelog
              ${CMAKE_SOURCE_DIR}/docs/manual.html
        DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT window)
# Registers the manual with doc-base, so documentation browsers list it.
install(FILES ${CMAKE_CURRENT_LIST_DIR}/quorvel-manual.doc-base
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc-base RENAME quorvel.quorvel-manual COMPONENT window)

# Beside the rules it guards, so it stays when the test folders are rebuilt.
if(BUILD_TESTING)
    add_test(NAME install_components
             COMMAND ${CMAKE_CURRENT_LIST_DIR}/check-components.sh ${CMAKE_BINARY_DIR})
endif()
