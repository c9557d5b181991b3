#include "program/net/NetStartup.h"

#include "platform/winsock/WinSock.h"
#include "program/net/SSLClient.h"

bool StartNetwork() {
  WSADATA data;
  return WSAStartup(MAKEWORD(1, 1), &data) == 0;
}

void StopNetwork() {
  // The TLS library stays loaded: objects it made live in the engines' handle table until the
  // process ends, and their code must still be there then.
  WSACleanup();
}
