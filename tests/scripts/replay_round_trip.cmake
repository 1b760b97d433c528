# Sessions recorded and replayed without the register: each golden transcript's test runs
# with --record and --trace (run_script.cmake); here the recorded script is performed again
# with --replay of the recorded trace, in a fresh working folder, and must show the same
# boxes, files, result lines and shown contents as the transcript. Steps on the virtual
# register's tape window (fm_Tape, and the main window's button that opens it) are left out
# of both: a replay has no virtual register. The session that reads a card is not replayed.
# Then the README's example with one menu item changed must stop the replay with exit
# status 4 and the divergence on standard error.
#   cmake -DPROGRAM=<ptk-tester> -DSCRIPTS=<tests/scripts> -DRECORDED=<folder of the runs>
#         -DWORKDIR=<folder> -P replay_round_trip.cmake
cmake_minimum_required(VERSION 3.25)
include("${CMAKE_CURRENT_LIST_DIR}/transcript.cmake")

# The lines a replay must repeat: no step lines, no errors (a step that failed is not in
# the recording), nothing of the tape window.
function(seen text out)
  string(REPLACE "\n" ";" lines "${text}")
  set(kept "")
  foreach(line IN LISTS lines)
    if(line MATCHES "^(box|file|rezult|show|state|list): " AND NOT line MATCHES "fm_Tape|fm_MainFr.bt_Tape")
      string(APPEND kept "${line}\n")
    endif()
  endforeach()
  set(${out} "${kept}" PARENT_SCOPE)
endfunction()

file(GLOB transcripts "${SCRIPTS}/*.transcript")
# The card this session reads comes from the virtual card reader, whose line the register's
# trace does not hold.
list(FILTER transcripts EXCLUDE REGEX "/receipt_card\\.transcript$")
set(failures "")
foreach(transcript IN LISTS transcripts)
  get_filename_component(name "${transcript}" NAME_WE)
  read_transcript("${transcript}" "${WORKDIR}/${name}")
  file(REMOVE "${WORKDIR}/${name}.wanted" "${WORKDIR}/${name}.got")
  set(recorded "${RECORDED}/${name}.recorded.script")
  set(trace "${RECORDED}/${name}.trace")
  if(NOT EXISTS "${recorded}" OR NOT EXISTS "${trace}")
    list(APPEND failures "${name}: no recording (run its test script.${name} first)")
    continue()
  endif()
  file(STRINGS "${recorded}" recordedLines ENCODING UTF-8)
  set(replayScript "")
  foreach(line IN LISTS recordedLines)
    if(NOT line MATCHES "fm_Tape|fm_MainFr.bt_Tape")
      string(APPEND replayScript "${line}\n")
    endif()
  endforeach()
  file(WRITE "${WORKDIR}/${name}.script" "${replayScript}")
  # What the program itself is told; the register's options belong to the recording.
  set(replayArgs --replay "${trace}")
  foreach(option --service --keep-going)
    if(option IN_LIST args)
      list(APPEND replayArgs ${option})
    endif()
  endforeach()
  execute_process(COMMAND "${PROGRAM}" ${replayArgs} --script "${WORKDIR}/${name}.script"
    WORKING_DIRECTORY "${WORKDIR}/${name}"
    OUTPUT_VARIABLE actual ERROR_VARIABLE errors RESULT_VARIABLE status TIMEOUT 100)
  seen("${expected}" wanted)
  seen("${actual}" got)
  if(NOT got STREQUAL wanted OR status EQUAL 4)
    file(WRITE "${WORKDIR}/${name}.wanted" "${wanted}")
    file(WRITE "${WORKDIR}/${name}.got" "${got}")
    execute_process(COMMAND diff -u "${WORKDIR}/${name}.wanted" "${WORKDIR}/${name}.got"
                    OUTPUT_VARIABLE difference)
    list(APPEND failures "${name} (exit status ${status}):\n${difference}${errors}")
  endif()
endforeach()
if(failures)
  string(REPLACE ";" "\n" failures "${failures}")
  message(FATAL_ERROR "replays that differ from their recordings:\n${failures}")
endif()

# A step changed: the replay leaves the trace at the changed exchange.
file(READ "${SCRIPTS}/readme_example.script" steps)
string(REPLACE "menu mi_KodSostKKM" "menu mi_SostKKM" steps "${steps}")
file(WRITE "${WORKDIR}/changed.script" "${steps}")
execute_process(COMMAND "${PROGRAM}" --replay "${RECORDED}/readme_example.trace"
  --script "${WORKDIR}/changed.script" WORKING_DIRECTORY "${WORKDIR}"
  OUTPUT_VARIABLE changed ERROR_VARIABLE errors RESULT_VARIABLE status TIMEOUT 100)
if(NOT status EQUAL 4 OR NOT errors MATCHES
   "replay diverged at exchange [0-9]+: expected 02 73 91 45 03 A4 got 02 73 91 3F 03 DE\n")
  message(FATAL_ERROR "the changed replay ended with ${status}:\n${errors}")
endif()
