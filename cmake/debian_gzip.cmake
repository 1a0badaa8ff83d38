# vyr_debian_gzip(SOURCE OUT_VAR): compresses SOURCE at build time as Debian wants its manual
# pages and changelogs (gzip -9n: best compression, no name or time stamp, so every build gives
# the same bytes) into the current build folder; OUT_VAR receives the .gz path. The caller
# adds a target that depends on it.
find_program(VYR_GZIP gzip REQUIRED)

function(vyr_debian_gzip source out_var)
  get_filename_component(name ${source} NAME)
  set(copy ${CMAKE_CURRENT_BINARY_DIR}/${name})
  add_custom_command(
    OUTPUT ${copy}.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${source} ${copy}
    COMMAND ${VYR_GZIP} -9nf ${copy}
    DEPENDS ${source}
    COMMENT "Compressing ${name}"
    VERBATIM)
  set(${out_var} ${copy}.gz PARENT_SCOPE)
endfunction()
