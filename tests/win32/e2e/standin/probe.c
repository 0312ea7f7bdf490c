/* Checks the Wine desktop the end-to-end runs rely on, the way the program
 * meets it, without Qt:
 *   probe monitor      the monitor's EDID found through its device id and
 *                      the instance whose Driver value matches, then one
 *                      0xAA read and one 0xCA write through dxva2.dll loaded
 *                      at run time (the stand-in, when it lies beside us)
 *   probe read         one 0xAA read
 *   probe rotate DMDO  ChangeDisplaySettingsExW of DISPLAY1 with that
 *                      orientation and the current size turned
 *   probe window       a hidden top-level window titled "Orvane" of a
 *                      Qt-like class; prints the notices it gets and ends
 *                      after WM_SETTINGCHANGE
 * Results go to standard output, one line each. */
#include <windows.h>
#include <physicalmonitorenumerationapi.h>
#include <stdio.h>
#include <wchar.h>

typedef BOOL(WINAPI* count_fn)(HMONITOR, LPDWORD);
typedef BOOL(WINAPI* physical_fn)(HMONITOR, DWORD, LPPHYSICAL_MONITOR);
typedef BOOL(WINAPI* get_fn)(HANDLE, BYTE, int*, LPDWORD, LPDWORD);
typedef BOOL(WINAPI* set_fn)(HANDLE, BYTE, DWORD);

static const wchar_t* const display_enum = L"SYSTEM\\CurrentControlSet\\Enum\\DISPLAY\\";

static FARPROC dxva2(const char* name)
{
    static HMODULE module;
    if (!module)
        module = LoadLibraryW(L"dxva2.dll");
    return module ? GetProcAddress(module, name) : NULL;
}

/* MONITOR\<model>\<class>\<instance>: the model's key, and the instance
 * below it whose Driver value is "<class>\<instance>". */
static int print_edid(void)
{
    DISPLAY_DEVICEW dd;
    wchar_t model[128], driver[256], key[512], name[256], value[256];
    wchar_t *a, *b;
    HKEY models;
    DWORD i;
    int found = 0;
    memset(&dd, 0, sizeof dd);
    dd.cb = sizeof dd;
    if (!EnumDisplayDevicesW(L"\\\\.\\DISPLAY1", 0, &dd, 0) || wcsncmp(dd.DeviceID, L"MONITOR\\", 8) != 0) {
        printf("edid none: no monitor device\n");
        return 0;
    }
    a = dd.DeviceID + 8;
    b = wcschr(a, L'\\');
    if (!b) {
        printf("edid none: device id %ls\n", dd.DeviceID);
        return 0;
    }
    wcsncpy(model, a, (size_t)(b - a));
    model[b - a] = 0;
    wcsncpy(driver, b + 1, 255);
    driver[255] = 0;
    _snwprintf(key, 512, L"%ls%ls", display_enum, model);
    key[511] = 0;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key, 0, KEY_READ, &models) != ERROR_SUCCESS) {
        printf("edid none: no key %ls\n", key);
        return 0;
    }
    for (i = 0; !found; ++i) {
        DWORD size = 256, bytes = sizeof value, type = 0;
        BYTE edid[256];
        DWORD edid_size = sizeof edid;
        HKEY instance;
        if (RegEnumKeyExW(models, i, name, &size, NULL, NULL, NULL, NULL) != ERROR_SUCCESS)
            break;
        if (RegOpenKeyExW(models, name, 0, KEY_READ, &instance) != ERROR_SUCCESS)
            continue;
        if (RegQueryValueExW(instance, L"Driver", NULL, &type, (BYTE*)value, &bytes) == ERROR_SUCCESS &&
            type == REG_SZ && _wcsicmp(value, driver) == 0 &&
            RegGetValueW(instance, L"Device Parameters", L"EDID", RRF_RT_REG_BINARY, NULL, edid, &edid_size) ==
                ERROR_SUCCESS &&
            edid_size >= 128) {
            printf("edid %02X%02X %dx%d\n", edid[11], edid[10], edid[56] + 256 * (edid[58] >> 4),
                   edid[59] + 256 * (edid[61] >> 4));
            found = 1;
        }
        RegCloseKey(instance);
    }
    RegCloseKey(models);
    if (!found)
        printf("edid none: no instance with driver %ls\n", driver);
    return found;
}

static HANDLE first_monitor(void)
{
    count_fn count = (count_fn)(void (*)(void))dxva2("GetNumberOfPhysicalMonitorsFromHMONITOR");
    physical_fn physical = (physical_fn)(void (*)(void))dxva2("GetPhysicalMonitorsFromHMONITOR");
    POINT origin = {0, 0};
    HMONITOR display = MonitorFromPoint(origin, MONITOR_DEFAULTTONEAREST);
    PHYSICAL_MONITOR monitors[4];
    DWORD n = 0;
    if (!count || !physical || !count(display, &n) || n < 1 || n > 4 || !physical(display, n, monitors)) {
        printf("monitors none\n");
        return NULL;
    }
    printf("monitors %lu %ls\n", (unsigned long)n, monitors[0].szPhysicalMonitorDescription);
    return monitors[0].hPhysicalMonitor;
}

static void read_pivot(HANDLE monitor)
{
    get_fn get = (get_fn)(void (*)(void))dxva2("GetVCPFeatureAndVCPFeatureReply");
    DWORD current = 0, maximum = 0;
    int type = 0;
    if (get && get(monitor, 0xAA, &type, &current, &maximum))
        printf("get 0xAA %lu %lu\n", (unsigned long)current, (unsigned long)maximum);
    else
        printf("get 0xAA fail\n");
}

static int rotate(int orientation)
{
    DEVMODEW mode;
    DWORD width;
    memset(&mode, 0, sizeof mode);
    mode.dmSize = sizeof mode;
    if (!EnumDisplaySettingsW(L"\\\\.\\DISPLAY1", ENUM_REGISTRY_SETTINGS, &mode))
        return 1;
    mode.dmFields = DM_DISPLAYORIENTATION | DM_PELSWIDTH | DM_PELSHEIGHT | DM_DISPLAYFREQUENCY;
    mode.dmDisplayOrientation = (DWORD)orientation;
    width = mode.dmPelsWidth;
    mode.dmPelsWidth = mode.dmPelsHeight;
    mode.dmPelsHeight = width;
    printf("rotate %d -> %ld\n", orientation,
           ChangeDisplaySettingsExW(L"\\\\.\\DISPLAY1", &mode, NULL, CDS_UPDATEREGISTRY, NULL));
    return 0;
}

static LRESULT CALLBACK notices(HWND window, UINT message, WPARAM w, LPARAM l)
{
    if (message == WM_POWERBROADCAST || message == WM_DISPLAYCHANGE || message == WM_SETTINGCHANGE) {
        printf("notice 0x%04X %llu\n", message, (unsigned long long)w);
        fflush(stdout);
        if (message == WM_SETTINGCHANGE)
            PostQuitMessage(0);
        return TRUE;
    }
    return DefWindowProcW(window, message, w, l);
}

static int window(void)
{
    WNDCLASSW wc;
    MSG msg;
    memset(&wc, 0, sizeof wc);
    wc.lpfnWndProc = notices;
    wc.lpszClassName = L"QtProbeQWindowIcon";
    RegisterClassW(&wc);
    if (!CreateWindowW(wc.lpszClassName, L"Orvane", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, NULL, NULL, NULL, NULL))
        return 1;
    printf("window ready\n");
    fflush(stdout);
    while (GetMessageW(&msg, NULL, 0, 0) > 0)
        DispatchMessageW(&msg);
    return 0;
}

int wmain(int argc, wchar_t** argv)
{
    HANDLE monitor;
    if (argc >= 2 && !wcscmp(argv[1], L"monitor")) {
        set_fn set = (set_fn)(void (*)(void))dxva2("SetVCPFeature");
        print_edid();
        if (!(monitor = first_monitor()))
            return 1;
        read_pivot(monitor);
        printf("set 0xCA 4 %s\n", set && set(monitor, 0xCA, 4) ? "ok" : "fail");
        return 0;
    }
    if (argc >= 2 && !wcscmp(argv[1], L"read")) {
        if (!(monitor = first_monitor()))
            return 1;
        read_pivot(monitor);
        return 0;
    }
    if (argc == 3 && !wcscmp(argv[1], L"rotate"))
        return rotate(_wtoi(argv[2]));
    if (argc >= 2 && !wcscmp(argv[1], L"window"))
        return window();
    fprintf(stderr, "usage: probe monitor|read|rotate DMDO|window\n");
    return 2;
}
