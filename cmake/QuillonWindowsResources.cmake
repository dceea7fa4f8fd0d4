# The Windows resources of both programs, compiled by the MinGW resource compiler: the program's
# icon (drawn beside the Linux one by src/controls/icons/GenerateStandardIcons.cpp), the version
# information from the project's version, and the application manifest. The RC language is
# enabled at the top, beside the project.

set(QUILLON_PUBLISHER "Brackwell")
# \251 is the copyright sign in the resource compiler's default code page, 1252.
set(QUILLON_COPYRIGHT "Copyright \\251 2026 Brackwell")

function(quillon_windows_resources target description)
  set(QUILLON_RC_DESCRIPTION "${description}")
  set(QUILLON_RC_INTERNAL_NAME "${target}")
  set(QUILLON_RC_FILE_NAME "${target}.exe")
  set(QUILLON_RC_ICON "${CMAKE_SOURCE_DIR}/src/controls/icons/quillon.ico")
  set(QUILLON_RC_MANIFEST "${CMAKE_SOURCE_DIR}/packaging/windows/quillon.manifest")
  set(rc ${CMAKE_BINARY_DIR}/generated/${target}.rc)
  configure_file(${CMAKE_SOURCE_DIR}/packaging/windows/quillon.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
  # windres does not see what the icon and the manifest are made of.
  set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS "${QUILLON_RC_ICON};${QUILLON_RC_MANIFEST}")
endfunction()

quillon_windows_resources(quillon "Quillon: the compiled code size of each unit of a Delphi project")
quillon_windows_resources(quillon-cli "Quillon command line: size reports of a Delphi project's units")
