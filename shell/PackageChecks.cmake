# Read by cpack before it builds a package (CPACK_PROJECT_CONFIG_FILE).
if(CPACK_GENERATOR STREQUAL "DEB")
  find_program(LUMERRA_SHLIBDEPS dpkg-shlibdeps)
  if(NOT LUMERRA_SHLIBDEPS)
    message(FATAL_ERROR "dpkg-shlibdeps is missing (Debian: dpkg-dev): the package's dependencies "
                        "cannot be computed, so no package is built.")
  endif()
endif()
