# One interface target carries the language level, warnings, Qt safety defines and sanitizers.
add_library(vornix_common INTERFACE)
target_compile_features(vornix_common INTERFACE cxx_std_20)
target_compile_options(vornix_common INTERFACE -Wall -Wextra)
target_compile_definitions(vornix_common INTERFACE
  QT_NO_FOREACH QT_NO_NARROWING_CONVERSIONS_IN_CONNECT)
target_include_directories(vornix_common INTERFACE ${PROJECT_SOURCE_DIR}/src)
if(VORNIX_SANITIZE)
  target_compile_options(vornix_common INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer
    -fno-sanitize-recover=undefined)
  target_link_options(vornix_common INTERFACE -fsanitize=address,undefined)
endif()

# Core libraries link Qt Core/Gui/Network at most; tests/core_includes.sh checks that no
# Widgets or X11 header is included under the core folders.
function(vornix_core_library name)
  set(sources ${ARGN})
  list(FILTER sources EXCLUDE REGEX "^$")
  foreach(file ${sources})
    if(NOT EXISTS ${file} AND NOT EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${file})
      list(REMOVE_ITEM sources ${file})
    endif()
  endforeach()
  if(NOT sources)  # a folder whose first module is still to come
    file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/${name}_empty.cpp "")
    set(sources ${CMAKE_CURRENT_BINARY_DIR}/${name}_empty.cpp)
  endif()
  add_library(${name} STATIC ${sources})
  target_link_libraries(${name} PUBLIC vornix_common)
endfunction()
