# One golden transcript test: runs ptk-tester with a script in a fresh working folder and
# compares what it printed with the script's .transcript file beside it.
#   cmake -DPROGRAM=<ptk-tester> -DSCRIPT=<x.script> -DWORKDIR=<folder> -P run_script.cmake
# The program's arguments are "--emulator --clock 15.06.2026 12:30:00" unless the script
# has a line "# ptk-tester: ARGS", which replaces them. Files in a folder <x>.files beside
# the script are copied into the working folder first. The expected exit status is 0 when
# the transcript ends with "end" and holds no "error:" line (a run with --keep-going),
# else 3. A run that reports line-discipline violations of the virtual register on standard
# error fails as well. With PTK_UPDATE_TRANSCRIPTS set in the
# environment the transcript file is written from the run instead (read it before you
# commit it).
cmake_minimum_required(VERSION 3.25)

get_filename_component(dir "${SCRIPT}" DIRECTORY)
get_filename_component(name "${SCRIPT}" NAME_WE)
set(expectedFile "${dir}/${name}.transcript")

set(args --emulator --clock "15.06.2026 12:30:00")
file(STRINGS "${SCRIPT}" argLines REGEX "^# ptk-tester:")
if(argLines)
  list(GET argLines 0 argLine)
  string(REGEX REPLACE "^# ptk-tester:[ ]*" "" argLine "${argLine}")
  separate_arguments(args UNIX_COMMAND "${argLine}")
endif()

file(REMOVE_RECURSE "${WORKDIR}")
file(MAKE_DIRECTORY "${WORKDIR}")
if(IS_DIRECTORY "${dir}/${name}.files")
  file(COPY "${dir}/${name}.files/" DESTINATION "${WORKDIR}")
endif()

execute_process(
  COMMAND "${PROGRAM}" ${args} --script "${SCRIPT}"
  WORKING_DIRECTORY "${WORKDIR}"
  OUTPUT_VARIABLE actual
  ERROR_VARIABLE errors
  RESULT_VARIABLE status
  TIMEOUT 100)
file(WRITE "${WORKDIR}/actual.transcript" "${actual}")

if(DEFINED ENV{PTK_UPDATE_TRANSCRIPTS})
  file(WRITE "${expectedFile}" "${actual}")
  message(STATUS "written ${expectedFile} (exit status ${status})")
  return()
endif()

if(NOT EXISTS "${expectedFile}")
  message(FATAL_ERROR "no ${expectedFile}; the run printed:\n${actual}")
endif()
file(READ "${expectedFile}" expected)
string(REGEX MATCH "(^|\n)end\n$" ended "${expected}")
# With --keep-going a run that had an error still ends with "end", and with status 3.
string(REGEX MATCH "(^|\n)error: " failed "${expected}")
if(ended AND NOT failed)
  set(expectedStatus 0)
else()
  set(expectedStatus 3)
endif()

if(NOT actual STREQUAL expected)
  execute_process(COMMAND diff -u "${expectedFile}" "${WORKDIR}/actual.transcript"
                  OUTPUT_VARIABLE difference)
  message(FATAL_ERROR "the transcript differs (expected, actual):\n${difference}\n"
                      "standard error:\n${errors}")
endif()
if(NOT status STREQUAL expectedStatus)
  message(FATAL_ERROR "exit status ${status}, expected ${expectedStatus}\n${errors}")
endif()
# Every exchange began on a free line: the virtual register counted no transfer begun
# while it executed a command or answered.
string(REGEX MATCH "нарушений порядка обмена: [1-9][0-9]*" violations "${errors}")
if(violations)
  message(FATAL_ERROR "ptk-tester reported ${violations}\n${errors}")
endif()
