# vorel_auto_package(OPTION PACKAGE WHAT FOUND): for a part of the build whose
# OPTION is AUTO, ON or OFF. ON requires PACKAGE; AUTO builds the part when
# PACKAGE is found; OFF leaves it out. Says at configure time which, and sets
# FOUND to whether the part is built.
function(vorel_auto_package option package what found)
  if(${option} STREQUAL "OFF")
    set(built FALSE)
  elseif(${option} STREQUAL "ON")
    find_package(${package} REQUIRED)
    set(built TRUE)
  else()
    find_package(${package} QUIET)
    set(built ${${package}_FOUND})
  endif()
  if(built)
    message(STATUS "${what}: built")
  else()
    message(STATUS "${what}: not built (${option}=${${option}}; needs ${package})")
  endif()
  set(${found} ${built} PARENT_SCOPE)
endfunction()
