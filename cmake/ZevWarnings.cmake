# Strict warnings for our own targets only (not for third-party headers).
function(zev_strict_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
  # GCC 12 (Debian 12's compiler) reports false -Wrestrict overlaps inside
  # std::string's operator+ once inlined at -O2 and above (GCC bug 105651, fixed in
  # GCC 13); it would stop optimised builds on ordinary string concatenation.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    target_compile_options(${target} PRIVATE -Wno-restrict)
  endif()
endfunction()
