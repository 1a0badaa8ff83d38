# Runs at install time: writes the desktop entry with Exec= naming the installed vyradmin and
# installs it into share/applications. Set before: VYR_DESKTOP_SOURCE (the entry),
# VYR_DESKTOP_WORK (a folder of the build tree), VYR_BINDIR and VYR_DATADIR (as GNUInstallDirs
# gives them, relative to the prefix or absolute).
foreach(dir VYR_BINDIR VYR_DATADIR)
  if(IS_ABSOLUTE "${${dir}}")
    set(${dir}_FULL "${${dir}}")
  else()
    set(${dir}_FULL "${CMAKE_INSTALL_PREFIX}/${${dir}}")
  endif()
endforeach()

set(program "${VYR_BINDIR_FULL}/vyradmin")
if(program MATCHES "\n|\r")
  message(FATAL_ERROR "The desktop entry cannot name a program whose path holds a line break: ${program}")
endif()
# Exec= quoting, as desktop entries want it: a path with anything but these characters is
# quoted, with \ " ` $ escaped inside the quotes; the string escapes double the backslashes
# again, and % is written %%.
set(exec "${program}")
string(REPLACE "%" "%%" exec "${exec}")
if(NOT exec MATCHES "^[A-Za-z0-9/._+%=,:@-]+$")
  string(REPLACE [[\]] [[\\\\]] exec "${exec}")
  string(REPLACE [["]] [[\\"]] exec "${exec}")
  string(REPLACE [[`]] [[\\`]] exec "${exec}")
  string(REPLACE [[$]] [[\\$]] exec "${exec}")
  set(exec "\"${exec}\"")
endif()

file(READ "${VYR_DESKTOP_SOURCE}" entry)
string(REGEX MATCH "\nExec=[^\n]*" line "${entry}")
if(NOT line)
  message(FATAL_ERROR "${VYR_DESKTOP_SOURCE} has no Exec= line")
endif()
string(REPLACE "${line}" "\nExec=${exec}" entry "${entry}")
file(WRITE "${VYR_DESKTOP_WORK}/vyradmin.desktop" "${entry}")
file(INSTALL DESTINATION "${VYR_DATADIR_FULL}/applications" TYPE FILE
     FILES "${VYR_DESKTOP_WORK}/vyradmin.desktop")
