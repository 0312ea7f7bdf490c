/* A stand-in for the monitor side of dxva2.dll, for the end-to-end runs
 * under Wine: placed beside the program, it is loaded instead of Wine's own.
 *
 * Every call reads the control file "dxva2-control.txt" beside this DLL
 * again, so a running test can change the monitor's answers:
 *   monitors N        physical monitors per display (default 1)
 *   delay MS          every VCP call answers after MS milliseconds
 *   fail 0|1          every VCP call fails
 *   hang 0|1          reads block (until the file says hang 0 again)
 *   vcp CODE CUR MAX  the value a read of CODE returns (hex or decimal)
 * A code without a vcp line reads as 0 of 0.
 * Every call is appended to "dxva2-calls.txt" beside this DLL, one line
 * each: "<ms> <call> <arguments> -> <result>". */
#include <windows.h>
#include <physicalmonitorenumerationapi.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

typedef enum { MC_MOMENTARY_STANDIN, MC_SET_PARAMETER_STANDIN } vcp_code_type;

/* The error Windows reports for a monitor that gives no valid DDC/CI answer. */
#define DDCCI_NO_ANSWER 0xC0262582u
#define MAX_CODES 32
#define MONITOR_BASE 0x5100

struct control {
    unsigned monitors;
    unsigned delay;
    int fail;
    int hang;
    unsigned count;
    unsigned codes[MAX_CODES], current[MAX_CODES], maximum[MAX_CODES];
};

static wchar_t control_path[MAX_PATH];
static wchar_t record_path[MAX_PATH];
static CRITICAL_SECTION record_lock;
static DWORD started;

static void beside_module(HINSTANCE module, const wchar_t* name, wchar_t* out)
{
    DWORD n = GetModuleFileNameW(module, out, MAX_PATH);
    while (n > 0 && out[n - 1] != L'\\' && out[n - 1] != L'/')
        --n;
    out[n] = 0;
    wcsncat(out, name, MAX_PATH - 1 - wcslen(out));
}

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID reserved)
{
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH) {
        beside_module(module, L"dxva2-control.txt", control_path);
        beside_module(module, L"dxva2-calls.txt", record_path);
        InitializeCriticalSection(&record_lock);
        started = GetTickCount();
    }
    return TRUE;
}

static void read_control(struct control* c)
{
    char line[256];
    FILE* f;
    memset(c, 0, sizeof *c);
    c->monitors = 1;
    f = _wfopen(control_path, L"r");
    if (!f)
        return;
    while (fgets(line, sizeof line, f)) {
        char word[32];
        unsigned long a = 0, b = 0, d = 0;
        int n = sscanf(line, "%31s %li %li %li", word, (long*)&a, (long*)&b, (long*)&d);
        if (n < 2)
            continue;
        if (!strcmp(word, "monitors"))
            c->monitors = (unsigned)a;
        else if (!strcmp(word, "delay"))
            c->delay = (unsigned)a;
        else if (!strcmp(word, "fail"))
            c->fail = a != 0;
        else if (!strcmp(word, "hang"))
            c->hang = a != 0;
        else if (!strcmp(word, "vcp") && n == 4 && c->count < MAX_CODES) {
            c->codes[c->count] = (unsigned)a;
            c->current[c->count] = (unsigned)b;
            c->maximum[c->count] = (unsigned)d;
            ++c->count;
        }
    }
    fclose(f);
}

static void record(const char* format, ...)
{
    char text[512];
    va_list args;
    FILE* f;
    int n = snprintf(text, sizeof text, "%lu ", (unsigned long)(GetTickCount() - started));
    va_start(args, format);
    vsnprintf(text + n, sizeof text - (size_t)n, format, args);
    va_end(args);
    EnterCriticalSection(&record_lock);
    f = _wfopen(record_path, L"a");
    if (f) {
        fprintf(f, "%s\n", text);
        fclose(f);
    }
    LeaveCriticalSection(&record_lock);
}

/* Waits out the answer delay; a read also waits while the monitor hangs. */
static void answer_time(struct control* c, int reading)
{
    if (c->delay)
        Sleep(c->delay);
    if (reading && c->hang) {
        record("hang begins");
        while (c->hang) {
            Sleep(50);
            read_control(c);
        }
        record("hang ends");
    }
}

static int known_monitor(HANDLE monitor, const struct control* c)
{
    UINT_PTR h = (UINT_PTR)monitor;
    return h >= MONITOR_BASE && h < MONITOR_BASE + c->monitors;
}

BOOL WINAPI GetNumberOfPhysicalMonitorsFromHMONITOR(HMONITOR display, LPDWORD count)
{
    struct control c;
    read_control(&c);
    if (!count) {
        record("count %p -> fail", (void*)display);
        return FALSE;
    }
    *count = c.monitors;
    record("count %p -> %u", (void*)display, c.monitors);
    return TRUE;
}

BOOL WINAPI GetPhysicalMonitorsFromHMONITOR(HMONITOR display, DWORD size, LPPHYSICAL_MONITOR out)
{
    struct control c;
    DWORD i;
    read_control(&c);
    if (!out || size != c.monitors) {
        record("physical %p %lu -> fail", (void*)display, (unsigned long)size);
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    for (i = 0; i < size; ++i) {
        out[i].hPhysicalMonitor = (HANDLE)(UINT_PTR)(MONITOR_BASE + i);
        _snwprintf(out[i].szPhysicalMonitorDescription, PHYSICAL_MONITOR_DESCRIPTION_SIZE,
                   L"Stand-in DDC monitor %lu", (unsigned long)i);
    }
    record("physical %p %lu -> ok", (void*)display, (unsigned long)size);
    return TRUE;
}

BOOL WINAPI DestroyPhysicalMonitor(HANDLE monitor)
{
    record("destroy %p", monitor);
    return TRUE;
}

BOOL WINAPI DestroyPhysicalMonitors(DWORD size, LPPHYSICAL_MONITOR monitors)
{
    (void)monitors;
    record("destroy-all %lu", (unsigned long)size);
    return TRUE;
}

BOOL WINAPI GetVCPFeatureAndVCPFeatureReply(HANDLE monitor, BYTE code, vcp_code_type* type, LPDWORD current,
                                            LPDWORD maximum)
{
    struct control c;
    unsigned i;
    read_control(&c);
    answer_time(&c, 1);
    if (c.fail || !known_monitor(monitor, &c)) {
        record("get %p 0x%02X -> fail", monitor, code);
        SetLastError(DDCCI_NO_ANSWER);
        return FALSE;
    }
    for (i = 0; i < c.count && c.codes[i] != code; ++i)
        ;
    if (type)
        *type = MC_SET_PARAMETER_STANDIN;
    if (current)
        *current = i < c.count ? c.current[i] : 0;
    if (maximum)
        *maximum = i < c.count ? c.maximum[i] : 0;
    record("get %p 0x%02X -> %u %u", monitor, code, i < c.count ? c.current[i] : 0,
           i < c.count ? c.maximum[i] : 0);
    return TRUE;
}

BOOL WINAPI SetVCPFeature(HANDLE monitor, BYTE code, DWORD value)
{
    struct control c;
    read_control(&c);
    answer_time(&c, 0);
    if (c.fail || !known_monitor(monitor, &c)) {
        record("set %p 0x%02X %lu -> fail", monitor, code, (unsigned long)value);
        SetLastError(DDCCI_NO_ANSWER);
        return FALSE;
    }
    record("set %p 0x%02X %lu -> ok", monitor, code, (unsigned long)value);
    return TRUE;
}

BOOL WINAPI GetCapabilitiesStringLength(HANDLE monitor, LPDWORD length)
{
    struct control c;
    read_control(&c);
    answer_time(&c, 1);
    if (c.fail || !known_monitor(monitor, &c) || !length) {
        record("caps-length %p -> fail", monitor);
        SetLastError(DDCCI_NO_ANSWER);
        return FALSE;
    }
    *length = 180;
    record("caps-length %p -> 180", monitor);
    return TRUE;
}
