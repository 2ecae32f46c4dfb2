# Builds the Debian package of BUILD into WORK with CPack, checks its control
# fields and that it holds every file in EXPECTED ("|"-separated, relative to
# /usr), and runs Debian's lintian on it: an error fails the check, warnings
# are printed.
# Usage: cmake -DCPACK=<cpack> -DBUILD=<build dir> -DWORK=<scratch> -DEXPECTED=<a|b>
#              -DVERSION=<x.y> -P check_deb.cmake
cmake_minimum_required(VERSION 3.22)
foreach(tool dpkg-deb lintian)
  find_program(found_${tool} ${tool})
  if(NOT found_${tool})
    message(FATAL_ERROR "${tool} was not found; it comes with the Debian package "
                        "dpkg-dev or lintian (scripts/deps.sh installs both).")
  endif()
endforeach()
file(REMOVE_RECURSE ${WORK})
execute_process(COMMAND ${CPACK} --config ${BUILD}/CPackConfig.cmake -G DEB -B ${WORK}
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
file(GLOB deb ${WORK}/*.deb)
list(LENGTH deb n)
if(NOT rc EQUAL 0 OR NOT n EQUAL 1)
  message(FATAL_ERROR "cpack -G DEB: exit ${rc}, ${n} packages made:\n${out}")
endif()

execute_process(COMMAND ${found_dpkg-deb} -f ${deb} Package Version Section Depends OUTPUT_VARIABLE fields)
if(NOT fields MATCHES "^Package: orvane\nVersion: ${VERSION}\nSection: science\nDepends: [^\n]*libqt6widgets6")
  message(SEND_ERROR "control fields of ${deb}:\n${fields}")
endif()

execute_process(COMMAND ${found_dpkg-deb} -c ${deb} OUTPUT_VARIABLE listing)
string(REPLACE "|" ";" EXPECTED "${EXPECTED}")
foreach(f ${EXPECTED})
  string(REPLACE "." "\\." f_re "${f}")
  if(NOT listing MATCHES "\n-[^\n]* \\./usr/${f_re}\n")
    message(SEND_ERROR "not in ${deb}: /usr/${f}\n${listing}")
  endif()
endforeach()

execute_process(COMMAND ${found_lintian} --fail-on error ${deb} RESULT_VARIABLE rc OUTPUT_VARIABLE tags
                ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(SEND_ERROR "lintian ${deb}: exit ${rc}\n${tags}${err}")
elseif(tags MATCHES "(^|\n)W: ")
  message(WARNING "lintian ${deb}:\n${tags}")
endif()
file(REMOVE_RECURSE ${WORK})
