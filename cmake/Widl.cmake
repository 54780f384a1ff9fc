# hs_compile_idl(TARGET IDL): compiles the type library's interface definition with widl and puts the results on
# TARGET's include path (folder "generated" of the calling directory's build folder):
#   NAME_h.h            the C++ declarations (interfaces, GUIDs), on both editions
#   NAME.tlb            the compiled type library, in the Windows builds (HS_TYPELIB_FILE names it)
#   NAME_dispatch.h     the Linux edition's dispatch tables (cmake/IdlDispatch.cmake)
set(HS_WIDL_IDL_DIR /usr/include/wine/wine/windows)       # oaidl.idl and the other standard definitions
set(HS_WIDL_TLB_DIR /usr/lib/x86_64-linux-gnu/wine/x86_64-windows)   # stdole2.tlb for importlib

function(hs_compile_idl target idl)
  get_filename_component(name "${idl}" NAME_WE)
  set(out "${CMAKE_CURRENT_BINARY_DIR}/generated")
  file(MAKE_DIRECTORY "${out}")
  if(WIN32)
    set(widl_name ${HOARDSCOPE_MINGW_TRIPLE}-widl)
  else()
    set(widl_name x86_64-w64-mingw32-widl)
  endif()
  find_program(HS_WIDL ${widl_name} REQUIRED)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(bits -m32)
  else()
    set(bits -m64)
  endif()
  set(header "${out}/${name}_h.h")
  add_custom_command(OUTPUT "${header}"
    COMMAND ${HS_WIDL} -I${HS_WIDL_IDL_DIR} ${bits} -h -o "${header}" "${idl}"
    DEPENDS "${idl}" COMMENT "widl: ${name}_h.h" VERBATIM)
  set(outputs "${header}")
  if(WIN32)
    set(tlb "${out}/${name}.tlb")
    add_custom_command(OUTPUT "${tlb}"
      COMMAND ${HS_WIDL} -I${HS_WIDL_IDL_DIR} -L${HS_WIDL_TLB_DIR} ${bits} -t -o "${tlb}" "${idl}"
      DEPENDS "${idl}" COMMENT "widl: ${name}.tlb" VERBATIM)
    list(APPEND outputs "${tlb}")
    set(HS_TYPELIB_FILE "${tlb}" PARENT_SCOPE)
  else()
    set(dispatch "${out}/${name}_dispatch.h")
    add_custom_command(OUTPUT "${dispatch}"
      COMMAND ${CMAKE_COMMAND} -DIDL=${idl} -DHEADER=${header} -DOUTPUT=${dispatch}
              -P ${CMAKE_SOURCE_DIR}/cmake/IdlDispatch.cmake
      DEPENDS "${idl}" ${CMAKE_SOURCE_DIR}/cmake/IdlDispatch.cmake COMMENT "dispatch tables: ${name}" VERBATIM)
    list(APPEND outputs "${dispatch}")
  endif()
  add_custom_target(${target}_idl DEPENDS ${outputs})
  add_dependencies(${target} ${target}_idl)
  target_include_directories(${target} PUBLIC "${out}")
endfunction()
