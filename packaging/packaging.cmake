# The programs' version, as --version prints it.
target_compile_definitions(orvane PRIVATE ORVANE_VERSION="${PROJECT_VERSION}")

# Installation in the GNU layout under the prefix: the programs, the desktop
# entry, the MIME types of the profile formats and the icon. The caches these
# feed (update-desktop-database, update-mime-database, the icon cache) are
# refreshed by a package's own install scripts, not here.
include(GNUInstallDirs)
install(TARGETS orvane RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET orvane-batch)
  install(TARGETS orvane-batch RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
set(ORVANE_DESKTOP_DIR ${CMAKE_INSTALL_DATADIR}/applications)
set(ORVANE_MIME_DIR ${CMAKE_INSTALL_DATADIR}/mime/packages)
set(ORVANE_ICON_DIR ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/orvane.desktop DESTINATION ${ORVANE_DESKTOP_DIR})
install(FILES ${CMAKE_CURRENT_LIST_DIR}/orvane-mime.xml DESTINATION ${ORVANE_MIME_DIR})
install(FILES ${CMAKE_CURRENT_LIST_DIR}/orvane.svg DESTINATION ${ORVANE_ICON_DIR})

if(BUILD_TESTING)
  # --help, --version and the refused command lines, with no display and no
  # usable platform plugin: none of them may start Qt.
  add_test(NAME CommandLine.AnsweredWithoutDisplay
    COMMAND ${CMAKE_COMMAND} -DORVANE=$<TARGET_FILE:orvane> -DVERSION=${PROJECT_VERSION}
            -P ${CMAKE_CURRENT_LIST_DIR}/check_cmdline.cmake)

  # The desktop entry as desktop-file-validate sees it, the XML files
  # well-formed, and the MIME types as the MIME database compiles them.
  add_test(NAME Packaging.DesktopEntryAndMimeTypes
    COMMAND ${CMAKE_COMMAND} -DSOURCE=${CMAKE_CURRENT_LIST_DIR}
            -DWORK=${CMAKE_CURRENT_BINARY_DIR}/packaging-check
            -P ${CMAKE_CURRENT_LIST_DIR}/check_desktop.cmake)

  # An install into a scratch prefix puts every file where desktops look.
  set(expected ${CMAKE_INSTALL_BINDIR}/orvane ${ORVANE_DESKTOP_DIR}/orvane.desktop
      ${ORVANE_MIME_DIR}/orvane-mime.xml ${ORVANE_ICON_DIR}/orvane.svg)
  if(TARGET orvane-batch)
    list(APPEND expected ${CMAKE_INSTALL_BINDIR}/orvane-batch)
  endif()
  string(REPLACE ";" "|" expected "${expected}")
  add_test(NAME Packaging.InstallLayout
    COMMAND ${CMAKE_COMMAND} -DBUILD=${CMAKE_BINARY_DIR} -DPREFIX=${CMAKE_CURRENT_BINARY_DIR}/install-check
            -DEXPECTED=${expected} -DBINDIR=${CMAKE_INSTALL_BINDIR} -DVERSION=${PROJECT_VERSION}
            -P ${CMAKE_CURRENT_LIST_DIR}/check_install.cmake)
endif()
