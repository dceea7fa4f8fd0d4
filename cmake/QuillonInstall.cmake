# The install tree and the Debian package: both programs, the desktop entry with its MAP file type,
# the program's icon in every drawn size, and the manual page of quillon-cli made from its --help.
include(GNUInstallDirs)

install(TARGETS quillon quillon-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_SOURCE_DIR}/packaging/quillon.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/quillon-mime.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME quillon.xml)
foreach(size 16 32 48 64 128 256)
  install(FILES ${CMAKE_SOURCE_DIR}/src/controls/icons/quillon_${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME quillon.png)
endforeach()

# Made from the program's own help text, so it lists every command, option and exit code it has.
set(QUILLON_MAN_PAGE ${CMAKE_BINARY_DIR}/man/quillon-cli.1.gz)
string(TIMESTAMP QUILLON_MAN_DATE "%Y-%m-%d" UTC)
add_custom_command(
  OUTPUT ${QUILLON_MAN_PAGE}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
  COMMAND sh -c "set -e; \"$1\" --help | awk -v version=\"$2\" -v date=\"$3\" -f \"$4\" | gzip -9n > \"$5\""
          sh $<TARGET_FILE:quillon-cli> ${PROJECT_VERSION} ${QUILLON_MAN_DATE}
          ${CMAKE_SOURCE_DIR}/packaging/help-to-man.awk ${QUILLON_MAN_PAGE}
  DEPENDS quillon-cli ${CMAKE_SOURCE_DIR}/packaging/help-to-man.awk
  COMMENT "Writing the manual page of quillon-cli from its --help"
  VERBATIM)
add_custom_target(quillon_man_page ALL DEPENDS ${QUILLON_MAN_PAGE})
install(FILES ${QUILLON_MAN_PAGE} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_PACKAGE_NAME quillon)
set(CPACK_PACKAGE_VENDOR "Brackwell")
set(CPACK_PACKAGE_CONTACT "Brackwell <quillon@brackwell.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Compiled code size of each unit of a Delphi project, from its MAP file")
set(CPACK_PACKAGE_DESCRIPTION
    "Quillon reads the detailed linker MAP file of a Delphi project and shows how much compiled code\
 each unit contributes to the executable, opened into namespaces, classes and routines.\
 quillon-cli writes the same analysis as a table, CSV or JSON report.")
set(CPACK_PACKAGE_INSTALL_DIRECTORY /usr)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://brackwell.example/quillon")
# The libraries the programs link (Qt, the C++ runtime) become the package's dependencies.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Fusion measures with the fonts it finds; without any font the window has no text.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-core | fonts-freefont-ttf")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
include(CPack)
