# One golden transcript test: runs ptk-tester in a fresh working folder with the steps of a
# transcript and compares what it printed with the transcript.
#   cmake -DPROGRAM=<ptk-tester> -DTRANSCRIPT=<x.transcript> -DWORKDIR=<folder> -P run_script.cmake
# A transcript is the program's output (its "> STEP" lines are the steps), after a header
# of "#" lines that say what it shows. The steps are its "> " lines, less the line a
# "later" step prints when it fires: after "> later MS STEP" and the step that follows it,
# the next "> STEP" line is that firing. A script file <x>.script beside the transcript is
# run instead when there is one (the README's example, which a person reads as a file).
# The program's arguments are "--emulator --clock 15.06.2026 12:30:00" unless the header
# has a line "# ptk-tester: ARGS", which replaces them. Files in a folder <x>.files beside
# the transcript are copied into the working folder first. The expected exit status is 0
# when the transcript ends with "end" and holds no "error:" line (a run with --keep-going),
# else 3; a run that reports line-discipline violations of the virtual register on standard
# error fails as well. With PTK_UPDATE_TRANSCRIPTS set in the environment the transcript is written
# from the run instead, its header kept (read it before you commit it); a new transcript
# starts as a header and the "> " lines of its steps. The run also records its session
# (<folder>.recorded.script and <folder>.trace) for replay_round_trip.cmake.
cmake_minimum_required(VERSION 3.25)

include("${CMAKE_CURRENT_LIST_DIR}/transcript.cmake")
read_transcript("${TRANSCRIPT}" "${WORKDIR}")

# The session is recorded as it runs, script and line trace, beside the folder: the replay
# test plays them back, and this run shows that recording changes nothing.
execute_process(
  COMMAND "${PROGRAM}" ${args} --script "${script}" --record "${WORKDIR}.recorded.script"
    --trace "${WORKDIR}.trace"
  WORKING_DIRECTORY "${WORKDIR}"
  OUTPUT_VARIABLE actual
  ERROR_VARIABLE errors
  RESULT_VARIABLE status
  TIMEOUT 100)
file(WRITE "${WORKDIR}/actual.transcript" "${actual}")
file(WRITE "${WORKDIR}/expected.transcript" "${expected}")

if(DEFINED ENV{PTK_UPDATE_TRANSCRIPTS})
  file(WRITE "${TRANSCRIPT}" "${header}${actual}")
  message(STATUS "written ${TRANSCRIPT} (exit status ${status})")
  return()
endif()

string(REGEX MATCH "(^|\n)end\n$" ended "${expected}")
# With --keep-going a run that had an error still ends with "end", and with status 3.
string(REGEX MATCH "(^|\n)error: " failed "${expected}")
if(ended AND NOT failed)
  set(expectedStatus 0)
else()
  set(expectedStatus 3)
endif()

if(NOT actual STREQUAL expected)
  execute_process(COMMAND diff -u "${WORKDIR}/expected.transcript" "${WORKDIR}/actual.transcript"
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
