# What `cmake --install` puts under the prefix: the program, its desktop entry (which also
# makes it the handler of vamu: links) and its icon in the hicolor theme, and the bundled
# local service the program talks to by default. Tests, tools and benchmarks stay behind.
include(GNUInstallDirs)

if(VAMU_BUILD_GUI)
  install(TARGETS vamu RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${PROJECT_SOURCE_DIR}/resources/desktop/vamu.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  set(_vamu_icons ${PROJECT_SOURCE_DIR}/resources/icon)
  foreach(size 16 22 24 32 48 64 128 256)
    if(size EQUAL 128)
      set(_file ${_vamu_icons}/vamu_icon.png)  # the program's own picture
    else()
      set(_file ${_vamu_icons}/vamu_${size}.png)
    endif()
    install(FILES ${_file} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME vamu.png)
  endforeach()
  install(FILES ${_vamu_icons}/vamu.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
endif()

# The program's default server and companion addresses are this service's.
install(TARGETS vamu-service RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
