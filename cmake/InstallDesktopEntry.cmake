# Runs at install time (install(SCRIPT)): installs the desktop entry with the
# installed program's path in its Exec lines, so that links and the entry's
# actions start this installation whatever the PATH holds.
#   KR_DESKTOP_TEMPLATE  the entry in the sources (Exec lines name "korvane-r")
#   KR_DESKTOP_STAGING   a file in the build tree to write it to first
set(program "${CMAKE_INSTALL_PREFIX}/bin/korvane-r")
if(program MATCHES "^[A-Za-z0-9/._+-]+$")
  set(exec "${program}")
else()
  # Quoted as desktop entries quote arguments, then escaped as their string
  # values are; a literal % is doubled.
  string(REPLACE "\\" "\\\\" exec "${program}")
  string(REPLACE "\"" "\\\"" exec "${exec}")
  string(REPLACE "`" "\\`" exec "${exec}")
  string(REPLACE "$" "\\$" exec "${exec}")
  string(REPLACE "%" "%%" exec "${exec}")
  set(exec "\"${exec}\"")
  string(REPLACE "\\" "\\\\" exec "${exec}")
endif()
file(READ "${KR_DESKTOP_TEMPLATE}" entry)
string(REPLACE "Exec=korvane-r" "Exec=${exec}" entry "${entry}")
get_filename_component(staging_dir "${KR_DESKTOP_STAGING}" DIRECTORY)
file(MAKE_DIRECTORY "${staging_dir}")
file(WRITE "${KR_DESKTOP_STAGING}" "${entry}")
file(INSTALL "${KR_DESKTOP_STAGING}" DESTINATION "${CMAKE_INSTALL_PREFIX}/share/applications")
