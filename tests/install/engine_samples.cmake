# Windows programs for the tests of `vantorel program`, in engine_samples/ beside the test
# program: marked.exe carries the install program's marker (apps/setup/engine.rc), plain.exe does
# not. The win64 tree also hands the tests its real vtsetup.exe; the host tree, which builds no
# Windows programs of its own, calls the cross compiler as it does for the version libraries.
set(samples ${CMAKE_CURRENT_BINARY_DIR}/engine_samples)
set(sample_source ${CMAKE_CURRENT_SOURCE_DIR}/install/engine_sample.c)
set(marker_rc ${CMAKE_SOURCE_DIR}/apps/setup/engine.rc)
if(WIN32)
  add_executable(engine_sample_marked ${sample_source} ${marker_rc})
  add_executable(engine_sample_plain ${sample_source})
  foreach(kind marked plain)
    set_target_properties(engine_sample_${kind} PROPERTIES OUTPUT_NAME ${kind}
      RUNTIME_OUTPUT_DIRECTORY ${samples})
    add_dependencies(test_install engine_sample_${kind})
  endforeach()
  add_dependencies(test_install vtsetup)
  vantorel_program_path(engine_path ${CMAKE_BINARY_DIR}/apps/vtsetup.exe)
  set_property(TEST test_install APPEND PROPERTY ENVIRONMENT "VANTOREL_ENGINE=${engine_path}")
else()
  find_program(SAMPLE_CC NAMES x86_64-w64-mingw32-gcc-posix x86_64-w64-mingw32-gcc REQUIRED)
  find_program(SAMPLE_RC NAMES x86_64-w64-mingw32-windres REQUIRED)
  add_custom_command(OUTPUT ${samples}/marked.exe ${samples}/plain.exe
    COMMAND ${CMAKE_COMMAND} -E make_directory ${samples}
    COMMAND ${SAMPLE_RC} -O coff -o ${samples}/engine.res ${marker_rc}
    COMMAND ${SAMPLE_CC} -s -o ${samples}/marked.exe ${sample_source} ${samples}/engine.res
    COMMAND ${SAMPLE_CC} -s -o ${samples}/plain.exe ${sample_source}
    DEPENDS ${sample_source} ${marker_rc}
    VERBATIM)
  add_custom_target(engine_samples DEPENDS ${samples}/marked.exe ${samples}/plain.exe)
  add_dependencies(test_install engine_samples)
endif()
vantorel_program_path(samples_path ${samples})
set_property(TEST test_install APPEND PROPERTY ENVIRONMENT "VANTOREL_ENGINE_SAMPLES=${samples_path}")
