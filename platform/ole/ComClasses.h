#pragma once

// Objects made by class id: CoCreateInstance over a small table of in-process classes. The
// layer that provides a class registers it here (the shell registers its task-bar list), so
// a caller needs only the class id and the interface it wants. Any thread may call these.

#include "platform/kernel/ComBase.h"

constexpr DWORD CLSCTX_INPROC_SERVER = 0x1;
constexpr DWORD CLSCTX_INPROC_HANDLER = 0x2;
constexpr DWORD CLSCTX_LOCAL_SERVER = 0x4;
constexpr DWORD CLSCTX_REMOTE_SERVER = 0x10;
constexpr DWORD CLSCTX_INPROC = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER;
constexpr DWORD CLSCTX_ALL = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER;

constexpr HRESULT CLASS_E_NOAGGREGATION = static_cast<HRESULT>(0x80040110);
constexpr HRESULT REGDB_E_CLASSNOTREG = static_cast<HRESULT>(0x80040154);

// Makes an object of the class and asks it for `iid`. Every class here is in-process: a
// context without CLSCTX_INPROC_SERVER or CLSCTX_INPROC_HANDLER finds none
// (REGDB_E_CLASSNOTREG, as does an unknown class). No class supports aggregation
// (CLASS_E_NOAGGREGATION for an `outer` object); E_POINTER for a null `object`, which is
// otherwise cleared on failure.
HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID iid, void** object);

namespace platform {

// Makes a new object and hands out its `iid` interface (E_NOINTERFACE when it has none).
using ComClassFactory = HRESULT (*)(REFIID iid, void** object);

// Registers (or replaces) the factory of a class; false for a null factory.
bool RegisterComClass(const CLSID& clsid, ComClassFactory factory);
// False when the class was not registered.
bool UnregisterComClass(const CLSID& clsid);

}  // namespace platform
