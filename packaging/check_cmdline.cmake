# Runs the program with command lines it answers without a window, under a
# platform plugin that does not exist and with no display: a QApplication
# created for any of them would abort instead of exiting as expected.
# Usage: cmake -DORVANE=<program> -DVERSION=<x.y> -P check_cmdline.cmake
cmake_minimum_required(VERSION 3.22)
set(ENV{QT_QPA_PLATFORM} "no-such-platform")
unset(ENV{DISPLAY})
unset(ENV{WAYLAND_DISPLAY})

set(failures 0)
# run(<exit code> <stdout regex> <stderr regex> args...): "^$" for an empty stream.
function(run code out_re err_re)
  execute_process(COMMAND ${ORVANE} ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err
                  TIMEOUT 30)
  if(NOT rc STREQUAL "${code}" OR NOT out MATCHES "${out_re}" OR NOT err MATCHES "${err_re}")
    message(SEND_ERROR "orvane ${ARGN}: exit ${rc} (expected ${code})\n"
                       "stdout (expected /${out_re}/):\n${out}\nstderr (expected /${err_re}/):\n${err}")
  endif()
endfunction()

set(usage "Usage: orvane \\[FILE\\].*--help.*--version")
run(0 "^${usage}" "^$" --help)
run(0 "^${usage}" "^$" -h)
run(0 "^orvane ${VERSION}\n$" "^$" --version)
run(2 "^$" "^orvane: unknown option '--bogus'\n${usage}" --bogus)
run(2 "^$" "^orvane: one file at a time, 2 given\n${usage}" a.su b.su)
