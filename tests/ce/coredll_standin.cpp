// A stand-in for Windows CE's core library, coredll.dll, so the CE flavour
// of the plug-in runs under Wine. Its exports are exactly the names listed
// in src/ce/ce_imports.txt for coredll: most are forwarded to the desktop
// DLL that has the same call; the two CE has alone are here.
#include <windows.h>

extern "C" {

// CE's one call behind SetEvent, ResetEvent and PulseEvent.
BOOL WINAPI EventModify(HANDLE event, DWORD action) {
  switch (action) {
    case 1:
      return PulseEvent(event);
    case 2:
      return ResetEvent(event);
    case 3:
      return SetEvent(event);
    default:
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
  }
}

// GetProcAddress with the symbol's name as wide text. CE's export names are
// ASCII; anything else cannot name an export.
FARPROC WINAPI GetProcAddressW(HMODULE module, LPCWSTR name) {
  char narrow[256];
  size_t i = 0;
  for (; name[i] != 0; ++i) {
    if (i + 1 >= sizeof narrow || name[i] > 0x7f) {
      SetLastError(ERROR_PROC_NOT_FOUND);
      return nullptr;
    }
    narrow[i] = static_cast<char>(name[i]);
  }
  narrow[i] = 0;
  return GetProcAddress(module, narrow);
}

}  // extern "C"
