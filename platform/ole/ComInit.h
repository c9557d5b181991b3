#pragma once

// COM's per-thread start: CoInitialize(Ex) and CoUninitialize. A thread joins one apartment
// model (single-threaded or multithreaded) with its first call; the calls are counted, and the
// model is given up when the last matching CoUninitialize comes. Each thread keeps its own
// count and model.

#include "platform/kernel/ComBase.h"

constexpr DWORD COINIT_MULTITHREADED = 0x0;
constexpr DWORD COINIT_APARTMENTTHREADED = 0x2;
constexpr DWORD COINIT_DISABLE_OLE1DDE = 0x4;
constexpr DWORD COINIT_SPEED_OVER_MEMORY = 0x8;

constexpr HRESULT RPC_E_CHANGED_MODE = static_cast<HRESULT>(0x80010106);

// S_OK for the thread's first call, S_FALSE for a later one of the same model (each to be
// matched by one CoUninitialize); RPC_E_CHANGED_MODE, not counted, when the thread already
// runs the other model; E_INVALIDARG for a non-null reserved pointer or unknown flags.
HRESULT CoInitializeEx(LPVOID reserved, DWORD coInit);
// CoInitializeEx for a single-threaded apartment.
HRESULT CoInitialize(LPVOID reserved);
// Ends one counted call; more of these than of successful calls do nothing.
void CoUninitialize();
