# A layer is one folder of src/ built as one library. Its sources are globbed so that a new file
# needs no edit here; a layer without sources yet is an interface library. A file named ...Posix.cpp
# or ...Windows.cpp holds one system's side of an interface and is built on that system only.
function(quillon_layer name dir)
  cmake_parse_arguments(L "" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS
    ${CMAKE_SOURCE_DIR}/${dir}/*.cpp ${CMAKE_SOURCE_DIR}/${dir}/*.h ${CMAKE_SOURCE_DIR}/${dir}/*.qrc)
  list(FILTER sources EXCLUDE REGEX "/main\\.cpp$")
  if(WIN32)
    list(FILTER sources EXCLUDE REGEX "Posix\\.cpp$")
  else()
    list(FILTER sources EXCLUDE REGEX "Windows\\.cpp$")
  endif()
  set(compiled ${sources})
  list(FILTER compiled INCLUDE REGEX "\\.cpp$")
  if(compiled)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR}/src)
    target_link_libraries(${name} PUBLIC ${L_DEPS})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${CMAKE_SOURCE_DIR}/src)
    target_link_libraries(${name} INTERFACE ${L_DEPS})
  endif()
endfunction()

# The real MAP files and executables the tests read when they are there; a worktree elsewhere names it.
set(QUILLON_CORPUS_DIR "${CMAKE_SOURCE_DIR}/../shared/corpus" CACHE PATH "The corpus of real MAP files and executables")

# Cross-built for Windows, the tests run under Wine, whose drive Z: is the Unix root: paths written
# with it stay whole when a test has moved the current folder to another drive.
set(QUILLON_TEST_PATH_PREFIX "")
if(CMAKE_CROSSCOMPILING AND WIN32)
  set(QUILLON_TEST_PATH_PREFIX "Z:")
endif()

# One test program per layer: every tests/<layer>/*.cpp, the shared test main, and GoogleTest.
function(quillon_layer_tests name dir)
  cmake_parse_arguments(T "WIDGETS" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.h)
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources} ${CMAKE_CURRENT_SOURCE_DIR}/support/TestMain.cpp)
  target_include_directories(${name} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${T_DEPS} GTest::gtest GTest::gmock Qt6::Test)
  if(WIN32)
    target_link_libraries(${name} PRIVATE psapi)
  endif()
  if(T_WIDGETS)
    target_compile_definitions(${name} PRIVATE QUILLON_TEST_WIDGETS)
    target_link_libraries(${name} PRIVATE Qt6::Widgets)
  endif()
  target_compile_definitions(${name} PRIVATE
    QUILLON_SOURCE_DIR="${QUILLON_TEST_PATH_PREFIX}${CMAKE_SOURCE_DIR}"
    QUILLON_CORPUS_DIR="${QUILLON_TEST_PATH_PREFIX}${QUILLON_CORPUS_DIR}"
    QUILLON_BINARY_DIR="${QUILLON_TEST_PATH_PREFIX}${CMAKE_BINARY_DIR}")
  if(CMAKE_CROSSCOMPILING)
    # One test per program: every start of a cross-built program pays for its emulator's start.
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES TIMEOUT 1800)
  else()
    gtest_discover_tests(${name}
      DISCOVERY_MODE PRE_TEST
      DISCOVERY_TIMEOUT 120
      PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 300)
  endif()
endfunction()
