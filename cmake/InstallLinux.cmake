# Linux installation, two layouts from one build.
#
# cmake --install build --prefix /usr (or /usr/local): the FHS layout
#
#   lib/orvane/Orvane, Kestrun [, Renovo]   the programs, side by side (they
#   lib/orvane/icon/                         find icon/ and RunInfo.ini beside
#                                            themselves)
#   bin/orvane                               -> ../lib/orvane/Orvane
#   bin/orvane-probe, bin/orvane-sim         the tools
#   share/applications/<id>.desktop          menu entry, Icon=<id>
#   share/applications/<id>.Enrol.desktop    orvane-probe --enrol in a terminal
#   share/icons/hicolor/*/apps/<id>.png|svg  16..256 and scalable
#   share/metainfo/<id>.metainfo.xml         AppStream
#   share/man/man1/                          manual pages
#   share/doc/orvane/                        README, guides, changelog,
#                                            copyright, settings example
#   lib/udev/rules.d/60-orvane-i2c.rules     the user may open display I2C buses
#   lib/modules-load.d/orvane-i2c.conf       i2c-dev loaded at boot
#   share/lintian/overrides/orvane           lintian tags that do not apply
#
# cmake --install build --prefix /opt/orvane --component folder: the
# self-contained folder, the same shape as the build's stage folder
#
#   <folder>/Orvane, Kestrun [, Renovo], icon/, RunInfo.ini.example
#   <folder>/share/applications/orvane.desktop   naming <folder>/Orvane
#   <folder>/share/icons/hicolor/64x64/apps/orvane.png
#
# udev and systemd read lib/udev and lib/modules-load.d under /usr only; a
# /usr/local installation has to copy those two files to /etc.
if(NOT CMAKE_SYSTEM_NAME STREQUAL "Linux")
  return()
endif()

include("${CMAKE_CURRENT_LIST_DIR}/ReleaseDate.cmake")
set(ORVANE_PACKAGE_MAINTAINER "The Orvane developers <orvane@orvane.org>"
    CACHE STRING "Maintainer named by the Debian package")
set(_src "${PROJECT_SOURCE_DIR}/packaging/linux")
set(_gen "${CMAKE_BINARY_DIR}/packaging")
set(_stage "${ORVANE_STAGE_DIR}")
set(_programs Orvane Kestrun)
if(ORVANE_WITH_UPDATER)
  list(APPEND _programs Renovo)
endif()
set(_tools orvane-probe orvane-sim)

# Directories and files as a distribution expects them, whatever the umask.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# --- FHS layout (the default component) ---------------------------------
foreach(program IN LISTS _programs)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION "${ORVANE_PKGDIR}" COMPONENT orvane)
  endif()
endforeach()
foreach(tool IN LISTS _tools)
  if(TARGET ${tool})
    install(TARGETS ${tool} RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}" COMPONENT orvane)
  endif()
endforeach()
install(DIRECTORY "${_stage}/icon/" DESTINATION "${ORVANE_PKGDIR}/icon" COMPONENT orvane
        FILES_MATCHING PATTERN "*.png")

# bin/orvane: a relative link, so the tree can be moved or packaged.
file(RELATIVE_PATH _to_pkgdir "/prefix/${CMAKE_INSTALL_BINDIR}" "/prefix/${ORVANE_PKGDIR}")
file(MAKE_DIRECTORY "${_gen}/bin")
file(CREATE_LINK "${_to_pkgdir}/Orvane" "${_gen}/bin/orvane" SYMBOLIC)
install(FILES "${_gen}/bin/orvane" DESTINATION "${CMAKE_INSTALL_BINDIR}" COMPONENT orvane)

# Desktop entry, metainfo and manual pages carry the id and the version.
configure_file("${_src}/orvane.desktop.in" "${_gen}/${ORVANE_APP_ID}.desktop" @ONLY)
configure_file("${_src}/orvane.metainfo.xml.in" "${_gen}/${ORVANE_APP_ID}.metainfo.xml" @ONLY)
# The second entry runs orvane-probe --enrol in a terminal: a monitor the
# user pivots is added to the supported models.
configure_file("${_src}/orvane-enrol.desktop.in" "${_gen}/${ORVANE_APP_ID}.Enrol.desktop" @ONLY)
install(FILES "${_gen}/${ORVANE_APP_ID}.desktop" "${_gen}/${ORVANE_APP_ID}.Enrol.desktop"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/applications" COMPONENT orvane)
install(FILES "${_gen}/${ORVANE_APP_ID}.metainfo.xml" DESTINATION "${CMAKE_INSTALL_DATADIR}/metainfo"
        COMPONENT orvane)
install(DIRECTORY "${ORVANE_THEME_ICON_DIR}/" DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor"
        COMPONENT orvane)

# Manual pages and changelogs are shipped compressed (gzip -n: no name or
# time stamp, so the package is reproducible).
find_program(ORVANE_GZIP gzip REQUIRED)
set(_man_pages orvane Kestrun orvane-probe orvane-sim)
if(ORVANE_WITH_UPDATER)
  list(APPEND _man_pages Renovo)
endif()
set(_compressed)
foreach(page IN LISTS _man_pages)
  configure_file("${_src}/man/${page}.1.in" "${_gen}/man/${page}.1" @ONLY)
  list(APPEND _compressed "${_gen}/man/${page}.1")
endforeach()
configure_file("${_src}/changelog.Debian.in" "${_gen}/doc/changelog.Debian" @ONLY)
configure_file("${PROJECT_SOURCE_DIR}/CHANGELOG.md" "${_gen}/doc/changelog" COPYONLY)
list(APPEND _compressed "${_gen}/doc/changelog.Debian" "${_gen}/doc/changelog")
set(_gz_files)
foreach(file IN LISTS _compressed)
  add_custom_command(OUTPUT "${file}.gz"
    COMMAND "${ORVANE_GZIP}" -9 -n -c "${file}" > "${file}.gz"
    DEPENDS "${file}" VERBATIM)
  list(APPEND _gz_files "${file}.gz")
endforeach()
add_custom_target(orvane_packaging_files ALL DEPENDS ${_gz_files})
list(TRANSFORM _man_pages APPEND ".1.gz" OUTPUT_VARIABLE _man_files)
list(TRANSFORM _man_files PREPEND "${_gen}/man/")
install(FILES ${_man_files} DESTINATION "${CMAKE_INSTALL_MANDIR}/man1" COMPONENT orvane)

set(_docdir "${CMAKE_INSTALL_DATADIR}/doc/orvane")
install(FILES "${_gen}/doc/changelog.Debian.gz" "${_gen}/doc/changelog.gz" "${_src}/copyright"
              "${PROJECT_SOURCE_DIR}/README.md" "${PROJECT_SOURCE_DIR}/docs/linux.md"
              "${PROJECT_SOURCE_DIR}/docs/simulation.md" "${_stage}/RunInfo.ini.example"
        DESTINATION "${_docdir}" COMPONENT orvane)
install(DIRECTORY "${PROJECT_SOURCE_DIR}/examples/sim" DESTINATION "${_docdir}/examples" COMPONENT orvane)

install(FILES "${_src}/lintian-overrides" DESTINATION "${CMAKE_INSTALL_DATADIR}/lintian/overrides"
        RENAME orvane COMPONENT orvane)
install(FILES "${_src}/60-orvane-i2c.rules" DESTINATION lib/udev/rules.d COMPONENT orvane)
install(FILES "${_src}/orvane-i2c.conf" DESTINATION lib/modules-load.d COMPONENT orvane)

# --- Self-contained folder (component "folder", asked for by name) -------
foreach(program IN LISTS _programs)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION . COMPONENT folder EXCLUDE_FROM_ALL)
  endif()
endforeach()
install(DIRECTORY "${_stage}/icon/" DESTINATION icon COMPONENT folder EXCLUDE_FROM_ALL
        FILES_MATCHING PATTERN "*.png")
install(FILES "${_stage}/RunInfo.ini.example" "${PROJECT_SOURCE_DIR}/LICENSE"
        DESTINATION . COMPONENT folder EXCLUDE_FROM_ALL)
# Built with update keys: the accepted-sequence record Renovo starts from.
if(ORVANE_WITH_UPDATER AND ORVANE_UPDATE_PUBLIC_KEY)
  install(FILES "${_stage}/UpdateSequence" DESTINATION . COMPONENT folder EXCLUDE_FROM_ALL)
  install(FILES "${_stage}/UpdateSequence" DESTINATION "${ORVANE_PKGDIR}" COMPONENT orvane)
endif()
install(FILES "${_stage}/icon/icon_64.png" DESTINATION share/icons/hicolor/64x64/apps
        RENAME orvane.png COMPONENT folder EXCLUDE_FROM_ALL)

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
]] COMPONENT folder EXCLUDE_FROM_ALL)
