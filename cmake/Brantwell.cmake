# Helpers that give every module the same shape:
#
#   brantwell_module(platform_gdi PUBLIC_LINK platform_kernel PUBLIC_PKG "pixman-1>=0.40"
#                    PKG "pangocairo>=1.50")
#
# in a module folder makes a static library of the folder's *.cpp files, publishes the
# folder's headers under its path from the source root (so the module above includes
# "platform/kernel/Files.h", and only when it links the module), and builds the
# folder's tests/*_test.cpp into one GoogleTest executable registered with CTest.
#
# LINK and PKG name what the module's own sources use: they stay private, so a module above
# that includes them without naming them itself fails to build. PUBLIC_LINK and PUBLIC_PKG
# name only what the module's headers include, which every user of the module needs too.
# (PRIVATE_LINK and PRIVATE_PKG are older spellings of LINK and PKG.)
#
# With SHARED the module is a shared library in the program folder instead: the platform
# layer is one, so that the program and the engines it loads share one set of handle tables,
# windows and message queues.
#
#   brantwell_engine(QM_Log PUBLIC_LINK engines_common LINK platform_kernel)
#
# EXCLUDE names files of the folder that are not part of the library (a program's main file).
#
# TEST_PROGRAM_DIR gives a module's tests a program folder of their own, for libraries that
# exist only for tests and stay out of the real program folder.
#
# does the same for an engine: a shared library named QM_Log.so in the program folder.

function(brantwell_add_modules)
  foreach(dir IN LISTS ARGN)
    if(EXISTS "${CMAKE_SOURCE_DIR}/${dir}/CMakeLists.txt")
      add_subdirectory("${CMAKE_SOURCE_DIR}/${dir}" "${CMAKE_BINARY_DIR}/${dir}")
    endif()
  endforeach()
endfunction()

# Makes the headers of the current folder reachable as "<path from source root>/X.h"
# for the given target and those that link it.
function(_brantwell_publish_headers target)
  file(RELATIVE_PATH rel "${CMAKE_SOURCE_DIR}" "${CMAKE_CURRENT_SOURCE_DIR}")
  set(root "${CMAKE_BINARY_DIR}/inc/${target}")
  get_filename_component(parent "${root}/${rel}" DIRECTORY)
  file(MAKE_DIRECTORY "${parent}")
  if(NOT EXISTS "${root}/${rel}")
    file(CREATE_LINK "${CMAKE_CURRENT_SOURCE_DIR}" "${root}/${rel}" SYMBOLIC)
  endif()
  get_target_property(kind ${target} TYPE)
  if(kind STREQUAL "INTERFACE_LIBRARY")
    target_include_directories(${target} INTERFACE "${root}")
  else()
    target_include_directories(${target} PUBLIC "${root}")
  endif()
endfunction()

# Resolves PKG entries ("name>=version") into imported targets and links them.
function(_brantwell_link_packages target visibility)
  foreach(package IN LISTS ARGN)
    string(MAKE_C_IDENTIFIER "PKG_${package}" var)
    if(NOT TARGET PkgConfig::${var})
      pkg_check_modules(${var} REQUIRED IMPORTED_TARGET GLOBAL "${package}")
    endif()
    target_link_libraries(${target} ${visibility} PkgConfig::${var})
  endforeach()
endfunction()

# Build time. Most of a test file's compile time goes into optimising GoogleTest's macros, so
# the tests' own code is built with -Og (the code under test keeps the build type's level;
# GCC 12 also warns falsely about string concatenation at -O1).
# Standard and GoogleTest headers are precompiled with GCC: once for every test executable,
# and the standard headers once per module of six files or more. The tests' header is made by
# a target of its own that defines none of the macros that differ between test executables:
# GCC takes a precompiled header into a compile only if every macro defined when it was made
# still has the same value.
option(BRANTWELL_PRECOMPILED_HEADERS "Precompile the standard and GoogleTest headers (GCC)" ON)
set(BRANTWELL_TEST_OPTIMIZATION "-Og" CACHE STRING "Optimisation of the tests' own code")
set(_brantwell_std_headers
  <algorithm> <array> <atomic> <chrono> <cstdint> <cstring> <functional> <map> <memory>
  <mutex> <optional> <set> <string> <string_view> <unordered_map> <utility> <vector>)
if(BRANTWELL_PRECOMPILED_HEADERS AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  set(_brantwell_pch ON)
else()
  set(_brantwell_pch OFF)
endif()

# What every test executable is compiled and linked with, apart from its own folder; the
# program folder it runs with is BRANTWELL_BIN_DIR in its code. (A test executable with a
# test-only program folder cannot take the shared precompiled header, which was made with the
# built one; it compiles without it.)
function(_brantwell_test_settings exe programDir)
  target_link_libraries(${exe} PRIVATE GTest::gtest_main GTest::gmock Threads::Threads)
  target_compile_definitions(${exe} PRIVATE
    BRANTWELL_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
    BRANTWELL_BIN_DIR="${programDir}"
    BRANTWELL_TEST_BIN_DIR="${BRANTWELL_TEST_BIN_DIR}")
  # -pthread everywhere: some modules' packages bring it and some do not, and it must not
  # differ between a test executable and the precompiled header.
  target_compile_options(${exe} PRIVATE -pthread $<$<NOT:$<CONFIG:Debug>>:${BRANTWELL_TEST_OPTIMIZATION}>)
endfunction()

if(_brantwell_pch)
  file(CONFIGURE OUTPUT "${CMAKE_BINARY_DIR}/pch/TestPch.cpp" CONTENT "int main() { return 0; }\n")
  add_executable(brantwell_test_pch "${CMAKE_BINARY_DIR}/pch/TestPch.cpp")
  _brantwell_test_settings(brantwell_test_pch "${BRANTWELL_BIN_DIR}")
  set_target_properties(brantwell_test_pch PROPERTIES RUNTIME_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/pch")
  target_precompile_headers(brantwell_test_pch PRIVATE
    <gtest/gtest.h> <gmock/gmock.h> <filesystem> <thread> ${_brantwell_std_headers})
endif()

function(_brantwell_use_pch target)
  if(NOT _brantwell_pch)
    return()
  endif()
  get_target_property(kind ${target} TYPE)
  get_target_property(sources ${target} SOURCES)
  list(LENGTH sources count)
  if(kind STREQUAL "EXECUTABLE")
    target_precompile_headers(${target} REUSE_FROM brantwell_test_pch)
  elseif(count GREATER_EQUAL 6)
    # Making the header costs about what four files save by using it.
    target_precompile_headers(${target} PRIVATE ${_brantwell_std_headers})
  endif()
endfunction()

# Builds <folder>/*_test.cpp (and *_helper.cpp) into "<target>_tests", linked with target;
# the folder is the module's tests/ unless FOLDER names another. The tests run with the built
# program folder as their program folder, unless PROGRAM_DIR names a test-only one; either way
# BRANTWELL_BIN_DIR in their code is the program folder they run with.
function(_brantwell_add_tests target)
  cmake_parse_arguments(T "" "FOLDER;PROGRAM_DIR" "TEST_LINK" ${ARGN})
  if(NOT T_FOLDER)
    set(T_FOLDER "${CMAKE_CURRENT_SOURCE_DIR}/tests")
  endif()
  if(NOT T_PROGRAM_DIR)
    set(T_PROGRAM_DIR "${BRANTWELL_BIN_DIR}")
  endif()
  file(GLOB tests CONFIGURE_DEPENDS "${T_FOLDER}/*_test.cpp")
  if(NOT tests)
    return()
  endif()
  file(GLOB helpers CONFIGURE_DEPENDS "${T_FOLDER}/*_helper.cpp")
  set(exe ${target}_tests)
  add_executable(${exe} ${tests} ${helpers})
  target_link_libraries(${exe} PRIVATE ${target} ${T_TEST_LINK})
  _brantwell_test_settings(${exe} "${T_PROGRAM_DIR}")
  target_compile_definitions(${exe} PRIVATE BRANTWELL_TEST_SOURCE_DIR="${T_FOLDER}")
  set_target_properties(${exe} PROPERTIES RUNTIME_OUTPUT_DIRECTORY "${BRANTWELL_TEST_BIN_DIR}")
  if(T_PROGRAM_DIR STREQUAL BRANTWELL_BIN_DIR)
    _brantwell_use_pch(${exe})
  endif()
  gtest_discover_tests(${exe}
    DISCOVERY_MODE PRE_TEST
    WORKING_DIRECTORY "${CMAKE_BINARY_DIR}"
    PROPERTIES
      TIMEOUT 300
      ENVIRONMENT "BRANTWELL_PROGRAM_DIR=${T_PROGRAM_DIR};BRANTWELL_DISPLAY=headless")
endfunction()

function(brantwell_module target)
  cmake_parse_arguments(M "HEADER_ONLY;SHARED" "TEST_PROGRAM_DIR"
    "PUBLIC_LINK;LINK;PRIVATE_LINK;PUBLIC_PKG;PKG;PRIVATE_PKG;TEST_LINK;SOURCES;EXCLUDE" ${ARGN})
  list(APPEND M_LINK ${M_PRIVATE_LINK})
  list(APPEND M_PKG ${M_PRIVATE_PKG})
  file(GLOB sources CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*.cpp")
  foreach(name IN LISTS M_EXCLUDE)
    list(REMOVE_ITEM sources "${CMAKE_CURRENT_SOURCE_DIR}/${name}")
  endforeach()
  list(APPEND sources ${M_SOURCES})
  if(M_HEADER_ONLY OR NOT sources)
    add_library(${target} INTERFACE)
    target_link_libraries(${target} INTERFACE ${M_PUBLIC_LINK} ${M_LINK})
    _brantwell_link_packages(${target} INTERFACE ${M_PUBLIC_PKG} ${M_PKG})
  else()
    if(M_SHARED)
      add_library(${target} SHARED ${sources})
      set_target_properties(${target} PROPERTIES
        OUTPUT_NAME "brantwell_${target}"
        LIBRARY_OUTPUT_DIRECTORY "${BRANTWELL_BIN_DIR}"
        BUILD_WITH_INSTALL_RPATH ON INSTALL_RPATH "$ORIGIN")
    else()
      add_library(${target} STATIC ${sources})
    endif()
    target_link_libraries(${target} PUBLIC ${M_PUBLIC_LINK} PRIVATE ${M_LINK})
    _brantwell_use_pch(${target})
    _brantwell_link_packages(${target} PUBLIC ${M_PUBLIC_PKG})
    _brantwell_link_packages(${target} PRIVATE ${M_PKG})
  endif()
  _brantwell_publish_headers(${target})
  _brantwell_add_tests(${target} TEST_LINK ${M_TEST_LINK} PROGRAM_DIR "${M_TEST_PROGRAM_DIR}")
endfunction()

# An engine: a shared library "<name>.so" in the program folder (or a sub-folder of it,
# given as FOLDER), exporting extern "C" entry points.
function(brantwell_engine name)
  cmake_parse_arguments(E "" "FOLDER" "PUBLIC_LINK;LINK;PKG;TEST_LINK;SOURCES" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*.cpp")
  list(APPEND sources ${E_SOURCES})
  add_library(${name} SHARED ${sources})
  target_link_libraries(${name} PUBLIC ${E_PUBLIC_LINK} PRIVATE ${E_LINK})
  _brantwell_use_pch(${name})
  _brantwell_link_packages(${name} PRIVATE ${E_PKG})
  set(out "${BRANTWELL_BIN_DIR}")
  set(runpath "$ORIGIN")
  if(E_FOLDER)
    set(out "${BRANTWELL_BIN_DIR}/${E_FOLDER}")
    set(runpath "$ORIGIN/..")
  endif()
  # Named by its file (SONAME) and finding the libraries of the program folder relative to
  # itself, so the program folder can move and LoadLibrary of an engine the program imports at
  # link time answers the copy already loaded.
  set_target_properties(${name} PROPERTIES
    PREFIX "" SUFFIX ".so" OUTPUT_NAME "${name}"
    LIBRARY_OUTPUT_DIRECTORY "${out}"
    BUILD_WITH_INSTALL_RPATH ON INSTALL_RPATH "${runpath}"
    CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
  # An engine must not leave symbols for the program to provide. Clang links its sanitizer
  # runtimes only into executables, so a sanitized clang build (the fuzz build) cannot check.
  if(NOT (CMAKE_CXX_COMPILER_ID MATCHES "Clang" AND CMAKE_CXX_FLAGS MATCHES "-fsanitize"))
    target_link_options(${name} PRIVATE "-Wl,--no-undefined")
  endif()
  _brantwell_publish_headers(${name})
  _brantwell_add_tests(${name} TEST_LINK ${E_TEST_LINK})
endfunction()

# Compiles every file of resources/embedded/ into the executable `target` (the program, a
# tool, or a test executable that needs the program's cursors and icons), registered with
# platform::RegisterEmbeddedResource before main runs: cursors (.cur), icons (.ico) and RCDATA
# (any other file), each named by its file name without the extension.
function(brantwell_embed_resources target)
  set(folder "${CMAKE_SOURCE_DIR}/resources/embedded")
  file(GLOB files CONFIGURE_DEPENDS "${folder}/*")
  list(SORT files)
  set(output "${CMAKE_BINARY_DIR}/generated/embedded/${target}_resources.cpp")
  add_custom_command(
    OUTPUT "${output}"
    COMMAND "${CMAKE_COMMAND}" "-DOUTPUT=${output}" "-DINPUTS=${files}" -P "${CMAKE_SOURCE_DIR}/cmake/EmbedResources.cmake"
    DEPENDS ${files} "${CMAKE_SOURCE_DIR}/cmake/EmbedResources.cmake"
    COMMENT "Compiling resources/embedded into ${target}"
    VERBATIM)
  target_sources(${target} PRIVATE "${output}")
  target_link_libraries(${target} PRIVATE platform_user)
endfunction()
