#pragma once

// The Fc component set's start-up: registers every published class so that form files can
// name it. Safe to call more than once. GUI thread.

void RegisterFcClasses();
