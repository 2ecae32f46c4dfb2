# Every option, file extension and --format name a program's --help prints
# appears in its manual page, so that one added to the program and not to its
# page fails here.
# Usage: cmake -DPROGRAMS=<a|b> -DPAGES=<a.1|b.1> -P check_manpages.cmake
cmake_minimum_required(VERSION 3.22)
string(REPLACE "|" ";" PROGRAMS "${PROGRAMS}")
string(REPLACE "|" ";" PAGES "${PAGES}")
foreach(program page IN ZIP_LISTS PROGRAMS PAGES)
  execute_process(COMMAND ${program} --help RESULT_VARIABLE rc OUTPUT_VARIABLE help TIMEOUT 30)
  if(NOT rc EQUAL 0 OR help STREQUAL "")
    message(FATAL_ERROR "${program} --help: exit ${rc}, output '${help}'")
  endif()
  # The page as a reader sees it: no font changes, hyphens as typed.
  file(READ ${page} text)
  string(REGEX REPLACE "\\\\f[BIRP]|\\\\&" "" text "${text}")
  string(REPLACE "\\-" "-" text "${text}")
  # Options start a word; extensions follow a blank or an opening bracket.
  string(REGEX MATCHALL "(^|[ \n,[])--?[A-Za-z][A-Za-z0-9-]*" options "${help}")
  string(REGEX MATCHALL "[ (]\\.[A-Za-z0-9]+" extensions "${help}")
  # The format names --format takes.
  set(formats)
  if(help MATCHES "--format [^ ]+ +([^;\n]+)")
    string(REGEX REPLACE ",? or |, " ";" formats "${CMAKE_MATCH_1}")
  endif()
  set(missing)
  foreach(word ${options} ${extensions} ${formats})
    string(REGEX REPLACE "^[ \n,[(]" "" word "${word}")
    string(REPLACE "." "\\." pattern "${word}")
    if(NOT text MATCHES "(^|[^A-Za-z0-9.-])${pattern}([^A-Za-z0-9-]|$)")
      list(APPEND missing ${word})
    endif()
  endforeach()
  list(REMOVE_DUPLICATES missing)
  if(missing)
    message(SEND_ERROR "${page} does not mention what ${program} --help prints: ${missing}")
  endif()
endforeach()
