# Debian's hardening for everything built here, the shipped programs with
# it: fortified libc calls, stack protector, position-independent
# executables, read-only relocations resolved at start (RELRO, bind-now).
# Sanitizer builds go without: the sanitizers watch memory themselves.
if(LUMERRA_SANITIZE OR LUMERRA_TSAN)
  return()
endif()

include(CheckPIESupported)
check_pie_supported()
set(CMAKE_POSITION_INDEPENDENT_CODE ON)

# Fortification needs the optimiser: not for Debug builds.
add_compile_options(
  "$<$<NOT:$<CONFIG:Debug>>:-U_FORTIFY_SOURCE;-D_FORTIFY_SOURCE=2>"
  -fstack-protector-strong)
add_link_options(LINKER:-z,relro LINKER:-z,now)
