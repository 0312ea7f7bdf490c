// <windows.h> for the Windows layer and its users. The seam's constants
// carry the very names <windows.h> defines as macros (DMDO_90, WM_*, ...),
// so the seam's headers must be read before those macros exist; and the
// UNICODE macros would rename four of DisplayApi's methods. Every file here
// includes this header instead of <windows.h> directly, and calls those
// four Win32 functions by their W names.
#pragma once

#include "platform/win32/SeamValues.h"

#include <windows.h>

#undef GetMonitorInfo
#undef EnumDisplayDevices
#undef EnumDisplaySettings
#undef ChangeDisplaySettingsEx
