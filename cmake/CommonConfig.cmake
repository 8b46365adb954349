# One interface target carries the language level, warnings, Qt safety defines and sanitizers.
add_library(vornix_common INTERFACE)
target_compile_features(vornix_common INTERFACE cxx_std_20)
target_compile_options(vornix_common INTERFACE -Wall -Wextra)
target_compile_definitions(vornix_common INTERFACE
  QT_NO_FOREACH QT_NO_NARROWING_CONVERSIONS_IN_CONNECT)
target_include_directories(vornix_common INTERFACE ${PROJECT_SOURCE_DIR}/src)
if(VORNIX_SANITIZE AND VORNIX_TSAN)
  message(FATAL_ERROR "VORNIX_SANITIZE and VORNIX_TSAN exclude each other: use two build folders")
endif()
if((VORNIX_FUZZ OR VORNIX_TSAN) AND NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  message(FATAL_ERROR "VORNIX_FUZZ and VORNIX_TSAN are clang builds: configure with -DCMAKE_CXX_COMPILER=clang++")
endif()
if(VORNIX_SANITIZE OR VORNIX_FUZZ)
  set(sanitizers address,undefined)
  # The fuzz targets link libFuzzer's main themselves; everything else is instrumented for it.
  if(VORNIX_FUZZ)
    set(sanitizers fuzzer-no-link,${sanitizers})
  endif()
  target_compile_options(vornix_common INTERFACE -fsanitize=${sanitizers} -fno-omit-frame-pointer
    -fno-sanitize-recover=undefined)
  target_link_options(vornix_common INTERFACE -fsanitize=address,undefined)
endif()
if(VORNIX_TSAN)
  target_compile_options(vornix_common INTERFACE -fsanitize=thread -fno-omit-frame-pointer)
  target_link_options(vornix_common INTERFACE -fsanitize=thread)
endif()

# Core libraries link Qt Core/Gui/Network at most; tests/core_includes.sh checks that no
# Widgets or X11 header is included under the core folders.
function(vornix_core_library name)
  add_library(${name} STATIC ${ARGN})
  target_link_libraries(${name} PUBLIC vornix_common)
endfunction()
