# Package files made from manifests at build time, with pkgtool.
#
#   setup_add_package(<target> MANIFEST <file.toml> OUTPUT <file.pkg> [SZDD])
#
# adds <target>, built by default, that writes OUTPUT whenever the manifest
# or pkgtool changes. The native tree runs its own pkgtool; the Win32 tree,
# which cannot build it, runs the native tree's (SETUP_PKGTOOL), so the
# native tree is built first.
set(SETUP_PKGTOOL "" CACHE FILEPATH "The native tree's pkgtool, with which the Win32 tree builds packages")

function(setup_add_package target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "SZDD" "MANIFEST;OUTPUT" "")
  if(NOT arg_MANIFEST OR NOT arg_OUTPUT)
    message(FATAL_ERROR "setup_add_package(${target}) needs MANIFEST and OUTPUT")
  endif()
  if(TARGET pkgtool)
    set(tool $<TARGET_FILE:pkgtool>)
    set(tool_dependency pkgtool)
  elseif(SETUP_PKGTOOL)
    set(tool ${SETUP_PKGTOOL})
    set(tool_dependency ${SETUP_PKGTOOL})
  else()
    message(FATAL_ERROR "setup_add_package(${target}): no pkgtool; set SETUP_PKGTOOL to the native tree's")
  endif()
  set(options)
  if(arg_SZDD)
    set(options --szdd)
  endif()
  add_custom_command(OUTPUT ${arg_OUTPUT}
    COMMAND ${tool} build ${arg_MANIFEST} -o ${arg_OUTPUT} ${options}
    DEPENDS ${arg_MANIFEST} ${tool_dependency}
    COMMENT "Building package ${arg_OUTPUT}"
    VERBATIM)
  add_custom_target(${target} ALL DEPENDS ${arg_OUTPUT})
endfunction()
