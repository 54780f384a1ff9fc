# Generates the Linux edition's dispatch tables from the type library's interface definition (cmake -P):
#   cmake -DIDL=Hoardscope.idl -DHEADER=Hoardscope_h.h -DOUTPUT=Hoardscope_dispatch.h -P IdlDispatch.cmake
# The output names the library, its coclasses and, for every dual interface, its members with their DISPIDs and
# parameter names, and a function that calls a member through the interface's method table. It reads the style
# the definition keeps: attribute blocks on lines of their own, each method on one line, parameters
# "[in] VARIANT Name".

# CMake lists treat "[", "]" and ";" specially: they are read as "<", ">" and "<SEMI>".
file(READ "${IDL}" content)
string(REPLACE "[" "<" content "${content}")
string(REPLACE "]" ">" content "${content}")
string(REPLACE ";" "<SEMI>" content "${content}")
string(REPLACE "\n" ";" lines "${content}")

set(in_attributes FALSE)
set(attributes "")
set(interface "")
set(library_name "")
set(coclasses "")
set(interfaces "")

function(attribute_value list name out)
  set(value "")
  foreach(item IN LISTS list)
    if(item MATCHES "^${name}\\((.*)\\),?$")
      set(value "${CMAKE_MATCH_1}")
    endif()
  endforeach()
  set(${out} "${value}" PARENT_SCOPE)
endfunction()

foreach(raw IN LISTS lines)
  string(STRIP "${raw}" line)
  if(line MATCHES "^//" OR line STREQUAL "")
    continue()
  endif()
  if(line STREQUAL "<")
    set(in_attributes TRUE)
    set(attributes "")
    continue()
  endif()
  if(line STREQUAL ">")
    set(in_attributes FALSE)
    continue()
  endif()
  if(in_attributes)
    string(REGEX REPLACE ",$" "" item "${line}")
    list(APPEND attributes "${item}")
    continue()
  endif()

  if(line MATCHES "^library +([A-Za-z0-9_]+)")
    set(library_name "${CMAKE_MATCH_1}")
    attribute_value("${attributes}" helpstring library_help)
    attribute_value("${attributes}" version library_version)
    attribute_value("${attributes}" lcid library_lcid)
  elseif(line MATCHES "^coclass +([A-Za-z0-9_]+)")
    attribute_value("${attributes}" helpstring help)
    string(APPEND coclasses "    {&CLSID_${CMAKE_MATCH_1}, \"${CMAKE_MATCH_1}\", ${help}},\n")
  elseif(line MATCHES "^interface +([A-Za-z0-9_]+) *: *IDispatch")
    list(FIND attributes dual dual_at)
    if(dual_at LESS 0)
      message(FATAL_ERROR "${IDL}: ${CMAKE_MATCH_1} is not dual; only dual interfaces are dispatched")
    endif()
    set(interface "${CMAKE_MATCH_1}")
    set(members "")
    set(calls "")
    set(parameter_lists "")
    set(member_count 0)
  elseif(interface AND line MATCHES "^<id\\(([0-9A-Fa-fx]+)\\)> +HRESULT +([A-Za-z0-9_]+)\\((.*)\\)<SEMI>$")
    math(EXPR dispid "${CMAKE_MATCH_1}")
    set(method "${CMAKE_MATCH_2}")
    set(parameters "${CMAKE_MATCH_3}")
    set(names "")
    set(arguments "")
    set(count 0)
    if(NOT parameters STREQUAL "void" AND NOT parameters STREQUAL "")
      string(REPLACE "," ";" parameter_items "${parameters}")
      foreach(parameter IN LISTS parameter_items)
        string(STRIP "${parameter}" parameter)
        if(NOT parameter MATCHES "^<in> +VARIANT +([A-Za-z0-9_]+)$")
          message(FATAL_ERROR "${IDL}: ${method}: only \"[in] VARIANT Name\" parameters are dispatched")
        endif()
        list(APPEND names "\"${CMAKE_MATCH_1}\"")
        list(APPEND arguments "arguments[${count}]")
        math(EXPR count "${count} + 1")
      endforeach()
    endif()
    if(count GREATER 0)
      list(JOIN names ", " name_text)
      string(APPEND parameter_lists "inline constexpr const char* k${interface}${method}Parameters[] = {${name_text}};\n")
      set(parameter_table "k${interface}${method}Parameters")
    else()
      set(parameter_table "nullptr")
    endif()
    list(JOIN arguments ", " argument_text)
    string(APPEND members "    {\"${method}\", ${dispid}, ${count}, ${parameter_table}},\n")
    string(APPEND calls "    case ${dispid}: return target->${method}(${argument_text});\n")
    math(EXPR member_count "${member_count} + 1")
  elseif(interface AND line STREQUAL "}<SEMI>")
    string(APPEND interfaces
      "${parameter_lists}"
      "inline constexpr TDispatchMember k${interface}Members[] = {\n${members}};\n\n"
      "inline HRESULT Invoke${interface}(void* object, DISPID member, VARIANT* arguments) {\n"
      "  auto* target = static_cast<${interface}*>(object);\n"
      "  switch (member) {\n${calls}  }\n"
      "  return DISP_E_MEMBERNOTFOUND;\n}\n\n")
    list(APPEND dual_entries "    {&IID_${interface}, \"${interface}\", k${interface}Members, ${member_count}, &Invoke${interface}},\n")
    set(interface "")
  endif()
endforeach()

if(NOT library_name)
  message(FATAL_ERROR "${IDL}: no library")
endif()
string(REPLACE "." ";" version_parts "${library_version}")
list(GET version_parts 0 version_major)
list(GET version_parts 1 version_minor)
list(JOIN dual_entries "" dual_text)
get_filename_component(idl_name "${IDL}" NAME)
get_filename_component(header_name "${HEADER}" NAME)

file(WRITE "${OUTPUT}.tmp"
  "// Generated from ${idl_name} by cmake/IdlDispatch.cmake: the Linux edition's dispatch tables. Do not edit.\n"
  "#pragma once\n\n"
  "#include \"platform/linux/com/DispatchTables.h\"\n\n"
  "#include \"${header_name}\"\n\n"
  "namespace hoardscope::idl {\n\n"
  "${interfaces}"
  "inline constexpr TDispatchInterface kDualInterfaces[] = {\n${dual_text}};\n\n"
  "inline constexpr TDispatchCoClass kCoClasses[] = {\n${coclasses}};\n\n"
  "inline constexpr TDispatchLibrary kLibrary = {\"${library_name}\", ${library_help}, &LIBID_${library_name}, "
  "${version_major}, ${version_minor}, ${library_lcid}, kCoClasses, std::size(kCoClasses), kDualInterfaces, "
  "std::size(kDualInterfaces)};\n\n"
  "}  // namespace hoardscope::idl\n")
# Only a changed table touches the header, so that its users are not rebuilt for nothing.
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
