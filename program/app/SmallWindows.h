#pragma once

// What the small windows share: the classes their form files name that no module registers
// on its own, registered once per process before the first of them is made. GUI thread.

// Registers the label, image and PNG picture classes of the small windows' form files and starts the
// skinned controls (once).
void RegisterSmallWindowClasses();
