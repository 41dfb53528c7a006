// What Windows CE's own headers declare and the desktop headers lack, for
// building the plug-in's CE branches with a desktop Windows tool chain (the
// CE flavour of the Windows build). Included ahead of every source of that
// build's platform layer, the only code that sees the OS header; a real CE
// tool chain has these in its headers and does not use this file.
//
// On CE:
//   - GetProcAddress is GetProcAddressW, which takes the symbol's name as
//     wide text;
//   - SetEvent and ResetEvent are inline forms of one core-library call,
//     EventModify, so a plug-in built for CE imports EventModify and neither
//     of them;
//   - the whole Win32 subset, the C run-time and MessageBeep come from one
//     core library, coredll.dll; COM comes from ole32.dll.
#ifndef ZORVAN_CE_CE_DECLARATIONS_H
#define ZORVAN_CE_CE_DECLARATIONS_H

#if !defined(_WIN32_WCE) || !defined(UNDER_CE)
#error "the CE flavour defines _WIN32_WCE and UNDER_CE"
#endif

#include <windows.h>

extern "C" {
// The action EventModify performs on an event.
enum : DWORD { EVENT_PULSE = 1, EVENT_RESET = 2, EVENT_SET = 3 };

__declspec(dllimport) BOOL WINAPI EventModify(HANDLE event, DWORD action);
__declspec(dllimport) FARPROC WINAPI GetProcAddressW(HMODULE module, LPCWSTR name);
}

// CE's inline forms, in place of the desktop imports.
#define SetEvent(event) EventModify((event), EVENT_SET)
#define ResetEvent(event) EventModify((event), EVENT_RESET)

#endif  // ZORVAN_CE_CE_DECLARATIONS_H
