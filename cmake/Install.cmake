# Installation rules and packages. Each platform's rules are in a file of
# their own; the package generators share one CPack setup, included once at
# the end. The rules take the built files from the targets and the stage
# folder, so they are included after every target is defined.
if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
  include("${CMAKE_CURRENT_LIST_DIR}/InstallLinux.cmake")
elseif(WIN32 AND EXISTS "${CMAKE_CURRENT_LIST_DIR}/InstallWindows.cmake")
  include("${CMAKE_CURRENT_LIST_DIR}/InstallWindows.cmake")
endif()
include("${CMAKE_CURRENT_LIST_DIR}/Package.cmake")
