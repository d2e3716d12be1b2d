# SPDX-FileCopyrightText: 2026 The Quillmarch developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Installation and the Debian packages (CPack).
#   quillmarch-cli  the engine and the command line, with the sample images, help page, man
#                   page, completions and the Ansible collection; no Qt.
#   quillmarch      the GUI executable, its man page link, desktop entry and icon; depends on
#                   quillmarch-cli.
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
    # One page, docs/quillmarch.1, describes both programs: the command-line package has it as
    # quillmarch-cli(1), the GUI package only a link to it as quillmarch(1) (it depends on the
    # command-line package). Pages and the changelog are compressed as Debian wants them.
    set(QUILLMARCH_DOC_OUT ${CMAKE_BINARY_DIR}/doc)
    # The packages carry a Debian revision (-1): changelog.gz is the project's own history
    # (CHANGELOG.md), changelog.Debian.gz the packaging's, as Debian wants for such packages.
    configure_file(packaging/changelog.Debian.in ${QUILLMARCH_DOC_OUT}/changelog.Debian @ONLY)
    add_custom_command(
        OUTPUT ${QUILLMARCH_DOC_OUT}/quillmarch-cli.1.gz ${QUILLMARCH_DOC_OUT}/quillmarch.1.gz
               ${QUILLMARCH_DOC_OUT}/changelog.gz ${QUILLMARCH_DOC_OUT}/changelog.Debian.gz
        COMMAND ${CMAKE_COMMAND} -E make_directory ${QUILLMARCH_DOC_OUT}
        COMMAND sh -c "gzip -9nc docs/quillmarch.1 > '${QUILLMARCH_DOC_OUT}/quillmarch-cli.1.gz'"
        COMMAND sh -c "echo .so man1/quillmarch-cli.1 | gzip -9nc > '${QUILLMARCH_DOC_OUT}/quillmarch.1.gz'"
        COMMAND sh -c "gzip -9nc CHANGELOG.md > '${QUILLMARCH_DOC_OUT}/changelog.gz'"
        COMMAND sh -c "gzip -9nc '${QUILLMARCH_DOC_OUT}/changelog.Debian' > '${QUILLMARCH_DOC_OUT}/changelog.Debian.gz'"
        WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
        DEPENDS ${CMAKE_SOURCE_DIR}/docs/quillmarch.1 ${CMAKE_SOURCE_DIR}/CHANGELOG.md
                ${QUILLMARCH_DOC_OUT}/changelog.Debian
        VERBATIM)
    add_custom_target(doc_files ALL DEPENDS ${QUILLMARCH_DOC_OUT}/quillmarch-cli.1.gz)
    install(FILES ${QUILLMARCH_DOC_OUT}/quillmarch-cli.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1
            COMPONENT cli)
    install(FILES ${QUILLMARCH_DOC_OUT}/changelog.gz ${QUILLMARCH_DOC_OUT}/changelog.Debian.gz
                  packaging/copyright
            DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/quillmarch-cli COMPONENT cli)
    install(FILES packaging/lintian-overrides-cli
            DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME quillmarch-cli
            COMPONENT cli)
    install(FILES packaging/completions/quillmarch-cli
            DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions COMPONENT cli)
    install(FILES packaging/completions/_quillmarch
            DESTINATION ${CMAKE_INSTALL_DATADIR}/zsh/vendor-completions COMPONENT cli)
    # The Ansible collection, where ansible-core looks by default.
    find_program(ANSIBLE_GALAXY ansible-galaxy)
    if(ANSIBLE_GALAXY)
        set(QUILLMARCH_COLLECTION_OUT ${CMAKE_BINARY_DIR}/ansible)
        file(GLOB_RECURSE QUILLMARCH_COLLECTION_FILES CONFIGURE_DEPENDS
             ${CMAKE_SOURCE_DIR}/contrib/ansible/*)
        add_custom_command(
            OUTPUT ${QUILLMARCH_COLLECTION_OUT}/installed.stamp
            COMMAND ${CMAKE_COMMAND} -E rm -rf ${QUILLMARCH_COLLECTION_OUT}
            COMMAND ${ANSIBLE_GALAXY} collection build --force --output-path
                    ${QUILLMARCH_COLLECTION_OUT} ${CMAKE_SOURCE_DIR}/contrib/ansible
            COMMAND sh -c "'${ANSIBLE_GALAXY}' collection install --offline --force -p '${QUILLMARCH_COLLECTION_OUT}/collections' '${QUILLMARCH_COLLECTION_OUT}'/*.tar.gz"
            COMMAND ${CMAKE_COMMAND} -E touch ${QUILLMARCH_COLLECTION_OUT}/installed.stamp
            DEPENDS ${QUILLMARCH_COLLECTION_FILES}
            COMMENT "Building and installing the Ansible collection"
            VERBATIM)
        add_custom_target(ansible_collection ALL
                          DEPENDS ${QUILLMARCH_COLLECTION_OUT}/installed.stamp)
        install(DIRECTORY ${QUILLMARCH_COLLECTION_OUT}/collections/
                DESTINATION ${CMAKE_INSTALL_DATADIR}/ansible/collections COMPONENT cli)
    else()
        message(WARNING "ansible-galaxy not found: the package leaves out the Ansible collection")
    endif()
endif()

if(WIN32)
    # The zip carries the licence and the history beside the programs.
    install(FILES LICENSES/GPL-3.0-or-later.txt DESTINATION . RENAME COPYING.txt COMPONENT cli)
    install(FILES CHANGELOG.md DESTINATION . COMPONENT cli)
endif()

if(QUILLMARCH_GUI)
    install(TARGETS quillmarch RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT gui)
    if(NOT WIN32)
        install(FILES ${QUILLMARCH_DOC_OUT}/quillmarch.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1
                COMPONENT gui)
        install(FILES ${QUILLMARCH_DOC_OUT}/changelog.gz ${QUILLMARCH_DOC_OUT}/changelog.Debian.gz
                      packaging/copyright
                DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/quillmarch COMPONENT gui)
        install(FILES packaging/lintian-overrides-gui
                DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME quillmarch
                COMPONENT gui)
        install(FILES packaging/completions/quillmarch
                DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions COMPONENT gui)
        install(FILES packaging/quillmarch.desktop
                DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT gui)
        # The icon is 64 x 64: it goes in the folder of that size.
        install(FILES resources/images/icon-128.png
                DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/64x64/apps
                RENAME quillmarch.png COMPONENT gui)
    endif()
endif()

set(CPACK_PACKAGE_NAME quillmarch)
set(CPACK_PACKAGE_VENDOR "The Quillmarch developers")
set(CPACK_PACKAGE_CONTACT "Quillmarch maintainers <maintainers@quillmarch.org>")
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
    set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
    set(CPACK_DEBIAN_GUI_PACKAGE_DEPENDS "quillmarch-cli (= ${PROJECT_VERSION}-1)")
    set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
    set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://quillmarch.org/")
    # CPack takes the first line as the synopsis and the rest as the long description.
    set(CPACK_COMPONENT_CLI_DESCRIPTION
        "software updates for Tessary video-conferencing systems (command line)
quillmarch-cli updates the software of Tessary network video-conferencing
systems over FTP: it identifies the model, switches the system into update
mode, sends the matching image from a checked image pack, keeps chosen
settings across the update, waits for the restart and verifies the new
version. Every step goes to a log and the exit status tells scripts the
outcome; --check looks at a system without changing it, and --fleet
updates the systems of a CSV inventory several at once.
.
This package has the command-line program (no Qt, for headless servers),
sample images, the manual page, shell completions and an Ansible
collection (quillmarch.tessary) that drives quillmarch-cli from playbooks.")
    set(CPACK_COMPONENT_GUI_DESCRIPTION
        "software updates for Tessary video-conferencing systems (graphical wizard)
quillmarch is the graphical face of quillmarch-cli: a wizard that walks an
operator through the update of one Tessary network video-conferencing system
(address, password, what to keep, the software to send) and a progress
window that shows each step of a run started from the command line.")
endif()
include(CPack)
