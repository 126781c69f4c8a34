# VOREL_SANITIZE=address builds everything with AddressSanitizer and
# UndefinedBehaviorSanitizer, =thread with ThreadSanitizer; VOREL_FUZZ adds
# the fuzzer's coverage instrumentation to the first. The fuzz target itself
# links the fuzzer's driver.
if(VOREL_SANITIZE STREQUAL "address")
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
elseif(VOREL_SANITIZE STREQUAL "thread")
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
elseif(NOT VOREL_SANITIZE STREQUAL "")
  message(FATAL_ERROR "VOREL_SANITIZE is address, thread or empty, not '${VOREL_SANITIZE}'")
endif()

if(VOREL_FUZZ)
  if(VOREL_SANITIZE)
    message(FATAL_ERROR "VOREL_FUZZ brings its own sanitizers: leave VOREL_SANITIZE empty")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

# The heap-call counting tests and the distribution's hosts need the plain
# runtime: a sanitizer runtime replaces the same heap functions, and an
# uninstrumented host cannot load an instrumented library.
if(VOREL_SANITIZE OR VOREL_FUZZ)
  set(VOREL_INSTRUMENTED ON)
else()
  set(VOREL_INSTRUMENTED OFF)
endif()
