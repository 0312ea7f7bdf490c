# cmake --install <build> --prefix <folder> lays out a self-contained
# installation folder, the same shape as the build's stage folder:
#
#   <folder>/Orvane, Renovo, Kestrun      the programs, side by side
#   <folder>/icon/                        the tray pictures
#   <folder>/RunInfo.ini.example          copy to RunInfo.ini to change settings
#   <folder>/share/applications/orvane.desktop
#   <folder>/share/icons/hicolor/64x64/apps/orvane.png
#
# Everything is taken from the stage folder, so the rules do not depend on
# where in the configuration they are included.
if(NOT CMAKE_SYSTEM_NAME STREQUAL "Linux")
  return()
endif()
set(_orvane_stage "${CMAKE_BINARY_DIR}/stage")

install(PROGRAMS "${_orvane_stage}/Orvane" "${_orvane_stage}/Renovo" "${_orvane_stage}/Kestrun"
        DESTINATION . OPTIONAL)

install(DIRECTORY "${_orvane_stage}/icon/" DESTINATION icon OPTIONAL
        FILES_MATCHING PATTERN "*.png")
install(FILES "${_orvane_stage}/RunInfo.ini.example" DESTINATION . OPTIONAL)
install(FILES "${_orvane_stage}/icon/icon_64.png" DESTINATION share/icons/hicolor/64x64/apps
        RENAME orvane.png OPTIONAL)

# The menu entry names the installed program by its final absolute path,
# known only when installing.
install(CODE [[
  set(folder "${CMAKE_INSTALL_PREFIX}")
  set(entry "$ENV{DESTDIR}${folder}/share/applications/orvane.desktop")
  string(REPLACE "\\" "\\\\\\\\" quoted "${folder}/Orvane")
  string(REPLACE "\"" "\\\\\"" quoted "${quoted}")
  string(REPLACE "$" "\\\\$" quoted "${quoted}")
  string(REPLACE "`" "\\\\`" quoted "${quoted}")
  string(REPLACE "%" "%%" quoted "${quoted}")
  file(WRITE "${entry}" "[Desktop Entry]
Type=Application
Name=Orvane
Comment=Keeps each monitor's desktop turned the way the monitor stands
Exec=\"${quoted}\"
Icon=${folder}/icon/icon_64.png
Terminal=false
Categories=Settings;HardwareSettings;
")
  message(STATUS "Installing: ${entry}")
]])
