// The dxva2 monitor-configuration functions (resolved at run time by
// Win32MonitorConfig). MinGW-w64 ships physicalmonitorenumerationapi.h, but not
// lowlevelmonitorconfigurationapi.h; its three functions are declared here
// as the Windows SDK declares them.
#pragma once

#include "platform/win32/WinApi.h"

#include <physicalmonitorenumerationapi.h>

#if __has_include(<lowlevelmonitorconfigurationapi.h>)
#include <lowlevelmonitorconfigurationapi.h>
#else
extern "C" {
typedef enum _MC_VCP_CODE_TYPE { MC_MOMENTARY, MC_SET_PARAMETER } MC_VCP_CODE_TYPE, *LPMC_VCP_CODE_TYPE;

BOOL WINAPI GetVCPFeatureAndVCPFeatureReply(HANDLE hMonitor, BYTE bVCPCode, LPMC_VCP_CODE_TYPE pvct,
                                            LPDWORD pdwCurrentValue, LPDWORD pdwMaximumValue);
BOOL WINAPI SetVCPFeature(HANDLE hMonitor, BYTE bVCPCode, DWORD dwNewValue);
BOOL WINAPI GetCapabilitiesStringLength(HANDLE hMonitor, LPDWORD pdwCapabilitiesStringLengthInCharacters);
}
#endif

static_assert(PHYSICAL_MONITOR_DESCRIPTION_SIZE == 128, "physical monitor description of 128 wide characters");
static_assert(MC_SET_PARAMETER == 1, "MC_SET_PARAMETER");
