# Test libraries carrying version resources, built from source for the archive tests. Each
# variant is "vtver.dll" in its own folder versiondlls/<variant> beside the test program. The
# win64 tree builds them as its own targets; the host tree calls the same cross compiler, so that
# the native reader meets the very same files.
set(VTVER_SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/archive/versiondll)
set(VTVER_OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/versiondlls)

if(NOT WIN32)
  find_program(VTVER_CC NAMES x86_64-w64-mingw32-gcc-posix x86_64-w64-mingw32-gcc REQUIRED)
  find_program(VTVER_RC NAMES x86_64-w64-mingw32-windres REQUIRED)
  add_custom_target(test_archive_dlls)
  add_dependencies(test_archive test_archive_dlls)
endif()

# vantorel_version_dll(<variant> <ordinal> [VERSION a,b,c,d TYPE t SUBTYPE s OS o] [PLAIN])
# PLAIN: no version resource at all.
function(vantorel_version_dll variant ordinal)
  cmake_parse_arguments(V "PLAIN" "VERSION;TYPE;SUBTYPE;OS" "" ${ARGN})
  set(dir ${VTVER_OUTPUT}/${variant})
  set(rc "")
  if(NOT V_PLAIN)
    set(VT_VARIANT ${variant})
    set(VT_COMMAS ${V_VERSION})
    string(REPLACE "," "." VT_DOTTED ${V_VERSION})
    set(VT_TYPE ${V_TYPE})
    set(VT_SUBTYPE ${V_SUBTYPE})
    set(VT_OS ${V_OS})
    set(rc ${CMAKE_CURRENT_BINARY_DIR}/versiondll/${variant}.rc)
    configure_file(${VTVER_SOURCE}/vtver.rc.in ${rc} @ONLY)
  endif()

  if(WIN32)
    # A module: nothing links against it, so it needs no import library.
    add_library(vtver_${variant} MODULE ${VTVER_SOURCE}/vtver.c ${rc})
    target_compile_definitions(vtver_${variant} PRIVATE VTVER_VARIANT=${ordinal})
    target_link_options(vtver_${variant} PRIVATE -s)  # as small as the host tree's copies
    set_target_properties(vtver_${variant} PROPERTIES OUTPUT_NAME vtver PREFIX ""
      LIBRARY_OUTPUT_DIRECTORY ${dir})
    add_dependencies(test_archive vtver_${variant})
  else()
    set(objects "")
    set(commands "")
    if(rc)
      set(res ${CMAKE_CURRENT_BINARY_DIR}/versiondll/${variant}.res)
      set(objects ${res})
      set(commands COMMAND ${VTVER_RC} -O coff -o ${res} ${rc})
    endif()
    add_custom_command(OUTPUT ${dir}/vtver.dll
      COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
      ${commands}
      COMMAND ${VTVER_CC} -shared -s -DVTVER_VARIANT=${ordinal} -o ${dir}/vtver.dll
              ${VTVER_SOURCE}/vtver.c ${objects}
      DEPENDS ${VTVER_SOURCE}/vtver.c ${rc}
      VERBATIM)
    add_custom_target(vtver_${variant} DEPENDS ${dir}/vtver.dll)
    add_dependencies(test_archive_dlls vtver_${variant})
  endif()
endfunction()

# VOS_NT_WINDOWS32 (0x40004), VFT_DLL (2); the driver variant is a sound driver (3, 9) for
# 32-bit Windows (4).
vantorel_version_dll(v100 1 VERSION 1,0,0,0 TYPE 2 SUBTYPE 0 OS 0x40004L)
vantorel_version_dll(v120 2 VERSION 1,2,0,0 TYPE 2 SUBTYPE 0 OS 0x40004L)
vantorel_version_dll(v120alt 3 VERSION 1,2,0,0 TYPE 2 SUBTYPE 0 OS 0x40004L)
vantorel_version_dll(v200 4 VERSION 2,0,0,0 TYPE 2 SUBTYPE 0 OS 0x40004L)
vantorel_version_dll(driver 5 VERSION 3,1,0,7 TYPE 3 SUBTYPE 9 OS 0x4L)
vantorel_version_dll(plain 6 PLAIN)
