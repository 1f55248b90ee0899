# The hardening a Debian package is built with (dpkg-buildflags with
# hardening=+all, which lintian checks): fortified C library calls, a stack
# protector, format strings checked, and the relocations made read-only after
# loading (-z relro) and bound at start (-z now). Executables are position
# independent by the compiler's default. Left out of the checked builds, whose
# sanitizers do their own checking; fortification needs optimisation, so a
# Debug build goes without it.
if(NOT VELORIN_SANITIZE AND NOT VELORIN_FUZZ)
  # Undefined first, so that a level set elsewhere gives way rather than a warning.
  add_compile_options("$<$<NOT:$<CONFIG:Debug>>:-U_FORTIFY_SOURCE;-D_FORTIFY_SOURCE=2>")
  add_compile_options(-fstack-protector-strong -Wformat -Werror=format-security)
  add_link_options(LINKER:-z,relro LINKER:-z,now)
endif()
