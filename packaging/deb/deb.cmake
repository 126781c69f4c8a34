# The Debian package's control file for this build: the version from
# project() and the architecture the binaries run on (i386 for the 32-bit x86
# build). scripts/make-deb.sh adds the fields it computes from the contents.
execute_process(COMMAND dpkg --print-architecture OUTPUT_VARIABLE VOREL_DEB_ARCH
                OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
if(CMAKE_SIZEOF_VOID_P EQUAL 4 AND VOREL_DEB_ARCH STREQUAL "amd64")
  set(VOREL_DEB_ARCH i386)
endif()
configure_file(${CMAKE_CURRENT_LIST_DIR}/control.in ${PROJECT_BINARY_DIR}/deb/control @ONLY)
