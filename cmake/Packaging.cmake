# Installation and `make package`: the Debian package vornix_VERSION_amd64.deb. Its
# dependencies come from dpkg-shlibdeps; the program is installed without a build-tree RPATH
# and stripped, so no installed file names the build tree.
include(GNUInstallDirs)

set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(VORNIX_INSTALLED_PROGRAM ${CPACK_PACKAGING_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/vornix)

install(TARGETS vornix RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY share/demo/ DESTINATION ${CMAKE_INSTALL_DATADIR}/vornix/demo)
# The page that shows the WebSocket touch feed (--websocket) in a browser.
install(FILES share/web/touches.html DESTINATION ${CMAKE_INSTALL_DATADIR}/vornix/web)
install(FILES share/desktop/vornix.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES share/desktop/vornix.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
# udev and systemd read these below /usr/lib, never below a multiarch library folder.
install(FILES share/udev/60-vornix-uinput.rules DESTINATION lib/udev/rules.d)
configure_file(share/systemd/vornix.service.in vornix.service @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/vornix.service DESTINATION lib/systemd/user)

# The manual page, from --help and --version. A sanitizer build skips it: running its program
# at build time would stop the build at the first report.
find_program(HELP2MAN_EXECUTABLE help2man)
if(HELP2MAN_EXECUTABLE AND NOT VORNIX_SANITIZE)
  # The UTF-8 locale keeps the Chinese file and button names, which the C locale would turn into "?".
  add_custom_command(OUTPUT vornix.1.gz
    COMMAND ${HELP2MAN_EXECUTABLE} --no-info --section=1 --locale=C.UTF-8
            "--name=turn a camera watching a projected surface into pointer input"
            --include=${PROJECT_SOURCE_DIR}/share/man/vornix.h2m --output=vornix.1 $<TARGET_FILE:vornix>
    COMMAND gzip -9nf vornix.1
    DEPENDS vornix ${PROJECT_SOURCE_DIR}/share/man/vornix.h2m
    COMMENT "Writing the manual page vornix(1)"
    VERBATIM)
  add_custom_target(vornix_manual ALL DEPENDS vornix.1.gz)
  install(FILES ${PROJECT_BINARY_DIR}/vornix.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
elseif(NOT HELP2MAN_EXECUTABLE)
  message(WARNING "help2man is missing (scripts/setup.sh installs it): the package has no manual page")
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vornix)
set(CPACK_PACKAGE_CONTACT "Vornix maintainers <maintainers@vornix.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "camera-based touch driver for interactive projection")
set(CPACK_PACKAGE_DESCRIPTION [[
Vornix watches a projected floor, wall or screen with a camera, finds where someone steps,
points or touches, and turns it into mouse input, serial relay messages or multi-touch
messages. It runs unattended in the desktop session; operators tune it on a
Chinese-language control panel.]])
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The panel's captions are Chinese: without a CJK font every character is a box.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-wqy-zenhei | fonts-noto-cjk")
set(CPACK_STRIP_FILES ON)
include(CPack)
