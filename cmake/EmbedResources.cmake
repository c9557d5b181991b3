# Writes a C++ source that compiles the given files into the executable and registers each
# with platform::RegisterEmbeddedResource before main runs: ".cur" files as cursor groups,
# ".ico" files as icon groups, every other file as RCDATA; the name is the file name without
# its extension.
#   cmake -DOUTPUT=file.cpp -DINPUTS="a.cur;b.ico" -P EmbedResources.cmake

if(NOT OUTPUT)
  message(FATAL_ERROR "EmbedResources: OUTPUT is not set")
endif()

set(_arrays "")
set(_calls "")
set(_index 0)
foreach(_file IN LISTS INPUTS)
  get_filename_component(_name "${_file}" NAME_WE)
  get_filename_component(_ext "${_file}" LAST_EXT)
  string(TOLOWER "${_ext}" _ext)
  if(NOT _name MATCHES "^[A-Za-z0-9_.-]+$")
    message(FATAL_ERROR "EmbedResources: '${_file}': a resource name takes letters, digits, '_', '.' and '-' only")
  endif()
  if(_ext STREQUAL ".cur")
    set(_type "RT_GROUP_CURSOR")
  elseif(_ext STREQUAL ".ico")
    set(_type "RT_GROUP_ICON")
  else()
    set(_type "RT_RCDATA")
  endif()
  file(READ "${_file}" _hex HEX)
  string(LENGTH "${_hex}" _length)
  math(EXPR _size "${_length} / 2")
  if(_size EQUAL 0)
    message(FATAL_ERROR "EmbedResources: '${_file}' is empty")
  endif()
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," _bytes "${_hex}")
  # Forty bytes a line keeps the generated file readable and the compiler quick.
  string(REGEX REPLACE "((0x[0-9a-f][0-9a-f],){40})" "\\1\n    " _bytes "${_bytes}")
  string(APPEND _arrays "// ${_name}${_ext}\nalignas(8) const unsigned char kResource${_index}[${_size}] = {\n    ${_bytes}\n};\n")
  string(APPEND _calls "  platform::RegisterEmbeddedResource(${_type}, u\"${_name}\", kResource${_index}, sizeof kResource${_index});\n")
  math(EXPR _index "${_index} + 1")
endforeach()

set(_text "// Generated from resources/embedded/ by cmake/EmbedResources.cmake; do not edit.\n\n")
string(APPEND _text "#include \"platform/user/Resources.h\"\n\nnamespace {\n\n${_arrays}\n")
string(APPEND _text "// Runs before main, so LoadCursor and LoadIcon find every resource from the first call on.\n")
string(APPEND _text "const bool kRegistered = [] {\n${_calls}  return true;\n}();\n\n}  // namespace\n")

# Written only when it changes, so an unchanged folder does not rebuild the executable.
if(EXISTS "${OUTPUT}")
  file(READ "${OUTPUT}" _old)
  if(_old STREQUAL _text)
    return()
  endif()
endif()
file(WRITE "${OUTPUT}" "${_text}")
