#pragma once

// SelectDirectory: the folder chooser of every dialog that asks for a folder, over the
// platform's folder browser. GUI thread only.

#include "rtl/SysTypes.h"
#include "vcl/TypInfo.h"

class TWinControl;

BRANTWELL_ENUM(TSelectDirExtOpt, sdNewFolder, sdShowEdit, sdShowShares, sdNewUI, sdShowFiles, sdValidateDir)
using TSelectDirExtOpts = TSet<TSelectDirExtOpt>;

// Shows the browser owned by Owner's window (else the application's), titled Caption, below
// Root when it is given, starting at Directory when that folder exists. The browser is
// centred on the monitor of the application's main form. With sdValidateDir a typed name
// that is no folder gets the message "\"name\" is an invalid path" and the browser stays.
// True when a folder was chosen: Directory is then its path.
bool SelectDirectory(TWinControl* Owner, const AnsiString& Caption, const WideString& Root, TSelectDirExtOpts Options,
                     WideString& Directory);
