# The programs' version, as --version prints it.
target_compile_definitions(orvane PRIVATE ORVANE_VERSION="${PROJECT_VERSION}")

# Installation in the GNU layout under the prefix: the programs, the desktop
# entry, the MIME types of the profile formats, the icon, the manual pages.
# The caches these feed (update-desktop-database, update-mime-database, the
# icon cache) are refreshed by the package manager's triggers, not here.
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

# The manual pages, their version filled in and compressed as Debian's
# checker wants them (gzip -9, no name or time stored).
set(ORVANE_MAN_DIR ${CMAKE_INSTALL_MANDIR}/man1)
set(ORVANE_MAN_PAGES orvane.1 orvane-batch.1)
set(manuals)
foreach(page ${ORVANE_MAN_PAGES})
  configure_file(${CMAKE_SOURCE_DIR}/docs/man/${page} ${CMAKE_BINARY_DIR}/man/${page} @ONLY)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/man/${page}.gz
    COMMAND gzip -9 -n -f -k ${page}
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/man
    DEPENDS ${CMAKE_BINARY_DIR}/man/${page})
  list(APPEND manuals ${CMAKE_BINARY_DIR}/man/${page}.gz)
endforeach()
add_custom_target(manual_pages ALL DEPENDS ${manuals})
install(FILES ${manuals} DESTINATION ${ORVANE_MAN_DIR})

# The package's copyright and changelog, where Debian keeps them.
set(ORVANE_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/orvane)
configure_file(${CMAKE_CURRENT_LIST_DIR}/changelog ${CMAKE_BINARY_DIR}/doc/changelog @ONLY)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/doc/changelog.gz
  COMMAND gzip -9 -n -f -k changelog
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/doc
  DEPENDS ${CMAKE_BINARY_DIR}/doc/changelog)
add_custom_target(package_changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/doc/changelog.gz)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/copyright ${CMAKE_BINARY_DIR}/doc/changelog.gz
        DESTINATION ${ORVANE_DOC_DIR})

# The Debian package: `cpack -G DEB` in the build folder, or
# scripts/package.sh. Its dependencies are read from the programs' own
# libraries; installing and removing it refreshes the desktop, MIME, icon and
# manual databases through those packages' file triggers, so it carries no
# install scripts of its own.
set(CPACK_PACKAGE_NAME orvane)
set(CPACK_PACKAGE_VENDOR "Orvane")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "ground-penetrating-radar and seismic first-arrival picking")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Orvane opens ground-penetrating-radar profiles and seismic shot gathers
(Seismic Unix, Ramac RD3, Pulse Ekko DT1 and text), draws them as filled
wiggles, picks the first arrival of every trace, aligns the traces on the
picks and saves picks and profiles.
.
The package also holds orvane-batch, which picks, aligns and writes whole
surveys without a window.")
set(CPACK_PACKAGE_CONTACT "Orvane maintainers <maintainers@users.noreply.c-seed-170e264b.example>")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
include(CPack)

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
  list(APPEND expected ${ORVANE_DOC_DIR}/copyright)
  foreach(page ${ORVANE_MAN_PAGES})
    list(APPEND expected ${ORVANE_MAN_DIR}/${page}.gz)
  endforeach()
  string(REPLACE ";" "|" expected "${expected}")
  add_test(NAME Packaging.InstallLayout
    COMMAND ${CMAKE_COMMAND} -DBUILD=${CMAKE_BINARY_DIR} -DPREFIX=${CMAKE_CURRENT_BINARY_DIR}/install-check
            -DEXPECTED=${expected} -DBINDIR=${CMAKE_INSTALL_BINDIR} -DVERSION=${PROJECT_VERSION}
            -P ${CMAKE_CURRENT_LIST_DIR}/check_install.cmake)
endif()

  # Every option and extension the programs' --help prints is in their pages.
  add_test(NAME Packaging.ManualPagesCoverHelp
    COMMAND ${CMAKE_COMMAND} "-DPROGRAMS=$<TARGET_FILE:orvane>|$<TARGET_FILE:orvane-batch>"
            "-DPAGES=${CMAKE_SOURCE_DIR}/docs/man/orvane.1|${CMAKE_SOURCE_DIR}/docs/man/orvane-batch.1"
            -P ${CMAKE_CURRENT_LIST_DIR}/check_manpages.cmake)

  # The Debian package of this build, as lintian sees it. A sanitized build's
  # programs are not packaged.
  if(NOT ORVANE_SANITIZE)
    add_test(NAME Packaging.DebianPackage
      COMMAND ${CMAKE_COMMAND} -DCPACK=${CMAKE_CPACK_COMMAND} -DBUILD=${CMAKE_BINARY_DIR}
              -DWORK=${CMAKE_CURRENT_BINARY_DIR}/deb-check -DEXPECTED=${expected}
              -DVERSION=${PROJECT_VERSION} -P ${CMAKE_CURRENT_LIST_DIR}/check_deb.cmake)
  endif()
