# The fuzz targets and what each links, read by two builds:
#
# - The normal build (fuzz/CMakeLists.txt) makes each target an ordinary program with a main
#   that replays the target's seeds once (ReplaySeeds.cpp), registered with CTest as
#   "FuzzSeeds.<target>", so that no target stops building or fails on its seeds unseen.
# - The sanitized libFuzzer build that fuzz/run-fuzz.sh configures reads this file as
#   CMAKE_PROJECT_INCLUDE (the main CMakeLists.txt knows nothing of it). Once the whole tree
#   has been read, it adds one libFuzzer executable per target to fuzz/out/build/fuzz/, linked
#   against the same module targets the program uses; those are compiled with the sanitizers
#   and coverage flags of that build.
#
# A new target fuzz/<name>_fuzz.cpp gets one brantwell_fuzz_target line below and its seeds
# in fuzz/seeds/<name>_fuzz/.

function(brantwell_fuzz_target name)
  cmake_parse_arguments(F "" "" "LINK;SOURCES" ${ARGN})
  if(BRANTWELL_FUZZ_REPLAY)
    add_executable(${name} "${CMAKE_SOURCE_DIR}/fuzz/${name}.cpp" "${CMAKE_SOURCE_DIR}/fuzz/ReplaySeeds.cpp"
                   ${F_SOURCES})
    target_link_libraries(${name} PRIVATE ${F_LINK})
    # Like the tests' own code: built to run a handful of inputs, not to be fast.
    target_compile_options(${name} PRIVATE $<$<NOT:$<CONFIG:Debug>>:${BRANTWELL_TEST_OPTIMIZATION}>)
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY "${BRANTWELL_TEST_BIN_DIR}")
    set(seeds "${CMAKE_SOURCE_DIR}/fuzz/seeds/${name}")
    if(IS_DIRECTORY "${seeds}")
      add_test(NAME FuzzSeeds.${name} COMMAND ${name} "${seeds}" WORKING_DIRECTORY "${CMAKE_BINARY_DIR}")
      set_tests_properties(FuzzSeeds.${name} PROPERTIES
        TIMEOUT 300
        ENVIRONMENT "BRANTWELL_PROGRAM_DIR=${BRANTWELL_BIN_DIR};BRANTWELL_DISPLAY=headless")
    endif()
  else()
    add_executable(${name} "${CMAKE_SOURCE_DIR}/fuzz/${name}.cpp" ${F_SOURCES})
    target_link_libraries(${name} PRIVATE ${F_LINK})
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/fuzz")
  endif()
endfunction()

function(brantwell_add_fuzz_targets)
  brantwell_fuzz_target(xml_fuzz LINK program_core)
  brantwell_fuzz_target(image_fuzz LINK platform_gdiplus)
  brantwell_fuzz_target(bmp_fuzz LINK vcl rtl)
  brantwell_fuzz_target(picture_fuzz LINK platform_gdi)
  brantwell_fuzz_target(ini_fuzz LINK platform_kernel)
  # The parser is linked as source: the engine library exports only its C entry points.
  brantwell_fuzz_target(language_fuzz LINK platform_kernel
                        SOURCES "${CMAKE_SOURCE_DIR}/engines/QM_Language/LanguageFile.cpp")
  target_include_directories(language_fuzz PRIVATE "${CMAKE_BINARY_DIR}/inc/QM_Language")
  brantwell_fuzz_target(skin_fuzz LINK program_skin)
  brantwell_fuzz_target(http_fuzz LINK program_net)
  brantwell_fuzz_target(listitems_fuzz LINK program_controls)
endfunction()

if(NOT BRANTWELL_FUZZ_REPLAY)
  cmake_language(DEFER DIRECTORY "${CMAKE_SOURCE_DIR}" CALL brantwell_add_fuzz_targets)
endif()
