/* Sends a system notice to the program's own (hidden) top-level window, as
 * Windows does on sleep, resume and display changes:
 *   poke TITLE suspend|resume|display|settings
 * The window is the top-level window with that title whose class Qt
 * registered ("Qt...QWindow..."); the tool prints the windows it reached and
 * fails when there was none. */
#include <windows.h>
#include <stdio.h>
#include <wchar.h>

struct search {
    const wchar_t* title;
    UINT message;
    WPARAM wparam;
    LPARAM lparam;
    int reached;
};

static BOOL CALLBACK visit(HWND window, LPARAM context)
{
    struct search* s = (struct search*)context;
    wchar_t title[256], cls[256];
    DWORD_PTR answer = 0;
    if (!GetWindowTextW(window, title, 256) || wcscmp(title, s->title) != 0)
        return TRUE;
    if (!GetClassNameW(window, cls, 256) || wcsncmp(cls, L"Qt", 2) != 0 || !wcsstr(cls, L"QWindow"))
        return TRUE;
    if (SendMessageTimeoutW(window, s->message, s->wparam, s->lparam, SMTO_ABORTIFHUNG, 5000, &answer)) {
        printf("sent to %p (%ls)\n", (void*)window, cls);
        ++s->reached;
    }
    return TRUE;
}

int wmain(int argc, wchar_t** argv)
{
    struct search s = {0};
    if (argc != 3) {
        fprintf(stderr, "usage: poke TITLE suspend|resume|display|settings\n");
        return 2;
    }
    s.title = argv[1];
    if (!wcscmp(argv[2], L"suspend")) {
        s.message = WM_POWERBROADCAST;
        s.wparam = PBT_APMSUSPEND;
    } else if (!wcscmp(argv[2], L"resume")) {
        s.message = WM_POWERBROADCAST;
        s.wparam = PBT_APMRESUMESUSPEND;
    } else if (!wcscmp(argv[2], L"display")) {
        s.message = WM_DISPLAYCHANGE;
        s.wparam = 32;
        s.lparam = MAKELPARAM(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    } else if (!wcscmp(argv[2], L"settings")) {
        s.message = WM_SETTINGCHANGE;
        s.wparam = SPI_SETWORKAREA;
    } else {
        fprintf(stderr, "poke: unknown notice\n");
        return 2;
    }
    EnumWindows(visit, (LPARAM)&s);
    if (!s.reached) {
        fprintf(stderr, "poke: no Qt window titled %ls\n", argv[1]);
        return 1;
    }
    return 0;
}
