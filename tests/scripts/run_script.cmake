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
# starts as a header and the "> " lines of its steps.
cmake_minimum_required(VERSION 3.25)

get_filename_component(dir "${TRANSCRIPT}" DIRECTORY)
get_filename_component(name "${TRANSCRIPT}" NAME_WE)
set(scriptFile "${dir}/${name}.script")

# The file's lines as a list: the characters a CMake list treats specially are kept as
# placeholders until the lines are written out again.
function(read_lines file out)
  file(READ "${file}" content)
  string(REPLACE "\\" "<ptk-backslash>" content "${content}")
  string(REPLACE ";" "<ptk-semicolon>" content "${content}")
  string(REPLACE "[" "<ptk-open>" content "${content}")
  string(REPLACE "]" "<ptk-close>" content "${content}")
  string(REGEX REPLACE "\n$" "" content "${content}")
  string(REPLACE "\n" ";" lines "${content}")
  set(${out} "${lines}" PARENT_SCOPE)
endfunction()

function(restore text out)
  string(REPLACE "<ptk-backslash>" "\\" text "${text}")
  string(REPLACE "<ptk-semicolon>" ";" text "${text}")
  string(REPLACE "<ptk-open>" "[" text "${text}")
  string(REPLACE "<ptk-close>" "]" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

read_lines("${TRANSCRIPT}" lines)
set(header "")
set(body "")
set(steps "")
set(inHeader TRUE)
set(pending "")  # later steps that are still to fire, in order
set(armed "")    # a later step that starts waiting once the next step has begun
foreach(line IN LISTS lines)
  if(inHeader AND line MATCHES "^#")
    string(APPEND header "${line}\n")
    continue()
  endif()
  set(inHeader FALSE)
  string(APPEND body "${line}\n")
  if(NOT line MATCHES "^> ")
    continue()
  endif()
  string(SUBSTRING "${line}" 2 -1 step)
  list(LENGTH pending waiting)
  if(waiting GREATER 0)
    list(GET pending 0 next)
    if(step STREQUAL next)
      list(REMOVE_AT pending 0)
      continue()
    endif()
  endif()
  string(APPEND steps "${step}\n")
  if(NOT armed STREQUAL "")
    list(APPEND pending "${armed}")
    set(armed "")
  endif()
  if(step MATCHES "^later [0-9]+ (.*)$")
    set(armed "${CMAKE_MATCH_1}")
  endif()
endforeach()
restore("${header}" header)
restore("${body}" expected)
restore("${steps}" steps)

file(REMOVE_RECURSE "${WORKDIR}")
file(MAKE_DIRECTORY "${WORKDIR}")
if(IS_DIRECTORY "${dir}/${name}.files")
  file(COPY "${dir}/${name}.files/" DESTINATION "${WORKDIR}")
endif()
if(EXISTS "${scriptFile}")
  set(script "${scriptFile}")
  file(STRINGS "${scriptFile}" argLines REGEX "^# ptk-tester:")
else()
  # The header first, so that the steps keep their line numbers in "error:" lines.
  set(script "${WORKDIR}.steps.script")  # beside the folder: the run lists its files
  file(WRITE "${script}" "${header}${steps}")
  string(REGEX MATCHALL "# ptk-tester:[^\n]*" argLines "${header}")
endif()

set(args --emulator --clock "15.06.2026 12:30:00")
if(argLines)
  list(GET argLines 0 argLine)
  string(REGEX REPLACE "^# ptk-tester:[ ]*" "" argLine "${argLine}")
  separate_arguments(args UNIX_COMMAND "${argLine}")
endif()

execute_process(
  COMMAND "${PROGRAM}" ${args} --script "${script}"
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
