# orvane_qt_plugins: link it into every program that shows a window.
#
# A shared Qt (Linux) finds its platform and style plugins at run time, and
# the library stays empty. A static Qt (the Windows build) has them linked
# into the program and registered by Q_IMPORT_PLUGIN in a generated source.
add_library(orvane_qt_plugins INTERFACE)
get_target_property(_orvane_qt_core_type Qt5::Core TYPE)
if(_orvane_qt_core_type STREQUAL "STATIC_LIBRARY")
  set(_orvane_wanted QWindowsIntegrationPlugin QWindowsVistaStylePlugin)
  set(_orvane_imports "// Generated: the Qt plugins linked into the programs.\n#include <QtPlugin>\n")
  foreach(plugin IN LISTS _orvane_wanted)
    if(TARGET Qt5::${plugin})
      string(APPEND _orvane_imports "Q_IMPORT_PLUGIN(${plugin})\n")
      target_link_libraries(orvane_qt_plugins INTERFACE Qt5::${plugin})
    endif()
  endforeach()
  set(_orvane_plugin_source "${CMAKE_BINARY_DIR}/generated/QtStaticPlugins.cpp")
  file(CONFIGURE OUTPUT "${_orvane_plugin_source}" CONTENT "${_orvane_imports}")
  target_sources(orvane_qt_plugins INTERFACE "${_orvane_plugin_source}")
endif()
