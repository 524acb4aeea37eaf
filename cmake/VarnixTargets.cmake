# How the program's folders become targets.
#
# Every folder of src/ is one static library made by varnix_add_library(), its sources listed
# one by one and its links naming the folders it includes.

# varnix_add_library(NAME SOURCES file... [DEPS folder...] [LIBS target...])
#   Makes varnix_NAME from src/NAME. SOURCES are listed one by one, headers included. DEPS are
#   the other folders of src/ whose headers NAME includes (linked PUBLIC: their types appear in
#   NAME's headers); LIBS are other targets it links, such as Qt modules.
function(varnix_add_library name)
  cmake_parse_arguments(L "" "" "SOURCES;DEPS;LIBS" ${ARGN})
  if(L_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "varnix_add_library(${name}): unknown arguments ${L_UNPARSED_ARGUMENTS}")
  endif()
  if(NOT L_SOURCES)
    message(FATAL_ERROR "varnix_add_library(${name}): no SOURCES")
  endif()
  set(target varnix_${name})
  add_library(${target} STATIC ${L_SOURCES})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  set(deps ${L_DEPS})
  list(TRANSFORM deps PREPEND varnix_)
  target_link_libraries(${target} PUBLIC ${deps} ${L_LIBS})
  set_target_properties(${target} PROPERTIES VARNIX_DEPS "${deps}" VARNIX_FOLDER "${name}")
  set_property(GLOBAL APPEND PROPERTY VARNIX_LIBRARIES ${target})
endfunction()

# varnix_add_test(name SOURCES a.cpp ... LIBS lib ...)
#   A QtTest program registered with CTest, run headless. It links the test doubles as well.
function(varnix_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE Qt6::Test ${T_LIBS} varnix_testsupport)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 120)
endfunction()
