# Read by the sanitized build that fuzz/run-fuzz.sh configures (as CMAKE_PROJECT_INCLUDE, so the
# main CMakeLists.txt knows nothing of it). Once the whole tree has been read, adds one libFuzzer
# executable per target to fuzz/out/build/fuzz/, linked against the same module targets the
# program uses; those are compiled with the sanitizers and coverage flags of this build.

function(brantwell_fuzz_target name)
  cmake_parse_arguments(F "" "" "LINK;SOURCES" ${ARGN})
  add_executable(${name} "${CMAKE_SOURCE_DIR}/fuzz/${name}.cpp" ${F_SOURCES})
  target_link_libraries(${name} PRIVATE ${F_LINK})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/fuzz")
endfunction()

function(brantwell_add_fuzz_targets)
  # Engines are compiled in as sources: an engine library is linked with --no-undefined and
  # so cannot take the sanitizers' runtime symbols from the executable.
  file(GLOB core_sources "${CMAKE_SOURCE_DIR}/program/core/*.cpp" "${CMAKE_SOURCE_DIR}/engines/QM_Log/*.cpp")
  brantwell_fuzz_target(xml_fuzz LINK vcl rtl platform_kernel engines_common brantwell_version SOURCES ${core_sources})
  target_include_directories(xml_fuzz PRIVATE "${CMAKE_BINARY_DIR}/inc/program_core" "${CMAKE_BINARY_DIR}/inc/QM_Log")
  brantwell_fuzz_target(image_fuzz LINK platform_gdiplus)
  brantwell_fuzz_target(bmp_fuzz LINK vcl rtl)
  brantwell_fuzz_target(picture_fuzz LINK platform_gdi)
  brantwell_fuzz_target(ini_fuzz LINK platform_kernel)
  # The parser is linked as source: the engine library exports only its C entry points.
  brantwell_fuzz_target(language_fuzz LINK platform_kernel
                        SOURCES "${CMAKE_SOURCE_DIR}/engines/QM_Language/LanguageFile.cpp")
  target_include_directories(language_fuzz PRIVATE "${CMAKE_BINARY_DIR}/inc/QM_Language")
endfunction()

cmake_language(DEFER DIRECTORY "${CMAKE_SOURCE_DIR}" CALL brantwell_add_fuzz_targets)
