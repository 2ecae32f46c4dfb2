# Installs the build into a scratch prefix and checks that each file in
# EXPECTED ("|"-separated, relative to the prefix) is there, and that the
# installed program runs.
# Usage: cmake -DBUILD=<build dir> -DPREFIX=<scratch> -DEXPECTED=<a|b> -DBINDIR=bin -DVERSION=<x.y>
#              -P check_install.cmake
cmake_minimum_required(VERSION 3.22)
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${PREFIX} RESULT_VARIABLE rc
                OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cmake --install ${BUILD} --prefix ${PREFIX} failed:\n${out}")
endif()
string(REPLACE "|" ";" EXPECTED "${EXPECTED}")
foreach(f ${EXPECTED})
  if(NOT EXISTS ${PREFIX}/${f})
    message(SEND_ERROR "not installed: ${PREFIX}/${f}")
  endif()
endforeach()
execute_process(COMMAND ${PREFIX}/${BINDIR}/orvane --version RESULT_VARIABLE rc OUTPUT_VARIABLE out)
if(NOT rc EQUAL 0 OR NOT out STREQUAL "orvane ${VERSION}\n")
  message(FATAL_ERROR "installed orvane --version: exit ${rc}, output '${out}'")
endif()
file(REMOVE_RECURSE ${PREFIX})
