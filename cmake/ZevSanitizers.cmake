# ZEV_SANITIZE: empty, "address,undefined" or "thread". Applied to every target of the build.
set(ZEV_SANITIZE "" CACHE STRING "Sanitizers to build with (e.g. address,undefined or thread)")
if(ZEV_SANITIZE)
  add_compile_options(-fsanitize=${ZEV_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=${ZEV_SANITIZE})
endif()
