# cmake -DPROGRAM=varnix-modemsim -DMANPAGE=varnix-modemsim.1 -P CheckManOptions.cmake
# Fails when an option of the program's --help is missing from its manual page, or the page
# describes one the program does not have.
if(NOT HELP_OPTION)
  set(HELP_OPTION --help)
endif()
execute_process(COMMAND ${PROGRAM} ${HELP_OPTION} OUTPUT_VARIABLE help RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${PROGRAM} --help failed: ${rc}")
endif()
file(READ ${MANPAGE} page)

# In the help every option starts its line: "  -h, --help", "  --link <PATH>".
string(REGEX MATCHALL "\n +(-[a-z], )?--[a-z-]+" lines "${help}")
set(from_help)
foreach(l ${lines})
  string(REGEX MATCH "--[a-z-]+" o "${l}")
  list(APPEND from_help ${o})
endforeach()

# In the page each option heads a .TP paragraph: ".BI \-\-link " PATH"", ".BR \-h ", " \-\-help".
string(REGEX MATCHALL "\\.TP\n\\.B[IR]? [^\n]*" heads "${page}")
set(from_page)
foreach(h ${heads})
  string(REGEX MATCHALL "\\\\-\\\\-[a-z\\\\-]+" os "${h}")
  foreach(o ${os})
    string(REPLACE "\\-" "-" o "${o}")
    list(APPEND from_page ${o})
  endforeach()
endforeach()
# The FILES section heads its paragraphs with the file options again.
list(REMOVE_DUPLICATES from_page)
list(REMOVE_DUPLICATES from_help)

set(missing ${from_help})
list(REMOVE_ITEM missing ${from_page})
set(extra ${from_page})
list(REMOVE_ITEM extra ${from_help})
if(missing OR extra OR NOT from_help)
  message(FATAL_ERROR "manual page and --help differ: missing in page: ${missing}; not in --help: ${extra}")
endif()
list(LENGTH from_help n)
message(STATUS "${n} options alike")
