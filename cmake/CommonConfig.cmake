# One place for the language level, warnings and Qt defines of every target.
add_library(tunora_common INTERFACE)
target_compile_features(tunora_common INTERFACE cxx_std_20)
target_compile_options(tunora_common INTERFACE -Wall -Wextra -Wpedantic -Wshadow)
target_compile_definitions(tunora_common INTERFACE
  QT_NO_KEYWORDS QT_NO_CAST_FROM_ASCII QT_USE_QSTRINGBUILDER QT_NO_FOREACH)
if(TUNORA_WERROR)
  target_compile_options(tunora_common INTERFACE -Werror)
endif()
if(TUNORA_SANITIZE STREQUAL "thread")
  target_compile_options(tunora_common INTERFACE -fsanitize=thread -fno-omit-frame-pointer)
  target_link_options(tunora_common INTERFACE -fsanitize=thread)
elseif(TUNORA_SANITIZE)
  target_compile_options(tunora_common INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(tunora_common INTERFACE -fsanitize=address,undefined)
endif()
if(TUNORA_FUZZ)
  # Coverage for libFuzzer in our own code; the fuzz targets add the fuzzer's main.
  target_compile_options(tunora_common INTERFACE -fsanitize=fuzzer-no-link,address,undefined
    -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(tunora_common INTERFACE -fsanitize=address,undefined)
endif()

# Sources of a directory, picked up without editing this build for every new file.
function(tunora_sources out dir)
  file(GLOB found CONFIGURE_DEPENDS "${dir}/*.cpp" "${dir}/*.h")
  # The part of a room that speaks to one kind of system is in a file of its own, named for it.
  if(WIN32)
    list(FILTER found EXCLUDE REGEX "_unix\\.cpp$")
  else()
    list(FILTER found EXCLUDE REGEX "_win\\.cpp$")
  endif()
  set(${out} ${found} PARENT_SCOPE)
endfunction()
