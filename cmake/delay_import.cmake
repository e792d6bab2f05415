# Delay-import libraries for the Win32 build. A program linked with one
# loads that system library at its first call, not at start-up, so that it
# can first restrict library search to the system folder (see
# src/app/main_win32.cpp). Each is made from MinGW-w64's import library of
# the same name and offers every function that one does, so no call site
# changes.
set(SETUP_DELAY_DEF_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/delay_import_def.cmake)

# Makes the library target delay_<name> for the system library <name>.dll.
function(setup_delay_import name)
  find_library(import_${name} NAMES lib${name}.a REQUIRED NO_CACHE)
  set(def ${CMAKE_BINARY_DIR}/delay/${name}.def)
  set(lib ${CMAKE_BINARY_DIR}/delay/libdelay_${name}.a)
  add_custom_command(OUTPUT ${lib}
    COMMAND ${CMAKE_COMMAND} -DNM=${CMAKE_NM} -DIMPORT=${import_${name}} -DDLL=${name}.dll
            -DDEF=${def} -P ${SETUP_DELAY_DEF_SCRIPT}
    COMMAND ${CMAKE_DLLTOOL} -m i386 --kill-at -d ${def} -D ${name}.dll -y ${lib}
    DEPENDS ${import_${name}} ${SETUP_DELAY_DEF_SCRIPT}
    COMMENT "Delay-import library for ${name}.dll")
  add_custom_target(delay_${name}_lib DEPENDS ${lib})
  add_library(delay_${name} INTERFACE)
  target_link_libraries(delay_${name} INTERFACE ${lib})
  add_dependencies(delay_${name} delay_${name}_lib)
endfunction()

# Fails the build of target when its import table names a library beyond
# those allowed (the DLL names as linked, case ignored).
function(setup_check_imports target)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${CMAKE_OBJDUMP} -DPROGRAM=$<TARGET_FILE:${target}>
            "-DALLOWED=${ARGN}" -P ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/check_imports.cmake
    VERBATIM)
endfunction()
