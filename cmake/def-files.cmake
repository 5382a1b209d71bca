# Module-definition files are written for 32-bit Windows, where a stdcall symbol carries "@n".
# A 64-bit build has no such decoration: its copy of a .def file names the plain symbols and
# keeps every exported name as it is, so the DLLs export the same names in both builds.
function(parlomix_def_for_target out source)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(${out} ${source} PARENT_SCOPE)
    return()
  endif()
  get_filename_component(name ${source} NAME)
  get_filename_component(dir ${source} DIRECTORY)
  get_filename_component(dir ${dir} NAME)
  file(READ ${source} text)
  # "_SetHook@4 = SetHook@4" -> "_SetHook@4 = SetHook"; "SetHook@4 == _SetHook@4" -> "SetHook == _SetHook@4";
  # "  vbmp3_init@0" -> "  vbmp3_init".
  string(REGEX REPLACE "([^=])= ([A-Za-z_][A-Za-z0-9_]*)@[0-9]+" "\\1= \\2" text "${text}")
  string(REGEX REPLACE "\n([ \t]*)([A-Za-z][A-Za-z0-9_]*)@[0-9]+" "\n\\1\\2" text "${text}")
  set(copy ${CMAKE_BINARY_DIR}/def/${dir}_${name})
  file(WRITE ${copy} "${text}")
  set_property(DIRECTORY ${CMAKE_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source})
  set(${out} ${copy} PARENT_SCOPE)
endfunction()
