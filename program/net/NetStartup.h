#pragma once

// Start and end of the network subsystem for a process: Winsock is started once; at the end
// the TLS library is unloaded and Winsock stopped. GUI thread (or a tool's main thread).

bool StartNetwork();
void StopNetwork();
