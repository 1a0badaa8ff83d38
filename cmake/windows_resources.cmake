# vyr_windows_resources(TARGET DESCRIPTION [wx]): gives a Windows program its icon and version
# information; with "wx", also wxWidgets' own resources (the manifest for the common controls,
# cursors).
function(vyr_windows_resources target description)
  set(VYR_PROGRAM ${target})
  set(VYR_DESCRIPTION "${description}")
  set(VYR_ICON "${PROJECT_SOURCE_DIR}/resources/windows/vyradmin.ico")
  string(REPLACE "." "," VYR_VERSION_COMMAS "${PROJECT_VERSION}")
  # Four numbers: 0.1 is 0,1,0,0.
  string(REGEX MATCHALL "," commas "${VYR_VERSION_COMMAS}")
  list(LENGTH commas count)
  while(count LESS 3)
    string(APPEND VYR_VERSION_COMMAS ",0")
    math(EXPR count "${count} + 1")
  endwhile()
  set(VYR_EXTRA_RESOURCES "")
  if(ARGN STREQUAL "wx")
    set(VYR_EXTRA_RESOURCES "#include \"wx/msw/wx.rc\"")
  endif()
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc)
  configure_file(${PROJECT_SOURCE_DIR}/resources/windows/program.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()
