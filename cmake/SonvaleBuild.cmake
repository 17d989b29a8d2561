# Shared build settings: one INTERFACE target that every target links, the test helper and the
# check that keeps the Qt-free floors free of Qt; the include layering of the application folders.

set(CMAKE_CXX_STANDARD 20)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)
set(CMAKE_EXPORT_COMPILE_COMMANDS ON)
if(NOT CMAKE_BUILD_TYPE)
  set(CMAKE_BUILD_TYPE RelWithDebInfo CACHE STRING "" FORCE)
endif()

find_program(SONVALE_CCACHE ccache)
if(SONVALE_CCACHE)
  set(CMAKE_C_COMPILER_LAUNCHER ${SONVALE_CCACHE})
  set(CMAKE_CXX_COMPILER_LAUNCHER ${SONVALE_CCACHE})
endif()

# Sanitized builds of the whole tree: -DSONVALE_SANITIZE=address,undefined
set(SONVALE_SANITIZE "" CACHE STRING "Comma-separated sanitizers to build with")

add_library(sonvale_common INTERFACE)
target_compile_features(sonvale_common INTERFACE cxx_std_20)
target_include_directories(sonvale_common INTERFACE ${PROJECT_SOURCE_DIR})
# Frame pointers keep the crash engine's stack walk honest in our own code. Aggregates are built
# with designated initializers that leave the other members at their defaults on purpose, which
# -Wextra would report member by member.
target_compile_options(sonvale_common INTERFACE -Wall -Wextra -Wno-missing-field-initializers -Wpedantic
                                                -fno-omit-frame-pointer)
if(SONVALE_SANITIZE)
  target_compile_options(sonvale_common INTERFACE -fsanitize=${SONVALE_SANITIZE} -fno-sanitize-recover=all)
  target_link_options(sonvale_common INTERFACE -fsanitize=${SONVALE_SANITIZE})
endif()

# Qt targets additionally get the strict string and connect rules.
add_library(sonvale_qt_common INTERFACE)
target_link_libraries(sonvale_qt_common INTERFACE sonvale_common)
target_compile_definitions(sonvale_qt_common INTERFACE
  QT_NO_CAST_FROM_ASCII QT_NO_CONTEXTLESS_CONNECT QT_NO_KEYWORDS)

# sonvale_add_test(<target> LABEL <label> SOURCES <files...> LIBS <targets...> [MAIN <target>])
# One GoogleTest executable; each test case becomes its own CTest entry carrying the label of the
# floor it tests, so `ctest -L engine` runs one floor. MAIN names the library that supplies main()
# (GoogleTest's own by default; Qt tests use one that makes the QApplication first).
include(GoogleTest)
function(sonvale_add_test name)
  cmake_parse_arguments(T "" "LABEL;TIMEOUT;MAIN" "SOURCES;LIBS" ${ARGN})
  if(NOT T_LABEL)
    message(FATAL_ERROR "sonvale_add_test(${name}): LABEL is required")
  endif()
  if(NOT T_MAIN)
    set(T_MAIN GTest::gtest_main)
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE sonvale_common sonvale_testsupport GTest::gtest GTest::gmock
    ${T_MAIN} ${T_LIBS})
  # Where the sources and the build are, for tests that need fixtures or built executables.
  target_compile_definitions(${name} PRIVATE
    SONVALE_SOURCE_DIR="${PROJECT_SOURCE_DIR}" SONVALE_BUILD_DIR="${PROJECT_BINARY_DIR}")
  # Telemetry from tests goes to a closed loopback port unless a test runs a collector of its own.
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    PROPERTIES LABELS ${T_LABEL} TIMEOUT ${T_TIMEOUT} ENVIRONMENT QT_QPA_PLATFORM=offscreen
      ENVIRONMENT_MODIFICATION SONVALE_TELEMETRY_URL=set:http://127.0.0.1:9)
endfunction()

# sonvale_require_qt_free(<target>...): fails the configure step when one of these targets reaches
# a Qt library through its link interface.
function(_sonvale_collect_links target out)
  set(seen ${${out}})
  if(target IN_LIST seen OR NOT TARGET ${target})
    set(${out} ${seen} PARENT_SCOPE)
    return()
  endif()
  list(APPEND seen ${target})
  get_target_property(libs ${target} LINK_LIBRARIES)
  get_target_property(ilibs ${target} INTERFACE_LINK_LIBRARIES)
  foreach(lib IN LISTS libs ilibs)
    if(lib AND NOT lib MATCHES "NOTFOUND$" AND NOT lib MATCHES "^\\$<")
      if(lib MATCHES "^Qt[0-9]*::" OR lib MATCHES "libQt[0-9]")
        list(APPEND seen "QT:${lib}")
      else()
        _sonvale_collect_links(${lib} seen)
      endif()
    endif()
  endforeach()
  set(${out} ${seen} PARENT_SCOPE)
endfunction()

function(sonvale_require_qt_free)
  foreach(target IN LISTS ARGN)
    set(reached "")
    _sonvale_collect_links(${target} reached)
    foreach(item IN LISTS reached)
      if(item MATCHES "^QT:")
        message(FATAL_ERROR "${target} must stay free of Qt but links ${item}")
      endif()
    endforeach()
  endforeach()
endfunction()

include(${CMAKE_CURRENT_LIST_DIR}/SonvaleIncludeLayering.cmake)
