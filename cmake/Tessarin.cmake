# One library per source folder, linking the libraries of the folders it may use.
# Linking does not keep the layers: the ctest test "layering" checks the includes against
# the table in docs/ARCHITECTURE.md.
# Static by default, so the application is one file. The sanitizer test builds make them
# shared: some thirty executables each holding a copy of the whole program filled the disk.
option(TESSARIN_SHARED_LIBS "Build the folders' libraries as shared libraries" OFF)
if(TESSARIN_SHARED_LIBS)
  set(TESSARIN_LIBRARY_TYPE SHARED)
else()
  set(TESSARIN_LIBRARY_TYPE STATIC)
endif()

function(tessarin_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} ${TESSARIN_LIBRARY_TYPE} ${ARG_SOURCES})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
endfunction()

# One test executable per source folder, discovered test by test for ctest.
function(tessarin_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES} ${CMAKE_SOURCE_DIR}/tests/support/test_main.cpp)
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} test_support GTest::gtest GTest::gmock)
  # Real files written by other programs, kept outside the repository beside it.
  target_compile_definitions(${name} PRIVATE
    TESSARIN_TESTDATA_DIR="${CMAKE_SOURCE_DIR}/../shared/testdata/vcards")
  set(labels ${ARG_LABELS})
  if(NOT labels)
    set(labels unit)
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 60
    # Tests named *Child* only run inside a child process that a real test starts.
    TEST_FILTER "-*Child*"
    PROPERTIES LABELS "${labels}" ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
    TEST_PREFIX "${name}.")
endfunction()
