# Desktop integration: menu entry, icon and AppStream metainfo, installed beside the program.
# Included at the end of the top-level CMakeLists.txt, after enable_testing().

set(ORVANE_APP_ID app.orvane.Orvane)
set(ORVANE_DESKTOP_FILE ${PROJECT_SOURCE_DIR}/data/${ORVANE_APP_ID}.desktop)
set(ORVANE_METAINFO_FILE ${PROJECT_SOURCE_DIR}/data/${ORVANE_APP_ID}.metainfo.xml)
set(ORVANE_ICON_FILE ${PROJECT_SOURCE_DIR}/data/icons/${ORVANE_APP_ID}.svg)

install(FILES ${ORVANE_DESKTOP_FILE} DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${ORVANE_ICON_FILE} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${ORVANE_METAINFO_FILE} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The validators run offline; each test is left out when its tool is not installed.
if(ORVANE_BUILD_TESTS)
  find_program(APPSTREAMCLI appstreamcli)
  if(APPSTREAMCLI)
    add_test(NAME metainfo_validates
             COMMAND ${APPSTREAMCLI} validate --no-net ${ORVANE_METAINFO_FILE})
  else()
    message(STATUS "appstreamcli not found: the metainfo_validates test is skipped")
  endif()

  find_program(DESKTOP_FILE_VALIDATE desktop-file-validate)
  if(DESKTOP_FILE_VALIDATE)
    add_test(NAME desktop_file_validates COMMAND ${DESKTOP_FILE_VALIDATE} ${ORVANE_DESKTOP_FILE})
  else()
    message(STATUS "desktop-file-validate not found: the desktop_file_validates test is skipped")
  endif()
endif()
