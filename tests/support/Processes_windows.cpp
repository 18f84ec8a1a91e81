#include "Processes.h"

#include <windows.h>

long CurrentProcessId() { return static_cast<long>(GetCurrentProcessId()); }

bool ProcessIsGone(long pid) {
    const HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(pid));
    if (process == nullptr) return GetLastError() == ERROR_INVALID_PARAMETER;
    const bool gone = WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
    CloseHandle(process);
    return gone;
}
