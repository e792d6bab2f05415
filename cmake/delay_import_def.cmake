# Writes DEF, a module definition of DLL naming every function that the
# import library IMPORT offers (cmake -P; NM is the cross nm).
# Only functions: data cannot be delay-loaded, and a program that used one
# would link the plain import library, which the import check catches.
cmake_minimum_required(VERSION 3.25)
execute_process(COMMAND ${NM} -g ${IMPORT} OUTPUT_VARIABLE symbols COMMAND_ERROR_IS_FATAL ANY)
# Each function is a thunk "T _Name@N" beside its pointer "I __imp__Name@N".
string(REGEX MATCHALL "[0-9a-f]+ T _[A-Za-z0-9_@?$]+" thunks "${symbols}")
set(names)
foreach(thunk IN LISTS thunks)
  string(REGEX REPLACE "^[0-9a-f]+ T _" "" name "${thunk}")
  string(FIND "${symbols}" " I __imp__${name}\n" pointer)
  if(NOT pointer EQUAL -1)
    list(APPEND names "${name}")
  endif()
endforeach()
list(REMOVE_DUPLICATES names)
list(JOIN names "\n" exports)
file(WRITE ${DEF} "LIBRARY ${DLL}\nEXPORTS\n${exports}\n")
