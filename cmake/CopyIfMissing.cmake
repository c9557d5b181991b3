# Copies SOURCE to DESTINATION only when DESTINATION does not exist: a file the program and
# its user go on writing (the settings file) is never overwritten by the build.
#   cmake -DSOURCE=a -DDESTINATION=b -P CopyIfMissing.cmake
if(NOT EXISTS "${DESTINATION}")
  get_filename_component(_folder "${DESTINATION}" DIRECTORY)
  file(MAKE_DIRECTORY "${_folder}")
  file(COPY_FILE "${SOURCE}" "${DESTINATION}")
endif()
