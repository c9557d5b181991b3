#pragma once

// Start and stop of the skinned controls. Start registers every published control class with
// the class registry (so form files can name them) and loads the controls' cursors; stop undoes
// it. Calls are counted: only the first start and the matching last stop do the work, so the
// program, the control gallery and each test fixture may call them independently. The skin
// module is started separately, before this one. Nothing here relies on static
// initialisation. GUI thread.

void StartControlsModule();
void StopControlsModule();
// How many starts are not yet matched by a stop.
int ControlsModuleStartCount();
