# Checks the desktop integration files in SOURCE: desktop-file-validate on
# the desktop entry (required: a missing tool fails the check), xmllint on
# the XML files and a compile of the MIME types into WORK when those tools
# are there.
# Usage: cmake -DSOURCE=<packaging dir> -DWORK=<scratch dir> -P check_desktop.cmake
cmake_minimum_required(VERSION 3.22)
find_program(VALIDATE desktop-file-validate)
if(NOT VALIDATE)
  message(FATAL_ERROR "desktop-file-validate was not found; it comes with the Debian package "
                      "desktop-file-utils (scripts/deps.sh installs it).")
endif()
# Warnings and hints fail too: an entry without a main category, say, only
# gets a hint, and ends up in a menu's catch-all section.
execute_process(COMMAND ${VALIDATE} ${SOURCE}/orvane.desktop RESULT_VARIABLE rc OUTPUT_VARIABLE out
                ERROR_VARIABLE out)
if(NOT rc EQUAL 0 OR NOT out STREQUAL "")
  message(FATAL_ERROR "desktop-file-validate ${SOURCE}/orvane.desktop:\n${out}")
endif()

find_program(XMLLINT xmllint)
if(XMLLINT)
  foreach(f orvane-mime.xml orvane.svg)
    execute_process(COMMAND ${XMLLINT} --noout ${SOURCE}/${f} RESULT_VARIABLE rc ERROR_VARIABLE out)
    if(NOT rc EQUAL 0)
      message(FATAL_ERROR "xmllint ${SOURCE}/${f}:\n${out}")
    endif()
  endforeach()
endif()

# The desktop entry claims the profile types of the XML, and the MIME
# database compiles each from the XML with its globs (those in lower case:
# globs match either case unless marked case-sensitive). Which types and
# globs there are is the format table's to say; a test holds the XML to it.
file(READ ${SOURCE}/orvane.desktop entry)
string(REGEX MATCH "\nMimeType=([^\n]*)" _ "${entry}")
string(REGEX REPLACE ";$" "" types "${CMAKE_MATCH_1}")
file(STRINGS ${SOURCE}/orvane-mime.xml xml)
foreach(line IN LISTS xml)
  if(line MATCHES "<mime-type type=\"([^\"]+)\"")
    set(type ${CMAKE_MATCH_1})
    list(APPEND claimed ${type})
  elseif(line MATCHES "<glob pattern=\"([^\"]+)\"")
    string(TOLOWER "${CMAKE_MATCH_1}" lower)
    if(lower STREQUAL CMAKE_MATCH_1)
      list(APPEND globs "${type}:${lower}")
    endif()
  endif()
endforeach()
if(NOT types STREQUAL "${claimed}")
  message(FATAL_ERROR "orvane.desktop claims MimeType=${types}, not the profile types ${claimed}")
endif()
find_program(UPDATE_MIME update-mime-database)
if(UPDATE_MIME)
  file(REMOVE_RECURSE ${WORK})
  file(COPY ${SOURCE}/orvane-mime.xml DESTINATION ${WORK}/packages)
  execute_process(COMMAND ${UPDATE_MIME} ${WORK} RESULT_VARIABLE rc OUTPUT_QUIET ERROR_VARIABLE out)
  if(NOT rc EQUAL 0 OR NOT EXISTS ${WORK}/globs2)
    message(FATAL_ERROR "update-mime-database ${WORK}:\n${out}")
  endif()
  file(STRINGS ${WORK}/globs2 compiled REGEX "^[0-9]+:")
  list(TRANSFORM compiled REPLACE "^[0-9]+:" "")
  foreach(g ${globs})
    if(NOT g IN_LIST compiled)
      message(FATAL_ERROR "the compiled MIME database lacks ${g}; it has:\n${compiled}")
    endif()
  endforeach()
endif()
