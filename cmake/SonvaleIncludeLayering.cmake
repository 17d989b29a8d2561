# The include layering of folders that share one floor: a checked folder includes from another
# checked folder only when its own libraries link that folder's libraries directly. So a control
# never includes a window, a window includes another window only when it opens it (and links it),
# the launch folder only the main window, and platform/tqkit-ui nothing of app/. Every include of
# app/ must name one of its folders.
#
# Used twice: by sonvale_require_include_layering() at configure time, and as a script by the
# IncludeLayering test, which catches an include added after the last configure:
#   cmake -DSOURCE_DIR=<repo> -DLAYERING=<build>/IncludeLayering.cmake -P SonvaleIncludeLayering.cmake
# LAYERING holds SONVALE_LAYERING_FOLDERS and, for each folder, SONVALE_LAYERING_USES_<id>: the
# checked folders it links (its C identifier as <id>).

if(CMAKE_SCRIPT_MODE_FILE)
  cmake_minimum_required(VERSION 3.25)
endif()

# Sets `out` to one line per include that breaks the layering, empty when there is none.
function(sonvale_include_layering_violations source_dir out)
  set(violations "")
  file(GLOB stray RELATIVE ${source_dir} ${source_dir}/app/*.h ${source_dir}/app/*.cpp)
  foreach(file IN LISTS stray)
    list(APPEND violations "${file}: belongs in the folder of its window or in app/controls")
  endforeach()
  foreach(folder IN LISTS SONVALE_LAYERING_FOLDERS)
    string(MAKE_C_IDENTIFIER "${folder}" id)
    set(uses ${folder} ${SONVALE_LAYERING_USES_${id}})
    file(GLOB_RECURSE files RELATIVE ${source_dir} ${source_dir}/${folder}/*.h ${source_dir}/${folder}/*.cpp)
    foreach(file IN LISTS files)
      file(STRINGS ${source_dir}/${file} includes REGEX "^#include \"")
      foreach(line IN LISTS includes)
        string(REGEX REPLACE "^#include \"([^\"]*)\".*" "\\1" header "${line}")
        set(owner "")
        foreach(candidate IN LISTS SONVALE_LAYERING_FOLDERS)
          if(header MATCHES "^${candidate}/")
            set(owner ${candidate})
          endif()
        endforeach()
        if(owner STREQUAL "" AND header MATCHES "^app/")
          list(APPEND violations "${file}: ${header} is in no folder of app/")
        elseif(NOT owner STREQUAL "" AND NOT owner IN_LIST uses)
          list(APPEND violations "${file}: includes ${header}, but ${folder} does not link ${owner}")
        endif()
      endforeach()
    endforeach()
  endforeach()
  set(${out} ${violations} PARENT_SCOPE)
endfunction()

function(_sonvale_fail_on_layering_violations violations)
  if(violations)
    list(JOIN violations "\n  " lines)
    message(FATAL_ERROR "Includes across the layering:\n  ${lines}")
  endif()
endfunction()

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  include(${LAYERING})
  sonvale_include_layering_violations(${SOURCE_DIR} violations)
  _sonvale_fail_on_layering_violations("${violations}")
  return()
endif()

# sonvale_require_include_layering(<folder>...): records which of these folders each one links
# directly (through the targets its CMakeLists defines), fails the configure step on an include across
# that layering and adds the IncludeLayering test. Call it once all these folders are added.
function(sonvale_require_include_layering)
  set(file ${PROJECT_BINARY_DIR}/IncludeLayering.cmake)
  set(content "set(SONVALE_LAYERING_FOLDERS \"${ARGN}\")\n")
  foreach(folder IN LISTS ARGN)
    get_property(targets DIRECTORY ${PROJECT_SOURCE_DIR}/${folder} PROPERTY BUILDSYSTEM_TARGETS)
    set(reached "")
    foreach(target IN LISTS targets)
      get_target_property(links ${target} LINK_LIBRARIES)
      get_target_property(interface_links ${target} INTERFACE_LINK_LIBRARIES)
      list(APPEND reached ${links} ${interface_links})
    endforeach()
    set(uses "")
    foreach(other IN LISTS ARGN)
      get_property(other_targets DIRECTORY ${PROJECT_SOURCE_DIR}/${other} PROPERTY BUILDSYSTEM_TARGETS)
      foreach(target IN LISTS other_targets)
        if(NOT other STREQUAL folder AND target IN_LIST reached AND NOT other IN_LIST uses)
          list(APPEND uses ${other})
        endif()
      endforeach()
    endforeach()
    string(MAKE_C_IDENTIFIER "${folder}" id)
    string(APPEND content "set(SONVALE_LAYERING_USES_${id} \"${uses}\")\n")
  endforeach()
  file(WRITE ${file} "${content}")

  include(${file})
  sonvale_include_layering_violations(${PROJECT_SOURCE_DIR} violations)
  _sonvale_fail_on_layering_violations("${violations}")

  add_test(NAME IncludeLayering
    COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${PROJECT_SOURCE_DIR} -DLAYERING=${file}
      -P ${CMAKE_CURRENT_FUNCTION_LIST_FILE})
  set_tests_properties(IncludeLayering PROPERTIES LABELS app)
endfunction()
