#pragma once

// The program's dialogs as the platform's: InstallDialogPresenters puts the skinned message
// box in MessageBoxW's place in the window manager's function table and makes the file
// dialog the platform's open, save and folder-browser dialog and TColorDialogForm its colour
// dialog; UninstallDialogPresenters puts the window manager's box back and removes the
// others. The program's start-up calls the first before any window shows a message.
// GUI thread.

void InstallDialogPresenters();
void UninstallDialogPresenters();

// Registers the classes the dialogs' form files name (once; the skinned controls start).
void RegisterDialogClasses();
