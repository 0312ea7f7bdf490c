// <windows.h> for the Windows layer and its users. The seam's constants
// carry the very names <windows.h> defines as macros (DMDO_90, WM_*, ...),
// so the seam's headers must be read before those macros exist; every file
// here includes this header instead of <windows.h> directly.
#pragma once

#include "platform/win32/SeamValues.h"

#include <windows.h>
