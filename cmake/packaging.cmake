# Installing Ombrisal as a Linux program (cmake --install, or the Debian
# package that scripts/package makes with CPack):
#   bin/ombrisal
#   share/ombrisal/Init.ini    the default settings, copied per user on the
#                              first start (store/program_folders.h finds it
#                              as <bin>/../share/ombrisal)
#   share/ombrisal/help/       the window's manual pages, found the same way
#   share/applications, share/metainfo, share/icons/hicolor, share/man/man1
#   share/doc/ombrisal         copyright (machine-readable), changelog.Debian.gz
#   share/bash-completion/completions/ombrisal
#   lib/systemd/system/ombrisal@.service
#   share/lintian/overrides/ombrisal
include(GNUInstallDirs)

# The day the version in project() was set: the manual page and the
# AppStream release carry it, so it moves with the version.
set(OMBRISAL_RELEASE_DATE 2026-12-10)
set(OMBRISAL_APP_ID org.ombrisal.ombrisal)

configure_file(${PROJECT_SOURCE_DIR}/docs/ombrisal.1.in ${PROJECT_BINARY_DIR}/ombrisal.1 @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/resources/desktop/${OMBRISAL_APP_ID}.metainfo.xml.in
               ${PROJECT_BINARY_DIR}/${OMBRISAL_APP_ID}.metainfo.xml @ONLY)
# Debian keeps manual pages compressed (-n: the same bytes on every build).
add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/ombrisal.1.gz
  COMMAND gzip -9 -n -f -k ${PROJECT_BINARY_DIR}/ombrisal.1
  DEPENDS ${PROJECT_BINARY_DIR}/ombrisal.1
  VERBATIM)
add_custom_target(ombrisal_manual ALL DEPENDS ${PROJECT_BINARY_DIR}/ombrisal.1.gz)
# The same for the Debian changelog.
add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/changelog.Debian.gz
  COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/resources/debian/changelog
          ${PROJECT_BINARY_DIR}/changelog.Debian
  COMMAND gzip -9 -n -f ${PROJECT_BINARY_DIR}/changelog.Debian
  DEPENDS ${PROJECT_SOURCE_DIR}/resources/debian/changelog
  VERBATIM)
add_custom_target(ombrisal_changelog ALL DEPENDS ${PROJECT_BINARY_DIR}/changelog.Debian.gz)

set(OMBRISAL_SHARE ${CMAKE_INSTALL_DATADIR}/ombrisal)
install(TARGETS ombrisal RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The compiler's notes (.comment) are of no use in the installed program;
# the package's build splits off the debug symbols afterwards.
install(CODE "execute_process(COMMAND ${CMAKE_OBJCOPY} --remove-section=.comment --remove-section=.note
  \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/ombrisal\" COMMAND_ERROR_IS_FATAL ANY)")
install(FILES ${PROJECT_SOURCE_DIR}/resources/Init.ini DESTINATION ${OMBRISAL_SHARE})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/resources/help/ DESTINATION ${OMBRISAL_SHARE}/help)
install(FILES ${PROJECT_SOURCE_DIR}/resources/desktop/${OMBRISAL_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_BINARY_DIR}/${OMBRISAL_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/ombrisal.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
# (The PNGs are the SVG rendered by rsvg-convert of librsvg2-bin.)
foreach(size 48 64 128 256)
  install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/ombrisal-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME ombrisal.png)
endforeach()
install(FILES ${PROJECT_BINARY_DIR}/ombrisal.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_SOURCE_DIR}/resources/debian/copyright ${PROJECT_BINARY_DIR}/changelog.Debian.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/ombrisal)
install(FILES ${PROJECT_SOURCE_DIR}/resources/debian/lintian-overrides
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME ombrisal)
install(FILES ${PROJECT_SOURCE_DIR}/resources/completion/ombrisal
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
install(FILES ${PROJECT_SOURCE_DIR}/resources/systemd/ombrisal@.service DESTINATION lib/systemd/system)

# The Debian package.  Its dependencies are those of the libraries the
# program is linked with (dpkg-shlibdeps, from dpkg-dev; the script engine's
# libqt6qml6 among them); the platform plugins come with libqt6gui6.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ombrisal)
set(CPACK_PACKAGE_VENDOR "Ombrisal developers")
set(CPACK_PACKAGE_CONTACT "Ombrisal developers <maintainers@ombrisal.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "programmable controller on a serial computer link, simulated")
# (One line of the control file each; CPackDeb indents them.)
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "Ombrisal plays the part of a programmable controller on a serial line."
  "A PC program that talks to a controller through the serial computer-link"
  "protocol (formats 1-4, ACPU and AnACPU command sets, sum check, NAK error"
  "codes) is developed and debugged against it instead of real hardware."
  "It shows device memory in windows where it is watched and edited, and"
  "serves headless on a serial device, a virtual port or a TCP line for"
  "automated tests (ombrisal --serve).")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_OUTPUT_FILE_PREFIX ${PROJECT_BINARY_DIR}/package)
# Stripped, its debug symbols kept apart in ombrisal-dbgsym (a .ddeb beside
# the .deb, found by the build ID).  The changelog's first entry is this
# version and revision (a test checks it).
set(CPACK_STRIP_FILES OFF)
set(CPACK_DEBIAN_DEBUGINFO_PACKAGE ON)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
# systemd learns of the unit template when the package comes and goes.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/resources/debian/postinst
    ${PROJECT_SOURCE_DIR}/resources/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The window's Japanese text and the fonts settings name.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-ipafont-gothic | fonts-noto-cjk")
# Qt's own dialogs and menus (file, colour and font choosers, the text
# fields' menu) in Japanese; joined to the libraries found by shlibdeps.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS socat)
include(CPack)

# The manual page covers every option of --help, and groff reads it
# without a warning.  The desktop entry and the AppStream metadata are
# checked where their validators are installed (desktop-file-utils,
# appstream).
if(OMBRISAL_BUILD_TESTS)
  add_test(NAME DebianChangelogIsOfThisVersion
    COMMAND sh -c "head -n 1 \"$1\" | grep -qF \"ombrisal ($2-$3) \" || { echo \"$1 does not begin with version $2-$3\"; exit 1; }"
            sh ${PROJECT_SOURCE_DIR}/resources/debian/changelog ${PROJECT_VERSION} ${CPACK_DEBIAN_PACKAGE_RELEASE})
  add_test(NAME ManualPageCoversEveryOption
    COMMAND sh ${PROJECT_SOURCE_DIR}/tests/manual_page_test.sh $<TARGET_FILE:ombrisal> ${PROJECT_BINARY_DIR}/ombrisal.1)
  find_program(OMBRISAL_DESKTOP_FILE_VALIDATE desktop-file-validate)
  if(OMBRISAL_DESKTOP_FILE_VALIDATE)
    add_test(NAME DesktopEntryIsValid COMMAND ${OMBRISAL_DESKTOP_FILE_VALIDATE}
      ${PROJECT_SOURCE_DIR}/resources/desktop/${OMBRISAL_APP_ID}.desktop)
    # (It prints its findings and still exits 0 on some of them.)
    set_tests_properties(DesktopEntryIsValid PROPERTIES FAIL_REGULAR_EXPRESSION "error|warning")
  endif()
  find_program(OMBRISAL_APPSTREAMCLI appstreamcli)
  if(OMBRISAL_APPSTREAMCLI)
    add_test(NAME AppStreamMetadataIsValid COMMAND ${OMBRISAL_APPSTREAMCLI} validate --no-net --pedantic
      ${PROJECT_BINARY_DIR}/${OMBRISAL_APP_ID}.metainfo.xml)
  endif()
endif()
