#pragma once

// The program's main block: start-up, the message loop and shut-down, in the one fixed order
// the program relies on (no static initialisation order is involved):
//
//   1 module starts (imaging, skin, network, controls, Fc, form reader, engine poster)
//   2 COM   3 no task-bar button for the application window   4 random seed, application
//   5 96 dpi   6 settings file   7 product full name   8 single instance (mutex; a second
//   process raises the first one's window and ends)   9 log   10 work folders
//   11 start line   12 skin, language   13 splash unless debugging   14 engines
//   15 "AppExeName"   16 main window, message loop
//
// and after the loop: settings closed, mutex released, language closed, encoder manager
// stopped, transition manager released, decoder manager stopped, COM ended; then the engine
// libraries unload and the modules stop in reverse order.
//
// A settings file that cannot be written and an engine library that cannot be loaded end the
// start-up: a message box and a line on standard error name the failure, the shut-down steps
// that apply run, and the exit code is 1. SIGINT and SIGTERM close the main window as its
// close button does; a second signal ends the process at once.
//
// GUI thread. The settings record AppConfig and the product full name are process-wide.

#include <functional>

#include "platform/user/UserTypes.h"
#include "rtl/SysTypes.h"

class TCustomForm;

// What tests watch and drive; the program passes none.
struct TStartupSeams {
  // Each module start and stop, each start-up and shut-down step, as it happens.
  std::function<void(const AnsiString& event)> Trace;
  // Runs once, inside the message loop, after the main window has shown.
  std::function<void(TCustomForm* mainForm)> MainFormShown;
  // The program file's name without its folder; empty: the running executable's. The
  // settings file is "<program folder>/<name without extension>.ini".
  AnsiString ProgramFileName;
};

// The whole run; returns the process's exit code.
int RunBrantwell(const TStartupSeams& seams = {});

// "System"/"FullName" with the default "Zelvantic Brantwell".
WideString GetProductName();
// The full name read once by the start-up (every caption, the instance mutex and the search
// for a running instance use it).
const WideString& ProductFullName();

// Restores and activates the first top-level window of another process of the program whose
// title begins with the product full name.
void ActivatePreviousInstance();
BOOL FindInstanceWindowProc(HWND hwnd, LPARAM lParam);

// Fills the empty folder keys "TempPath", "SnapshotPath" and "ThumbnailPath" of the settings
// and makes their folders; a key that has a value is left alone.
void InitWorkFolders();

// The program's name for "AppExeName": the file name without its folder and without its
// extension; the whole name when it has none.
AnsiString AppExeNameOf(const AnsiString& programFile);
