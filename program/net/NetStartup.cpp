#include "program/net/NetStartup.h"

#include "platform/winsock/WinSock.h"
#include "program/net/SSLClient.h"

bool StartNetwork() {
  WSADATA data;
  return WSAStartup(MAKEWORD(1, 1), &data) == 0;
}

void StopNetwork() {
  UnloadSSLInterface();
  WSACleanup();
}
