# vorel-run-count on the default controls and on "s&h" 4 with "bitmask" 0.5
# must end on different samples: if its controls did not reach the plugin,
# `make count-instructions` would count one input twice under two names.
# Run by CTest: cmake -DRUN=... -DLIBRARY=... [-DEMULATOR=...] -P this file.
set(last "")
foreach(controls "" "4;0.5")
  execute_process(COMMAND ${EMULATOR} ${RUN} ${LIBRARY} 8192 ${controls}
                  OUTPUT_VARIABLE out RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "vorel-run-count ${controls} failed: ${rc}")
  endif()
  string(REGEX MATCH "last [^\n]*" sample "${out}")
  if(sample STREQUAL "" OR sample STREQUAL last)
    message(FATAL_ERROR "the same last sample for both inputs: '${sample}'")
  endif()
  set(last "${sample}")
endforeach()
