#pragma once

#include <windows.h>

// The nine calls of the vendor's USB library as it exports them, by plain name, with the WINAPI
// calling convention. Each returns a 32-bit status, 0 for success (siusbxpstatus.h). Its device
// handle is pointer-sized. The backend resolves them with GetProcAddress; the tests' stand-in
// library defines them with these very types.
namespace zelmark::siusbxp {

using GetNumDevicesFn = DWORD(WINAPI*)(LPDWORD numDevices);
using GetProductStringFn = DWORD(WINAPI*)(DWORD deviceNum, LPVOID deviceString, DWORD options);
using OpenFn = DWORD(WINAPI*)(DWORD deviceNum, HANDLE* handle);
using CloseFn = DWORD(WINAPI*)(HANDLE handle);
using SetBaudRateFn = DWORD(WINAPI*)(HANDLE handle, DWORD baudRate);
using SetTimeoutsFn = DWORD(WINAPI*)(DWORD readTimeoutMs, DWORD writeTimeoutMs);
using WriteFn = DWORD(WINAPI*)(HANDLE handle, LPVOID buffer, DWORD bytesToWrite,
                               LPDWORD bytesWritten, LPOVERLAPPED overlapped);
using CheckRXQueueFn = DWORD(WINAPI*)(HANDLE handle, LPDWORD numBytesInQueue, LPDWORD queueStatus);
using ReadFn = DWORD(WINAPI*)(HANDLE handle, LPVOID buffer, DWORD bytesToRead,
                              LPDWORD bytesReturned, LPOVERLAPPED overlapped);

}  // namespace zelmark::siusbxp
