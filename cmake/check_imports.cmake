# Fails unless every library in the import table of PROGRAM, the ones the
# loader takes in before any of the program's code runs, is one of ALLOWED
# (cmake -P; OBJDUMP is the cross objdump; names compared case blind).
cmake_minimum_required(VERSION 3.25)
execute_process(COMMAND ${OBJDUMP} -p ${PROGRAM} OUTPUT_VARIABLE headers COMMAND_ERROR_IS_FATAL ANY)
string(REGEX MATCHALL "DLL Name: [^\n]+" dlls "${headers}")
string(TOLOWER "${ALLOWED}" allowed)
list(JOIN ALLOWED ", " allowed_text)
foreach(entry IN LISTS dlls)
  string(REPLACE "DLL Name: " "" dll "${entry}")
  string(TOLOWER "${dll}" dll)
  if(NOT dll IN_LIST allowed)
    message(FATAL_ERROR "${PROGRAM} imports ${dll} at start-up; only ${allowed_text} may be")
  endif()
endforeach()
