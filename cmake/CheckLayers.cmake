# The layers, checked by every build (cmake -DSOURCE_DIR=... -P CheckLayers.cmake): the portable folders include
# the C++ standard library, each other and platform/ports only (com/ComTypes.h alone maps the COM types to the
# system's headers or to the Linux edition's ABI layer), and nothing under platform/ includes apps/ or tests/.
# A file that breaks a rule fails the build, named with its line.
set(failures "")

function(hs_check_includes folder)
  file(GLOB_RECURSE files ${SOURCE_DIR}/${folder}/*.h ${SOURCE_DIR}/${folder}/*.cpp)
  foreach(file ${files})
    file(RELATIVE_PATH name ${SOURCE_DIR} ${file})
    file(STRINGS ${file} lines REGEX "^[ \t]*#[ \t]*include")
    foreach(line ${lines})
      set(wrong FALSE)
      if(line MATCHES "\"(apps|tests)/")
        set(wrong TRUE)
      elseif(ARGN AND NOT name STREQUAL "com/ComTypes.h")
        # portable code: no platform folder but the ports, no header outside the standard library
        if(line MATCHES "\"platform/" AND NOT line MATCHES "\"platform/ports/")
          set(wrong TRUE)
        elseif(line MATCHES "<[^>]*[./][^>]*>")
          set(wrong TRUE)
        endif()
      endif()
      if(wrong)
        string(STRIP "${line}" line)
        list(APPEND failures "${name}: ${line}")
      endif()
    endforeach()
  endforeach()
  set(failures "${failures}" PARENT_SCOPE)
endfunction()

foreach(folder core settings search operations com platform/ports)
  hs_check_includes(${folder} PORTABLE)
endforeach()
hs_check_includes(platform)

if(failures)
  list(JOIN failures "\n  " text)
  message(FATAL_ERROR "Includes against the layers:\n  ${text}")
endif()
