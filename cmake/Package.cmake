# Packages made by cpack from the installation rules. What every generator
# shares is set here; a platform's install file may set its generator and
# generator-specific CPACK_* variables before this file is included, and
# this file includes CPack once.
#
#   cpack -G DEB      (Linux) the Debian package, from the FHS layout
#
# scripts/package-deb.sh configures a build for distribution (prefix /usr,
# no updater, the system's hardening flags) and runs cpack -G DEB in it.
# A platform's install file may have named its package already.
if(NOT CPACK_PACKAGE_NAME)
  set(CPACK_PACKAGE_NAME "orvane")
endif()
if(NOT CPACK_PACKAGE_VENDOR)
  set(CPACK_PACKAGE_VENDOR "The Orvane developers")
endif()
if(NOT CPACK_PACKAGE_VERSION)
  set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
endif()
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "turn each monitor's desktop the way the monitor stands")
set(CPACK_PACKAGE_DESCRIPTION
  "Orvane runs in the notification area and reads each supported monitor's
orientation over DDC/CI (VCP feature 0xAA) every 2.5 seconds. When a monitor
is pivoted on its stand, the desktop on it is rotated to match, at the
monitor's native resolution and the best refresh rate the display offers.
From the tray menu a monitor can instead be pinned to landscape or to either
portrait orientation, and the program can be started at log-on.")
set(CPACK_RESOURCE_FILE_LICENSE "${PROJECT_SOURCE_DIR}/LICENSE")
set(CPACK_RESOURCE_FILE_README "${PROJECT_SOURCE_DIR}/README.md")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_CHECKSUM SHA256)

if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
  # The FHS layout's component only; the self-contained folder is a
  # component of its own.
  set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};${PROJECT_NAME};orvane;/")
  if(NOT CPACK_GENERATOR)
    set(CPACK_GENERATOR "DEB")
  endif()
  set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${ORVANE_PACKAGE_MAINTAINER}")
  set(CPACK_DEBIAN_PACKAGE_SECTION "utils")
  set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
  # Linked libraries come from dpkg-shlibdeps; libddcutil and libcurl are
  # opened at run time, so they are declared by hand.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libddcutil4, libcurl4")
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "udev")
  set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA "${PROJECT_SOURCE_DIR}/packaging/linux/postinst")
  set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
  # The programs are stripped; scripts/package-deb.sh puts their debug
  # information into orvane-dbgsym, laid out as Debian's debug packages are
  # (the generator's own debug package is not: absolute paths in its
  # md5sums, no documentation, uncompressed files).
  set(CPACK_DEBIAN_DEBUGINFO_PACKAGE OFF)
  # With SOURCE_DATE_EPOCH set, no file time in the package is later.
  set(CPACK_PRE_BUILD_SCRIPTS "${PROJECT_SOURCE_DIR}/cmake/ClampFileTimes.cmake")
endif()

include(CPack)
