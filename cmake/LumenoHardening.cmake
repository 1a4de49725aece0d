# SPDX-License-Identifier: GPL-3.0-or-later
# The hardening a Debian package is expected to have (what dpkg-buildflags' "hardening=+all"
# gives and lintian checks): checked string and memory functions, a stack protector, stack
# clash and control-flow protection, position-independent executables, and relocations
# resolved at start and then read-only. On by default for the package preset.
option(LUMENO_HARDENING "Build with the hardening flags of Debian packages" OFF)
if(NOT LUMENO_HARDENING)
  return()
endif()

include(CheckCXXCompilerFlag)
include(CheckPIESupported)
check_pie_supported()
set(CMAKE_POSITION_INDEPENDENT_CODE ON)

# glibc's checked functions need an optimising build; at -O0 it warns instead, and the
# warning is an error with LUMENO_WERROR.
add_compile_definitions($<$<NOT:$<CONFIG:Debug>>:_FORTIFY_SOURCE=2>)
add_compile_options(-fstack-protector-strong -Wformat -Werror=format-security)
foreach(flag -fstack-clash-protection -fcf-protection)
  string(MAKE_C_IDENTIFIER "LUMENO_HAS${flag}" has_flag)
  check_cxx_compiler_flag(${flag} ${has_flag})
  if(${has_flag})
    add_compile_options(${flag})
  endif()
endforeach()
add_link_options(LINKER:-z,relro LINKER:-z,now)
