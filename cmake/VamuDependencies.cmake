# Every outside library is found here once, so subsystem folders only link targets.
find_package(PkgConfig REQUIRED)
find_package(Threads REQUIRED)
find_package(CURL REQUIRED)
find_package(OpenSSL REQUIRED COMPONENTS Crypto SSL)
find_package(ZLIB REQUIRED)
find_package(nlohmann_json 3.10 REQUIRED)
find_package(pugixml REQUIRED)
find_package(SQLite3 REQUIRED)
pkg_check_modules(MPG123 REQUIRED IMPORTED_TARGET libmpg123)
pkg_check_modules(PULSE REQUIRED IMPORTED_TARGET libpulse)
pkg_check_modules(PULSE_SIMPLE REQUIRED IMPORTED_TARGET libpulse-simple)
# The desktop's keyring (the Secret Service on the session bus), for the remembered login.
pkg_check_modules(LIBSECRET REQUIRED IMPORTED_TARGET libsecret-1)
find_library(MP3LAME_LIBRARY mp3lame REQUIRED)
find_path(MP3LAME_INCLUDE_DIR lame/lame.h REQUIRED)
add_library(vamu_mp3lame INTERFACE)
target_link_libraries(vamu_mp3lame INTERFACE ${MP3LAME_LIBRARY})
target_include_directories(vamu_mp3lame INTERFACE ${MP3LAME_INCLUDE_DIR})
# Debian ships cpp-httplib as a split header plus a shared library, described by pkg-config
# only. Its Cflags carry the feature switches (OpenSSL, zlib, brotli) the library was built
# with; the header's declarations must see the same switches, so take them from there.
pkg_check_modules(HTTPLIB REQUIRED IMPORTED_TARGET cpp-httplib)
add_library(vamu_httplib INTERFACE)
target_link_libraries(vamu_httplib INTERFACE PkgConfig::HTTPLIB OpenSSL::SSL OpenSSL::Crypto ZLIB::ZLIB Threads::Threads)

find_package(GTest REQUIRED)
include(GoogleTest)
find_package(benchmark REQUIRED)

if(VAMU_BUILD_GUI)
  find_package(Qt6 6.4 REQUIRED COMPONENTS Core Gui Widgets Network Test DBus)
  set(CMAKE_AUTOMOC OFF)

  # Wayland protocols that Qt 6 on Debian 12 has no binding for are spoken over
  # libwayland-client; wayland-scanner makes their C glue from the XML.
  pkg_check_modules(WAYLAND_CLIENT REQUIRED IMPORTED_TARGET wayland-client)
  pkg_check_modules(WAYLAND_SCANNER REQUIRED wayland-scanner)
  pkg_get_variable(WAYLAND_SCANNER_BIN wayland-scanner wayland_scanner)
  pkg_check_modules(WAYLAND_PROTOCOLS REQUIRED wayland-protocols)
  pkg_get_variable(WAYLAND_PROTOCOLS_DIR wayland-protocols pkgdatadir)

  # Adds the glue of each protocol XML to the target, with its headers on its include path.
  function(vamu_add_wayland_protocols target)
    set(_out ${CMAKE_CURRENT_BINARY_DIR}/wayland)
    file(MAKE_DIRECTORY ${_out})
    foreach(_protocol ${ARGN})
      get_filename_component(_name ${_protocol} NAME_WE)
      add_custom_command(
        OUTPUT ${_out}/${_name}-client-protocol.h ${_out}/${_name}-protocol.c
        COMMAND ${WAYLAND_SCANNER_BIN} client-header ${_protocol} ${_out}/${_name}-client-protocol.h
        COMMAND ${WAYLAND_SCANNER_BIN} private-code ${_protocol} ${_out}/${_name}-protocol.c
        DEPENDS ${_protocol}
        VERBATIM)
      target_sources(${target} PRIVATE ${_out}/${_name}-client-protocol.h ${_out}/${_name}-protocol.c)
    endforeach()
    target_include_directories(${target} PRIVATE ${_out})
    target_link_libraries(${target} PRIVATE PkgConfig::WAYLAND_CLIENT)
  endfunction()
endif()
