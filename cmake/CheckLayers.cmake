# The layers, checked by every build (cmake -DSOURCE_DIR=... -P CheckLayers.cmake). Every folder of the product
# is a unit that includes itself and the units it names below, and nothing else; a unit names only units listed
# before it, so the includes between folders never make a cycle. The build holds the same lines a second way: a
# target sees on its include path only the folders of the libraries it links (hs_publish in CMakeLists.txt).
#
#   portable   platform/ports  the interfaces of the platform services
#              (linux/com)     the Linux edition's COM layer, which com/ComTypes.h alone includes, beneath com
#              core            the entry model: keys, entries, the tree
#              settings search operations com   the settings, the search, export and import, the COM server
#              presenter       the main view's presenter and its use cases
#   platform   caches          readers of the browsers' own disk caches: over the ports and the entry model only
#              linux           the Linux edition's stores, shell and HTTP layer: no Qt, nothing of the bar or host
#              qt, qt/module   the bar's Qt view and the module that carries it
#              browser         the host browser: it sees the bar through the bar's public header only
#              win32           the Windows edition
#   programs   apps/...        the command line (no Qt), the window program, make-cache; packaging's tools
#
# Includes without a folder name a file beside the includer or generated for its library. The portable units
# include only the standard library besides, but com/ComTypes.h, which maps the COM types to the system's headers
# or to the Linux edition's COM layer; the Linux edition's services and the cache readers include no Qt. Nothing
# includes apps/ but apps/, nor tests/ but tests/ (which the check leaves free). A file that breaks a rule fails
# the build, named with its line.
cmake_policy(VERSION 3.25)
set(failures "")

# The units from the bottom up, and what each may include besides itself: units, or single headers of a unit.
set(units platform/ports platform/linux/com core settings search operations com presenter
          platform/caches platform/linux platform/qt platform/qt/module platform/browser
          platform/win32 apps/hoardscope apps/hoardscope/window apps/hoardscope/win32 apps/make-cache
          packaging/windows)
set(portable_units platform/ports core settings search operations com presenter)
set(no_qt_units platform/caches platform/linux/com platform/linux)

set(uses_platform/ports "")
set(uses_core platform/ports)
set(uses_settings core platform/ports)
set(uses_search core platform/ports)
set(uses_operations core platform/ports)
set(uses_com core platform/ports)
set(uses_presenter settings search operations core platform/ports)
set(uses_platform/caches core platform/ports)
set(uses_platform/linux/com platform/ports)
set(uses_platform/linux platform/linux/com com core platform/ports)
set(uses_platform/qt platform/linux platform/linux/com presenter settings search com core platform/ports)
set(uses_platform/qt/module platform/qt platform/linux platform/linux/com platform/caches presenter settings search
                            com core platform/ports)
set(uses_platform/browser platform/qt/BarView.h platform/linux platform/linux/com platform/caches com core
                          platform/ports)
set(uses_platform/win32 platform/caches presenter settings search operations com core platform/ports)
set(uses_apps/hoardscope platform/win32 platform/linux platform/caches presenter settings search operations com core
                         platform/ports)
set(uses_apps/hoardscope/window apps/hoardscope platform/browser platform/qt/BarView.h platform/qt/ViewNotifier.h
                                platform/linux platform/linux/com platform/caches com core platform/ports)
set(uses_apps/hoardscope/win32 apps/hoardscope platform/win32 core platform/ports)
set(uses_apps/make-cache platform/linux platform/caches core platform/ports)
set(uses_packaging/windows platform/linux com core platform/ports)
# What a single file may include besides what its unit may.
set(uses_com/ComTypes.h platform/linux/com/ComAbi.h)

# The unit that holds path (a file, or a folder), in variable unit: the longest unit its path starts with; "" when
# none does.
function(hs_unit_of path)
  set(found "")
  foreach(candidate ${units})
    string(LENGTH "${candidate}" length)
    string(LENGTH "${found}" found_length)
    if(path MATCHES "^${candidate}(/|$)" AND length GREATER found_length)
      set(found ${candidate})
    endif()
  endforeach()
  set(unit ${found} PARENT_SCOPE)
endfunction()

# Each unit names only units before it, so that the allowed includes between folders form no cycle.
set(seen "")
foreach(unit_name ${units})
  set(used_by_unit ${uses_${unit_name}})
  if(unit_name STREQUAL "com")
    list(APPEND used_by_unit ${uses_com/ComTypes.h})
  endif()
  foreach(used ${used_by_unit})
    hs_unit_of(${used})
    if(NOT unit IN_LIST seen)
      list(APPEND failures "cmake/CheckLayers.cmake: ${unit_name} uses ${used}, which is not below it")
    endif()
  endforeach()
  list(APPEND seen ${unit_name})
endforeach()

# Whether a file of unit owner (named name) may include the file at path, in variable allowed.
function(hs_include_allowed owner name path)
  hs_unit_of(${path})
  set(allowed FALSE)
  if(unit STREQUAL owner OR unit IN_LIST uses_${owner} OR path IN_LIST uses_${owner} OR path IN_LIST uses_${name})
    set(allowed TRUE)
  elseif(unit STREQUAL "" AND NOT path MATCHES "^(apps|tests)/")
    set(allowed TRUE)  # a folder outside the units: the generated declarations' own
  endif()
  set(allowed ${allowed} PARENT_SCOPE)
endfunction()

# Whether a file of unit owner (named name) may include the system header header, in variable allowed.
function(hs_system_include_allowed owner name header)
  set(allowed TRUE)
  if(owner IN_LIST portable_units AND NOT name STREQUAL "com/ComTypes.h" AND NOT header MATCHES "^[a-z0-9_]+$")
    set(allowed FALSE)  # the standard library only
  elseif(owner IN_LIST no_qt_units AND header MATCHES "^Q")
    set(allowed FALSE)
  endif()
  set(allowed ${allowed} PARENT_SCOPE)
endfunction()

function(hs_check_unit folder)
  file(GLOB_RECURSE files ${SOURCE_DIR}/${folder}/*.h ${SOURCE_DIR}/${folder}/*.cpp)
  foreach(file ${files})
    file(RELATIVE_PATH name ${SOURCE_DIR} ${file})
    hs_unit_of(${name})
    set(owner ${unit})
    file(STRINGS ${file} lines REGEX "^[ \t]*#[ \t]*include")
    foreach(line ${lines})
      set(allowed TRUE)
      if(line MATCHES "\"([^\"]+/[^\"/]+)\"")
        hs_include_allowed(${owner} ${name} ${CMAKE_MATCH_1})
      elseif(line MATCHES "<([^>]+)>")
        hs_system_include_allowed(${owner} ${name} ${CMAKE_MATCH_1})
      endif()
      if(NOT allowed)
        string(STRIP "${line}" line)
        list(APPEND failures "${name}: ${line}")
      endif()
    endforeach()
  endforeach()
  set(failures "${failures}" PARENT_SCOPE)
endfunction()

foreach(folder core settings search operations com presenter platform apps packaging)
  hs_check_unit(${folder})
endforeach()

if(failures)
  list(JOIN failures "\n  " text)
  message(FATAL_ERROR "Includes against the layers:\n  ${text}")
endif()
