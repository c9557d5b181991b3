#pragma once

// What every network test shares: Winsock started, and a test authority trusted as the
// system store (SSL_CERT_FILE), made once per run.

#include "NetFixtures.h"

const testnet::Authority& TestAuthority();
// Server credentials for localhost and 127.0.0.1, issued once.
const testnet::Credentials& LocalhostCredentials();
