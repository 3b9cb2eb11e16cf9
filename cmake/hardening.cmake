# The hardening Debian builds its packages with: the tool parses definitions, profiles, media and
# ZIP files from anyone. Applied to the Release and RelWithDebInfo configurations; Debug (the
# sanitizer and fuzz presets) stays as the compiler makes it.
include(CheckCXXCompilerFlag)
include(CheckPIESupported)

set(norvik_hardened "$<CONFIG:Release,RelWithDebInfo>")

# Position independent code is one property for every configuration; Debian's compilers make PIE
# by default anyway, and the installed static libraries then also fit into a host's shared library.
if(NOT DEFINED CMAKE_POSITION_INDEPENDENT_CODE)
  set(CMAKE_POSITION_INDEPENDENT_CODE ON)
endif()
check_pie_supported(LANGUAGES C CXX)

add_compile_options("$<${norvik_hardened}:-fstack-protector-strong>")
foreach(flag -fstack-clash-protection -fcf-protection)
  string(MAKE_C_IDENTIFIER "NORVIK_HAS${flag}" result)
  check_cxx_compiler_flag(${flag} ${result})
  if(${result})
    add_compile_options("$<${norvik_hardened}:${flag}>")
  endif()
endforeach()
# The sanitizers replace the functions that _FORTIFY_SOURCE checks and report less beside it.
# -U first: a level already given in CXXFLAGS (dpkg-buildflags) would be a redefinition.
if(NOT NORVIK_SANITIZE AND NOT NORVIK_FUZZ)
  add_compile_options("$<${norvik_hardened}:-U_FORTIFY_SOURCE>"
                      "$<${norvik_hardened}:-D_FORTIFY_SOURCE=2>")
endif()
# Full RELRO: relocations read-only after immediate binding of every symbol at start.
add_link_options("$<${norvik_hardened}:LINKER:-z,relro>" "$<${norvik_hardened}:LINKER:-z,now>")
