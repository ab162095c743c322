# What "cmake --install" and the Debian package put where. The program finds its
# turtle library and its manual from its own location:
#   bin/vantor                      the program and the tools
#   lib/vantor/libturtlegfx.so      private library folder, never on the loader's path
#   share/vantor/vantor.html        the manual Help opens, its pictures in share/vantor/vantor-manual
include(GNUInstallDirs)

install(TARGETS vantor vantor-panel-sim turtle-render RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET vantorctl)
  install(TARGETS vantorctl RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
install(TARGETS turtlegfx LIBRARY DESTINATION lib/vantor NAMELINK_SKIP)
install(FILES ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/vantor.html DESTINATION ${CMAKE_INSTALL_DATADIR}/vantor)
# The manual's pictures, taken by the program at build time (tools/manual-pictures),
# beside it as share/vantor/vantor-manual/*.png.
if(TARGET vantor_manual_pictures)
  install(DIRECTORY ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/vantor-manual/ DESTINATION ${CMAKE_INSTALL_DATADIR}/vantor/vantor-manual
          FILES_MATCHING PATTERN "*.png")
endif()

# Desktop entry, AppStream metainfo, and the program icon drawn at three sizes.
install(FILES ${PROJECT_SOURCE_DIR}/resources/desktop/vantor.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/resources/desktop/org.vantor.Vantor.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
# The MIME types of .kdl and .RIcon files (shared-mime-info), which the desktop entry opens.
install(FILES ${PROJECT_SOURCE_DIR}/resources/desktop/vantor-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
        RENAME vantor.xml)
set(vantor_icon_files)
foreach(size 48 128 256)
  set(out ${CMAKE_BINARY_DIR}/icons/${size}/vantor.png)
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/icons/${size}
    COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen $<TARGET_FILE:draw-pictures> --app-icon ${size} ${out}
    DEPENDS draw-pictures
    COMMENT "Drawing the ${size} px program icon")
  list(APPEND vantor_icon_files ${out})
  install(FILES ${out} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()

# Manual pages and the changelog, compressed without time stamps.
set(vantor_gz_files)
file(GLOB vantor_man_pages ${PROJECT_SOURCE_DIR}/docs/man/*.1)
foreach(page IN LISTS vantor_man_pages)
  get_filename_component(name ${page} NAME)
  string(REGEX REPLACE "\\.1$" "" program ${name})
  if(program STREQUAL "vantorctl" AND NOT TARGET vantorctl)
    continue()
  endif()
  set(out ${CMAKE_BINARY_DIR}/man/${name}.gz)
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
    COMMAND sh -c "gzip -9n < \"$1\" > \"$2\"" gzip ${page} ${out}
    DEPENDS ${page} VERBATIM)
  list(APPEND vantor_gz_files ${out})
  install(FILES ${out} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
set(vantor_changelog ${CMAKE_BINARY_DIR}/doc/changelog.gz)
add_custom_command(OUTPUT ${vantor_changelog}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/doc
  COMMAND sh -c "gzip -9n < \"$1\" > \"$2\"" gzip ${PROJECT_SOURCE_DIR}/docs/changelog ${vantor_changelog}
  DEPENDS ${PROJECT_SOURCE_DIR}/docs/changelog VERBATIM)
list(APPEND vantor_gz_files ${vantor_changelog})
add_custom_target(vantor_install_files ALL DEPENDS ${vantor_icon_files} ${vantor_gz_files})
install(FILES ${PROJECT_SOURCE_DIR}/docs/copyright ${vantor_changelog} DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/vantor)

# The Debian package (scripts/package): dependencies computed by dpkg-shlibdeps;
# the Qt platform plugins are loaded at run time, so they are named here.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vantor)
set(CPACK_PACKAGE_VENDOR "The Vantor developers")
set(CPACK_PACKAGE_CONTACT "Vantor maintainers <maintainers@vantor-panel.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "configurator for the Vantor programmable control panel")
# CPack puts the summary first and indents these lines under it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Vantor finds a Vantor control panel on a serial port, reads its button and
knob definitions and its icons, and stores every change into the panel at
once. It loads and saves key definition (.kdl) and RAM icon (.RIcon) files.
The package also holds vantor-panel-sim, a panel on a pseudo-terminal, and
turtle-render, which draws the program's vector pictures.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
# The udev rule for keyboard mode through /dev/uinput is a package of its own
# (scripts/package-uinput), installed only by those who want it.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "vantor-uinput")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
include(CPack)
