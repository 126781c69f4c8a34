# The Debian package's control file for this build: the version from
# project() and the architecture of the target the binaries are built for
# (a cross toolchain file names it; the 32-bit x86 build gives i386).
# scripts/make-deb.sh adds the fields it computes from the contents.
if(NOT VOREL_DEB_ARCH)
  if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86_64|AMD64|amd64|i.86|x86)$")
    if(CMAKE_SIZEOF_VOID_P EQUAL 8)
      set(VOREL_DEB_ARCH amd64)
    else()
      set(VOREL_DEB_ARCH i386)
    endif()
  elseif(CMAKE_SYSTEM_PROCESSOR MATCHES "^(aarch64|arm64)$")
    set(VOREL_DEB_ARCH arm64)
  elseif(CMAKE_SYSTEM_PROCESSOR MATCHES "^arm")
    set(VOREL_DEB_ARCH armhf)
  else()
    message(FATAL_ERROR "No Debian architecture known for ${CMAKE_SYSTEM_PROCESSOR}: set VOREL_DEB_ARCH")
  endif()
endif()
configure_file(${CMAKE_CURRENT_LIST_DIR}/control.in ${PROJECT_BINARY_DIR}/deb/control @ONLY)
