# The suite as it runs on Windows (here under Wine, by scripts/windows/test.sh): the tests that
# need no Linux service (session bus, X display, /proc, POSIX file calls), one program per
# source folder as on Linux, each run on its own rather than through CTest, whose test
# discovery would have to run them while building.

# googletest from its source (Debian's googletest package), built with the cross compiler.
set(TUNORA_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "googletest's source folder")
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${TUNORA_GOOGLETEST_SOURCE} ${CMAKE_CURRENT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

tunora_sources(support_sources support)
add_library(tunora_test_support STATIC ${support_sources})
target_include_directories(tunora_test_support PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(tunora_test_support PUBLIC tunora_app gtest gmock Qt6::Test)
# Wine shows the build machine's root as drive Z:, where the fixtures are read from.
target_compile_definitions(tunora_test_support PUBLIC
  TUNORA_TEST_DATA_DIR="Z:${CMAKE_CURRENT_SOURCE_DIR}/data"
  TUNORA_DEFAULT_SETTINGS="Z:${PROJECT_SOURCE_DIR}/data/default-settings.ini"
  TUNORA_DESKTOP_ENTRY="Z:${PROJECT_SOURCE_DIR}/data/tunora.desktop")

set(TUNORA_WINDOWS_TEST_DIR ${CMAKE_BINARY_DIR}/windows-tests)
add_custom_target(tunora_windows_tests)

# A test program of the named tests of one source folder: <dir>/<name>_test.cpp each.
function(tunora_add_windows_tests dir)
  set(sources)
  foreach(name ${ARGN})
    list(APPEND sources ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/${name}_test.cpp)
  endforeach()
  string(REPLACE "/" "_" name ${dir})
  set(target tunora_${name}_tests)
  add_executable(${target} ${sources})
  target_link_libraries(${target} PRIVATE tunora_test_support)
  set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${TUNORA_WINDOWS_TEST_DIR})
  add_dependencies(tunora_windows_tests ${target})
endfunction()

# Left out, each for a Linux service or call it tests: the file calls' faults (fifos, modes,
# full disks by setrlimit), the host paths from /proc, $HOME and $XDG_CONFIG_HOME (the
# settings template's tests find the user's file there), modules and fake engines built as .so
# files, the media controls and launches on the session bus, the display probe, the container
# and MP3 cuts (their songs are made by a shell script with sox, lame and ffmpeg at test
# time), the engine tests on the real libmpv (the end-to-end run plays through it). The path
# tests that take "/a" as absolute have their Windows counterparts in *_win_test.cpp.
tunora_add_windows_tests(platform/files filenames fileurl gbkcodec windowsfiles_win)
tunora_add_windows_tests(platform/numbers numbers)
tunora_add_windows_tests(platform/settings inidocument windowssettings_win)
tunora_add_windows_tests(platform/engine mediaplayer positionclock)
tunora_add_windows_tests(library folderscan songlistedit songlistmodel songsearch)
tunora_add_windows_tests(marking endmarkplan endmarktimer markstep songmarks)
tunora_add_windows_tests(session playbacksession)
tunora_add_windows_tests(cutting audiobounds container mergeengine mpegframes segment streamcopy)
tunora_add_windows_tests(app layout keys menus library playback marking seekbar songlistedit transporticons sessionservices_win
  cutting)
