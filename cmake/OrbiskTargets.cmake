# orbisk_library(<name> [DIR <folder>] [DEPS <targets>...])
# A static library of every .cpp directly in DIR (default: the current folder).
# A folder with no sources yet gives an INTERFACE library, so dependants link
# against it unchanged as the folder fills.
function(orbisk_library name)
  cmake_parse_arguments(ARG "" "DIR" "DEPS" ${ARGN})
  if(NOT ARG_DIR)
    set(ARG_DIR ${CMAKE_CURRENT_SOURCE_DIR})
  endif()
  file(GLOB sources CONFIGURE_DEPENDS ${ARG_DIR}/*.cpp)
  if(sources)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${ARG_DEPS})
  endif()
endfunction()

# orbisk_test_suite(<name> [QT] LIBS <targets>...)
# One test executable of every *_test.cpp in the current folder. QT gives it a
# main that creates a QApplication (tests run on the offscreen platform).
function(orbisk_test_suite name)
  cmake_parse_arguments(ARG "QT" "" "LIBS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_test.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  if(ARG_QT)
    target_link_libraries(${name} PRIVATE orbisk_test_main_qt)
  else()
    target_link_libraries(${name} PRIVATE orbisk_test_main)
  endif()
  target_link_libraries(${name} PRIVATE orbisk_test_support ${ARG_LIBS})
  # scripts/test-shuffled runs the suites from this list, with their data.
  file(APPEND ${CMAKE_BINARY_DIR}/test_suites.txt "${name} ${CMAKE_CURRENT_SOURCE_DIR}/data\n")
  # Cases are named by their generators; the values would only add byte dumps.
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    # Listing the tests starts the program: slow under ThreadSanitizer on a
    # loaded machine.
    DISCOVERY_TIMEOUT 120
    NO_PRETTY_VALUES
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;ORBISK_TEST_DATA=${CMAKE_CURRENT_SOURCE_DIR}/data")
endfunction()

# orbisk_benchmark(<name> <source> LIBS <targets>...)
function(orbisk_benchmark name source)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  add_executable(${name} ${source})
  target_link_libraries(${name} PRIVATE benchmark::benchmark benchmark::benchmark_main ${ARG_LIBS})
endfunction()
