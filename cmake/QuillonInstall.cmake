# The install tree and the Debian package: both programs, the desktop entry with its MAP file type,
# the program's icon in every drawn size, and the manual pages of both programs made from their --help.
include(GNUInstallDirs)

install(TARGETS quillon quillon-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_SOURCE_DIR}/packaging/quillon.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/quillon-mime.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME quillon.xml)
foreach(size 16 32 48 64 128 256)
  install(FILES ${CMAKE_SOURCE_DIR}/src/controls/icons/quillon_${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME quillon.png)
endforeach()

# Made from each program's own help text, so that they list every command, option and exit code the
# programs have: quillon-cli(1) and quillon(1), the window's options (quillon --help needs no display).
string(TIMESTAMP QUILLON_MAN_DATE "%Y-%m-%d" UTC)
set(QUILLON_MAN_PAGES)
function(quillon_man_page program summary)
  set(page ${CMAKE_BINARY_DIR}/man/${program}.1.gz)
  add_custom_command(
    OUTPUT ${page}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
    COMMAND sh -c "set -e; \"$1\" --help | awk -v program=\"$2\" -v summary=\"$3\" -v version=\"$4\" -v date=\"$5\" -f \"$6\" | gzip -9n > \"$7\""
            sh $<TARGET_FILE:${program}> ${program} ${summary} ${PROJECT_VERSION} ${QUILLON_MAN_DATE}
            ${CMAKE_SOURCE_DIR}/packaging/help-to-man.awk ${page}
    DEPENDS ${program} ${CMAKE_SOURCE_DIR}/packaging/help-to-man.awk
    COMMENT "Writing the manual page of ${program} from its --help"
    VERBATIM)
  set(QUILLON_MAN_PAGES ${QUILLON_MAN_PAGES} ${page} PARENT_SCOPE)
endfunction()
quillon_man_page(quillon-cli "report, compare and check the compiled code size of each unit of a Delphi project")
quillon_man_page(quillon "show how much compiled code each unit of a Delphi project contributes")
add_custom_target(quillon_man_page ALL DEPENDS ${QUILLON_MAN_PAGES})
install(FILES ${QUILLON_MAN_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

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
