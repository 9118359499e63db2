# cmake -DSOURCE=<file> -DDESTINATION=<file> -P CopyIfMissing.cmake
# Puts a file in place only where none is: a settings file the user already has is theirs.
cmake_minimum_required(VERSION 3.25)
if(NOT EXISTS "${DESTINATION}" AND NOT IS_SYMLINK "${DESTINATION}")
  file(COPY_FILE "${SOURCE}" "${DESTINATION}")
endif()
