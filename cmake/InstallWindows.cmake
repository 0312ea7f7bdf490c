# The Windows distribution. cmake --install <build> --prefix <folder> lays out
# the folder the programs expect; scripts/package-windows.sh packs that
# folder as a ZIP and as an installer (packaging/windows), signed on request:
#
#   Orvane.exe, Renovo.exe, Kestrun.exe   side by side (Renovo updates them there)
#   icon/                                  the tray pictures
#   RunInfo.ini.example                    copy to RunInfo.ini to change settings
#   licenses/                              Qt's LGPL and how to relink, the
#                                          runtime libraries' notices (and
#                                          libgcrypt's, built with update keys)
#
# The executables are static: nothing else needs to be installed.
set(_orvane_stage "${CMAKE_BINARY_DIR}/stage")

install(TARGETS Orvane Renovo Kestrun RUNTIME DESTINATION .)
install(DIRECTORY "${_orvane_stage}/icon/" DESTINATION icon FILES_MATCHING PATTERN "*.png")
install(FILES "${_orvane_stage}/RunInfo.ini.example" DESTINATION .)
# Built with update keys: the accepted-sequence record Renovo starts from.
if(ORVANE_UPDATE_PUBLIC_KEY)
  install(FILES "${_orvane_stage}/UpdateSequence" DESTINATION .)
endif()

# Qt is linked statically under the LGPL version 3: its text (which builds on
# the GPL version 3), where Qt's source comes from and how to relink.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
  set(ORVANE_WINDOWS_ARCH x86_64)
else()
  set(ORVANE_WINDOWS_ARCH i686)
endif()
set(ORVANE_QT_VERSION "${Qt5Core_VERSION}")
# Built with update keys, libgcrypt and libgpg-error (LGPL 2.1 or later) are
# linked in too: their lines in the README (CRLF written out: configure_file
# converts only the template's own line ends) and their notices.
set(ORVANE_GCRYPT_NOTICE "")
set(_orvane_gcrypt_license_texts)
if(ORVANE_UPDATE_PUBLIC_KEY)
  set(ORVANE_GCRYPT_NOTICE "\r\n- libgcrypt and libgpg-error (the signature check of updates), used under\r\n  the GNU Lesser General Public License version 2.1 or later: LGPL-2.1.txt;\r\n  libgcrypt-copyright.txt and libgpg-error-copyright.txt list their\r\n  copyright holders. They are linked statically too: to use modified ones,\r\n  relink as described below for Qt, with them in the MinGW-w64 library folder.")
  set(_orvane_gcrypt_license_texts
    "/usr/share/common-licenses/LGPL-2.1|LGPL-2.1.txt"
    "/usr/share/doc/libgcrypt-mingw-w64-dev/copyright|libgcrypt-copyright.txt"
    "/usr/share/doc/libgpg-error-mingw-w64-dev/copyright|libgpg-error-copyright.txt")
endif()
configure_file("${CMAKE_CURRENT_LIST_DIR}/windows/README-licenses.txt.in"
               "${CMAKE_BINARY_DIR}/licenses/README.txt" @ONLY NEWLINE_STYLE CRLF)
install(FILES "${CMAKE_BINARY_DIR}/licenses/README.txt" DESTINATION licenses)
set(_orvane_license_texts
  "/usr/share/common-licenses/LGPL-3|LGPL-3.txt"
  "/usr/share/common-licenses/GPL-3|GPL-3.txt"
  # Debian's record of every copyright in Qt's source, the bundled
  # libraries (libpng, PCRE2, zlib, ...) included.
  "/usr/share/doc/libqt5core5a/copyright|Qt-copyright.txt"
  # The MinGW-w64 runtime (winpthreads among it) and zlib, linked in.
  "/usr/share/doc/mingw-w64-common/copyright|MinGW-w64-copyright.txt"
  "/usr/share/doc/libz-mingw-w64/copyright|zlib-copyright.txt"
  ${_orvane_gcrypt_license_texts})
foreach(entry IN LISTS _orvane_license_texts)
  string(REPLACE "|" ";" entry "${entry}")
  list(GET entry 0 source)
  list(GET entry 1 name)
  if(NOT EXISTS "${source}")
    message(FATAL_ERROR "${source} is missing: the Windows distribution must carry it (scripts/install-deps.sh installs it)")
  endif()
  install(FILES "${source}" DESTINATION licenses RENAME "${name}")
endforeach()

# cpack -G ZIP gives the same ZIP as scripts/package-windows.sh, never signed:
# Orvane-<version>-windows-<arch>.zip with one top folder.
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Orvane)
set(CPACK_PACKAGE_VENDOR Orvane)
set(CPACK_PACKAGE_VERSION "${ORVANE_VERSION_TUPLE}")
set(CPACK_PACKAGE_FILE_NAME "Orvane-${ORVANE_VERSION_TUPLE}-windows-${ORVANE_WINDOWS_ARCH}")
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_STRIP_FILES ON)
# cmake/Package.cmake includes CPack once for every platform.
