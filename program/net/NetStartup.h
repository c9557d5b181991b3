#pragma once

// Start and end of the network subsystem for a process: Winsock is started once and stopped
// at the end; the TLS library, once loaded, stays until the process ends. GUI thread (or a
// tool's main thread).

bool StartNetwork();
void StopNetwork();
