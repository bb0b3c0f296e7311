# Warnings and sanitizers shared by every target of the project.
find_program(CCACHE_PROGRAM ccache)
if(CCACHE_PROGRAM)
  set(CMAKE_C_COMPILER_LAUNCHER ${CCACHE_PROGRAM})
  set(CMAKE_CXX_COMPILER_LAUNCHER ${CCACHE_PROGRAM})
endif()

add_library(vamu_options INTERFACE)
target_compile_options(vamu_options INTERFACE
  -Wall -Wextra -Wpedantic -Wno-missing-field-initializers)

if(VAMU_SANITIZE)
  list(JOIN VAMU_SANITIZE "," _vamu_sanitizers)
  set(_vamu_san_flags -fsanitize=${_vamu_sanitizers} -fno-omit-frame-pointer)
  if("undefined" IN_LIST VAMU_SANITIZE)
    list(APPEND _vamu_san_flags -fno-sanitize-recover=undefined)
  endif()
  add_compile_options(${_vamu_san_flags})
  add_link_options(${_vamu_san_flags})
endif()
