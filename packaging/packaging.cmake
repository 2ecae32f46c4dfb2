# The programs' version, as --version prints it.
target_compile_definitions(orvane PRIVATE ORVANE_VERSION="${PROJECT_VERSION}")

if(BUILD_TESTING)
  # --help, --version and the refused command lines, with no display and no
  # usable platform plugin: none of them may start Qt.
  add_test(NAME CommandLine.AnsweredWithoutDisplay
    COMMAND ${CMAKE_COMMAND} -DORVANE=$<TARGET_FILE:orvane> -DVERSION=${PROJECT_VERSION}
            -P ${CMAKE_CURRENT_LIST_DIR}/check_cmdline.cmake)
endif()
