# A session replayed from its line trace: the README's example run against the virtual
# register with --trace, then again with --replay of that trace and no register, must print
# the same; the same steps with one menu item changed must stop the replay with exit status
# 4 and the divergence on standard error.
#   cmake -DPROGRAM=<ptk-tester> -DSCRIPT=<x.script> -DWORKDIR=<folder> -P replay_round_trip.cmake
cmake_minimum_required(VERSION 3.25)

file(REMOVE_RECURSE "${WORKDIR}")
file(MAKE_DIRECTORY "${WORKDIR}")

function(run out status)
  execute_process(COMMAND "${PROGRAM}" ${ARGN} WORKING_DIRECTORY "${WORKDIR}"
    OUTPUT_VARIABLE output ERROR_VARIABLE errors RESULT_VARIABLE result TIMEOUT 100)
  set(${out} "${output}" PARENT_SCOPE)
  set(${status} "${result}" PARENT_SCOPE)
  set(errors "${errors}" PARENT_SCOPE)
endfunction()

run(recorded recordedStatus --emulator --clock "15.06.2026 12:30:00" --trace session.trace
  --script "${SCRIPT}")
if(NOT recordedStatus EQUAL 0)
  message(FATAL_ERROR "the recorded run ended with ${recordedStatus}:\n${recorded}${errors}")
endif()

run(replayed replayedStatus --replay session.trace --script "${SCRIPT}")
if(NOT replayedStatus EQUAL 0 OR NOT replayed STREQUAL recorded)
  message(FATAL_ERROR "the replay ended with ${replayedStatus} and printed\n${replayed}${errors}"
    "\ninstead of\n${recorded}")
endif()

file(READ "${SCRIPT}" steps)
string(REPLACE "menu mi_KodSostKKM" "menu mi_SostKKM" steps "${steps}")
file(WRITE "${WORKDIR}/changed.script" "${steps}")
run(changed changedStatus --replay session.trace --script changed.script)
if(NOT changedStatus EQUAL 4 OR NOT errors MATCHES
   "replay diverged at exchange [0-9]+: expected 02 73 91 45 03 A4 got 02 73 91 3F 03 DE\n")
  message(FATAL_ERROR "the changed replay ended with ${changedStatus}:\n${errors}")
endif()
