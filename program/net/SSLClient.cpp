#include "program/net/SSLClient.h"

#include <mutex>

#include "engines/SSL/SSLInterface.h"
#include "platform/kernel/DebugOutput.h"
#include "platform/kernel/Modules.h"

namespace {

// The one process-wide binding. The table is filled before `loaded` is published.
struct TSSLBinding {
  std::mutex mutex;
  HMODULE module = nullptr;
  SSLInterfaceTable table{};
  bool loaded = false;
  bool tried = false;  // a failed load is not retried for every request
  AnsiString name = "SSL.dll";
};

TSSLBinding& Binding() {
  static TSSLBinding binding;
  return binding;
}

bool TableComplete(const SSLInterfaceTable& t) {
  return t.Start && t.SetHost && t.LastErrorText && t.ClientMethod && t.NewContext && t.FreeContext &&
         t.NewSession && t.FreeSession && t.BindSocket && t.Handshake && t.Write && t.Read && t.Shutdown &&
         t.Pending && t.Peek;
}

}  // namespace

bool LoadSSLInterface() {
  TSSLBinding& binding = Binding();
  std::lock_guard lock(binding.mutex);
  if (binding.loaded || binding.tried) return binding.loaded;
  binding.tried = true;
  HMODULE module = LoadLibraryA(binding.name.c_str());
  if (!module) {
    OutputDebugStringA(("TLS library " + binding.name + " cannot be loaded").c_str());
    return false;
  }
  auto create = reinterpret_cast<CreateSSLInterfaceFunction>(
      reinterpret_cast<void (*)()>(GetProcAddress(module, "CreateSSLInterface")));
  SSLInterfaceTable table{};
  if (create) create(&table);
  if (!create || !TableComplete(table)) {
    OutputDebugStringA(("TLS library " + binding.name + " has no usable CreateSSLInterface").c_str());
    FreeLibrary(module);
    return false;
  }
  binding.table = table;
  binding.module = module;
  binding.loaded = true;
  return true;
}

bool InitSSLInterface() {
  if (!LoadSSLInterface()) return false;
  Binding().table.Start();
  return true;
}

void UnloadSSLInterface() {
  TSSLBinding& binding = Binding();
  std::lock_guard lock(binding.mutex);
  if (binding.module) FreeLibrary(binding.module);
  binding.module = nullptr;
  binding.table = {};
  binding.loaded = false;
  binding.tried = false;
}

void SetSSLLibraryName(const AnsiString& name) {
  TSSLBinding& binding = Binding();
  std::lock_guard lock(binding.mutex);
  binding.name = name;
}

std::unique_ptr<TSSLClient> TSSLClient::Create(UINT_PTR socket, const AnsiString& host) {
  if (!InitSSLInterface()) return nullptr;
  std::unique_ptr<TSSLClient> client(new TSSLClient(socket, Binding().table));
  client->FHost = host;
  client->FMethod = client->FTable.ClientMethod();
  client->FContext = client->FMethod ? client->FTable.NewContext(client->FMethod) : 0;
  if (!client->FContext) return nullptr;
  return client;
}

TSSLClient::TSSLClient(UINT_PTR socket, const SSLInterfaceTable& table) : FSocket(socket), FTable(table) {}

TSSLClient::~TSSLClient() {
  Shutdown();
  if (FContext) FTable.FreeContext(FContext);
}

bool TSSLClient::Connect() {
  if (FSession) return false;
  FSession = FTable.NewSession(FContext);
  if (!FSession) {
    FFailure = "cannot make a TLS session";
    return false;
  }
  if (FTable.SetHost(FSession, FHost.c_str()) != 1 || FTable.BindSocket(FSession, FSocket) != 1) {
    FLastError = -1;
    FFailure = LastErrorText();
    return false;
  }
  const int result = FTable.Handshake(FSession);
  FLastError = result;
  if (result < 1) FFailure = LastErrorText();
  return result >= 1;
}

int TSSLClient::Peek(void* buffer, int length) {
  if (!FSession) return FLastError = -1;
  const int result = FTable.Peek(FSession, buffer, length);
  if (result < 0) FLastError = result;
  return result;
}

int TSSLClient::Read(void* buffer, int length) {
  if (!FSession) return FLastError = -1;
  const int result = FTable.Read(FSession, buffer, length);
  if (result < 0) FLastError = result;
  return result;
}

int TSSLClient::Write(const void* buffer, int length) {
  if (!FSession) return FLastError = -1;
  const int result = FTable.Write(FSession, buffer, length);
  if (result < 0) FLastError = result;
  return result;
}

int TSSLClient::Pending() { return FSession ? FTable.Pending(FSession) : 0; }

void TSSLClient::Shutdown() {
  if (!FSession) return;
  FTable.Shutdown(FSession);
  FTable.FreeSession(FSession);
  FSession = 0;
}

AnsiString TSSLClient::LastErrorText() const {
  if (!FSession) return FFailure;
  char buffer[512];
  buffer[0] = 0;
  FTable.LastErrorText(FSession, buffer, sizeof buffer);
  return buffer[0] ? AnsiString(buffer) : FFailure;
}
