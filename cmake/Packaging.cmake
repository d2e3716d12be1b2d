# SPDX-FileCopyrightText: 2026 The Quillmarch developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Installation and the Debian packages (CPack).
#   quillmarch-cli  the engine and the command line, with the sample images, help page and man
#                   page; no Qt.
#   quillmarch      the GUI executable, its desktop entry and icon; depends on quillmarch-cli.
# The Windows build packs a zip with the executables and the payload folder instead.
include(GNUInstallDirs)

install(TARGETS quillmarch-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT cli)
# The sample images stay apart from the operator's pack: the program never takes them unless
# named (--images /usr/share/quillmarch/sample-images), and the packages never write the
# operator's folder (/var/lib/quillmarch/images, %ProgramData%\Quillmarch\images).
install(DIRECTORY ${PAYLOAD_DIR}/ DESTINATION ${CMAKE_INSTALL_DATADIR}/quillmarch/sample-images
        COMPONENT cli)
install(FILES resources/help/index.html DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/quillmarch/help
        COMPONENT cli)
if(NOT WIN32)
    install(FILES docs/quillmarch.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT cli)
    install(FILES docs/quillmarch.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT cli
            RENAME quillmarch-cli.1)
endif()

if(QUILLMARCH_GUI)
    install(TARGETS quillmarch RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT gui)
    if(NOT WIN32)
        install(FILES packaging/quillmarch.desktop
                DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT gui)
        install(FILES resources/images/icon-128.png
                DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/128x128/apps
                RENAME quillmarch.png COMPONENT gui)
    endif()
endif()

set(CPACK_PACKAGE_NAME quillmarch)
set(CPACK_PACKAGE_VENDOR "Quillmarch")
set(CPACK_PACKAGE_CONTACT "Quillmarch maintainers <quillmarch@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Software updates for Tessary network video-conferencing systems")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})

if(WIN32)
    set(CPACK_GENERATOR ZIP)
    set(CPACK_ARCHIVE_COMPONENT_INSTALL OFF)
    set(CPACK_PACKAGE_FILE_NAME quillmarch-${PROJECT_VERSION}-windows-x64)
else()
    set(CPACK_GENERATOR DEB)
    set(CPACK_STRIP_FILES ON)
    set(CPACK_DEB_COMPONENT_INSTALL ON)
    set(CPACK_COMPONENTS_GROUPING IGNORE)
    set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
    set(CPACK_DEBIAN_PACKAGE_SECTION net)
    # dpkg-shlibdeps reads the libraries each package's executables need.
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
    set(CPACK_DEBIAN_CLI_PACKAGE_NAME quillmarch-cli)
    set(CPACK_DEBIAN_GUI_PACKAGE_NAME quillmarch)
    set(CPACK_DEBIAN_GUI_PACKAGE_DEPENDS "quillmarch-cli (= ${PROJECT_VERSION})")
    set(CPACK_COMPONENT_CLI_DESCRIPTION
        "Command-line software updates for Tessary video-conferencing systems")
    set(CPACK_COMPONENT_GUI_DESCRIPTION
        "Wizard and progress window for Tessary system software updates")
endif()
include(CPack)
