# The layers, checked by every build (cmake -DSOURCE_DIR=... -P CheckLayers.cmake). The portable folders point one
# way, each including the standard library, itself and the folders below it only:
#
#   presenter                          the main view's presenter and its use cases
#   settings  search  operations  com  the settings, the search, export and import, the COM server
#   core                               the entry model: keys, entries, the tree
#   platform/ports                     the interfaces of the platform services
#
# Includes without a folder name a file beside the includer or generated for its library; com/ComTypes.h alone
# maps the COM types to the system's headers or to the Linux edition's ABI layer. Nothing under platform/
# includes apps/ or tests/. A file that breaks a rule fails the build, named with its line.
cmake_policy(VERSION 3.25)
set(failures "")

set(below_platform/ports "")
set(below_core platform/ports)
set(below_settings core platform/ports)
set(below_search core platform/ports)
set(below_operations core platform/ports)
set(below_com core platform/ports)
set(below_presenter settings search operations core platform/ports)

# The portable folder whose layer name's includes follow, in variable layer; "" for a platform file.
function(hs_layer_of name)
  set(layer "")
  foreach(folder platform/ports core settings search operations com presenter)
    if(name MATCHES "^${folder}/")
      set(layer ${folder})
    endif()
  endforeach()
  set(layer ${layer} PARENT_SCOPE)
endfunction()

# Whether a portable file of layer may include line.
function(hs_portable_include_allowed layer name line)
  set(allowed FALSE)
  if(name STREQUAL "com/ComTypes.h" OR line MATCHES "\"[^\"/]+\"")
    set(allowed TRUE)
  elseif(line MATCHES "\"([^\"]+)/[^\"/]+\"")
    set(folder ${CMAKE_MATCH_1})
    if("${folder}" STREQUAL "${layer}" OR folder IN_LIST below_${layer})
      set(allowed TRUE)
    endif()
  elseif(line MATCHES "<[a-z0-9_]+>")
    set(allowed TRUE)  # the standard library
  endif()
  set(allowed ${allowed} PARENT_SCOPE)
endfunction()

function(hs_check_includes folder)
  file(GLOB_RECURSE files ${SOURCE_DIR}/${folder}/*.h ${SOURCE_DIR}/${folder}/*.cpp)
  foreach(file ${files})
    file(RELATIVE_PATH name ${SOURCE_DIR} ${file})
    hs_layer_of(${name})
    file(STRINGS ${file} lines REGEX "^[ \t]*#[ \t]*include")
    foreach(line ${lines})
      set(allowed TRUE)
      if(line MATCHES "\"(apps|tests)/")
        set(allowed FALSE)
      elseif(layer)
        hs_portable_include_allowed(${layer} ${name} "${line}")
      endif()
      if(NOT allowed)
        string(STRIP "${line}" line)
        list(APPEND failures "${name}: ${line}")
      endif()
    endforeach()
  endforeach()
  set(failures "${failures}" PARENT_SCOPE)
endfunction()

foreach(folder core settings search operations com presenter platform)
  hs_check_includes(${folder})
endforeach()

if(failures)
  list(JOIN failures "\n  " text)
  message(FATAL_ERROR "Includes against the layers:\n  ${text}")
endif()
