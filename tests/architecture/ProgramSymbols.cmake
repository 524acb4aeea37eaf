# cmake -DPROGRAM=<file> -DNM=<nm> -P ProgramSymbols.cmake
# Fails when the program defines or calls a symbol of test code: the doubles of tests/support, the
# simulated modem of tools/modemsim, QtTest, or the benchmark hooks of bench/.
cmake_minimum_required(VERSION 3.25)
set(forbidden
    ScriptedDialogs VirtualClock MemorySettingsStore RecordingUrlOpener ScriptedRegistry TestPlatform
    FakeSerialBackend SimulatedModem "modemsim::" "QTest::" Bench)
execute_process(COMMAND ${NM} -C ${PROGRAM} OUTPUT_VARIABLE symbols RESULT_VARIABLE rc)
if(NOT rc EQUAL 0 OR symbols STREQUAL "")
  message(FATAL_ERROR "${NM} could not read ${PROGRAM}")
endif()
set(found)
foreach(name ${forbidden})
  string(FIND "${symbols}" "${name}" at)
  if(at GREATER_EQUAL 0)
    list(APPEND found ${name})
  endif()
endforeach()
if(found)
  message(FATAL_ERROR "${PROGRAM} carries test code: ${found}")
endif()
