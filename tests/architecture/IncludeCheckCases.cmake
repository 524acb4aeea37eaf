# cmake -DCHECKER=<CheckIncludes.cmake> -DWORK=<folder> -P IncludeCheckCases.cmake
# Runs the include check on small made-up trees, one per case, and compares its verdict.
# The trees have two libraries, lib_a (src/a) and lib_b (src/b), and a test program test_t
# (tests/t) with a header-only rig tests/support/Rig.h that no target lists.
cmake_minimum_required(VERSION 3.25)

# Each case: name | files as path=content, separated by "," | what lib_b links (closure) |
# lib_b's DEPS | what test_t links | a part of the expected refusal, or "ok"
set(cases
    "clean|src/b/B.cpp=#include \"a/A.h\"|lib_a|lib_a||ok"
    "missing link|src/b/B.cpp=#include \"a/A.h\"|||\
|src/b/B.cpp includes src/a/A.h of lib_a, which lib_b does not link"
    "path beside the file|src/b/B.cpp=#include \"../a/A.h\"|||\
|src/b/B.cpp includes src/a/A.h of lib_a, which lib_b does not link"
    "dependency never included|src/b/B.cpp=#include <vector>|lib_a|lib_a|\
|lib_b links lib_a, but none of its files includes a header of lib_a"
    "through another library|src/b/B.cpp=#include \"a/A.h\",tests/t/test_t.cpp=#include \"a/A.h\"|lib_a|lib_a|lib_b|ok"
    "rig header read with its includer|tests/t/test_t.cpp=#include \"support/Rig.h\",tests/support/Rig.h=#include \"a/A.h\"|||\
|src/a/A.h of lib_a, which test_t does not link"
    "rig header with its library linked|tests/t/test_t.cpp=#include \"../support/Rig.h\",tests/support/Rig.h=#include \"a/A.h\"|||lib_a|ok"
    "generated and system headers|src/b/B.cpp=#include \"B.moc\"\n#include \"stdio.h\"|||\
|ok"
    "a file no target lists|src/a/Extra.cpp=// nothing yet|||\
|src/a/Extra.cpp belongs to no target"
    "a library outside src|src/b/B.cpp=#include \"core/Sim.h\"|||\
|src/b/B.cpp includes tools/sim/core/Sim.h of lib_sim, which lib_b does not link")

set(failed 0)
foreach(case ${cases})
  string(REPLACE "|" ";" fields "${case}")
  list(LENGTH fields n)
  if(NOT n EQUAL 6)
    message(FATAL_ERROR "malformed case: ${case}")
  endif()
  list(GET fields 0 name)
  list(GET fields 1 files)
  list(GET fields 2 b_links)
  list(GET fields 3 b_deps)
  list(GET fields 4 t_links)
  list(GET fields 5 expected)
  string(MAKE_C_IDENTIFIER "${name}" dirname)
  set(root "${WORK}/${dirname}")
  file(REMOVE_RECURSE "${root}")
  # The tree every case starts from; a case's files are added or replace these.
  file(WRITE "${root}/src/a/A.h" "#pragma once\n")
  file(WRITE "${root}/src/b/B.cpp" "\n")
  file(WRITE "${root}/tests/t/test_t.cpp" "\n")
  file(WRITE "${root}/tools/sim/core/Sim.h" "#pragma once\n")
  string(REPLACE "," ";" files "${files}")
  foreach(f ${files})
    string(FIND "${f}" "=" eq)
    string(SUBSTRING "${f}" 0 ${eq} path)
    math(EXPR from "${eq} + 1")
    string(SUBSTRING "${f}" ${from} -1 content)
    file(WRITE "${root}/${path}" "${content}\n")
  endforeach()
  set(t_closure "${t_links}")
  if(t_links STREQUAL "lib_b")
    set(t_closure "lib_b;${b_links}")
  endif()
  file(WRITE "${root}/manifest.cmake" "
set(VARNIX_SOURCE_DIR \"${root}\")
set(VARNIX_INCLUDE_ROOTS \"${root}/src;${root}/tests;${root}/tools/sim\")
set(VARNIX_LISTED_FOLDERS \"${root}/src\")
set(VARNIX_UNITS \"lib_a;lib_b;lib_sim;test_t\")
set(VARNIX_UNIT_lib_a_FILES \"${root}/src/a/A.h\")
set(VARNIX_UNIT_lib_a_OWNS ON)
set(VARNIX_UNIT_lib_b_FILES \"${root}/src/b/B.cpp\")
set(VARNIX_UNIT_lib_b_LINKS \"${b_links}\")
set(VARNIX_UNIT_lib_b_DEPS \"${b_deps}\")
set(VARNIX_UNIT_lib_b_OWNS ON)
set(VARNIX_UNIT_lib_b_HINT \"its DEPS\")
set(VARNIX_UNIT_lib_sim_FILES \"${root}/tools/sim/core/Sim.h\")
set(VARNIX_UNIT_lib_sim_OWNS ON)
set(VARNIX_UNIT_test_t_FILES \"${root}/tests/t/test_t.cpp\")
set(VARNIX_UNIT_test_t_LINKS \"${t_closure}\")
set(VARNIX_UNIT_test_t_OWNS OFF)
set(VARNIX_UNIT_test_t_HINT \"its link list\")
")
  execute_process(COMMAND ${CMAKE_COMMAND} -DMANIFEST=${root}/manifest.cmake -P ${CHECKER}
                  RESULT_VARIABLE rc ERROR_VARIABLE err OUTPUT_VARIABLE out)
  string(REGEX REPLACE "[ \t\n]+" " " err "${err}")
  if(expected STREQUAL "ok")
    if(NOT rc EQUAL 0)
      message(SEND_ERROR "${name}: refused, should pass:\n${err}")
      set(failed 1)
    endif()
  elseif(rc EQUAL 0)
    message(SEND_ERROR "${name}: passed, should be refused with \"${expected}\"")
    set(failed 1)
  else()
    string(FIND "${err}" "${expected}" at)
    if(at LESS 0)
      message(SEND_ERROR "${name}: refused, but without \"${expected}\":\n${err}")
      set(failed 1)
    endif()
  endif()
endforeach()
if(failed)
  message(FATAL_ERROR "include check cases failed")
endif()
