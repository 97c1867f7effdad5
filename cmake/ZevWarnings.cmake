# Strict warnings for our own targets only (not for third-party headers).
function(zev_strict_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
endfunction()
