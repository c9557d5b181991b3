# Run with cmake -P: makes DESTINATION a program folder for tests by linking every entry of
# SOURCE (the built program folder) into it. What DESTINATION holds of its own (libraries built
# only for tests) stays; links to entries that have gone are removed.
#
#   cmake -DSOURCE=build/bin -DDESTINATION=build/tests-bin/engine-test-program -P LinkProgramFolder.cmake

file(MAKE_DIRECTORY "${DESTINATION}")
file(GLOB _links LIST_DIRECTORIES true "${DESTINATION}/*")
foreach(_link IN LISTS _links)
  if(IS_SYMLINK "${_link}" AND NOT EXISTS "${_link}")
    file(REMOVE "${_link}")
  endif()
endforeach()
file(GLOB _entries LIST_DIRECTORIES true RELATIVE "${SOURCE}" "${SOURCE}/*")
foreach(_entry IN LISTS _entries)
  if(NOT EXISTS "${DESTINATION}/${_entry}" AND NOT IS_SYMLINK "${DESTINATION}/${_entry}")
    file(CREATE_LINK "${SOURCE}/${_entry}" "${DESTINATION}/${_entry}" SYMBOLIC)
  endif()
endforeach()
