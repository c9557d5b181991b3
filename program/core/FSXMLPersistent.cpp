#include "program/core/FSXMLPersistent.h"

#include "platform/kernel/ProgramFolder.h"
#include "program/core/XMLReader.h"
#include "rtl/SysUtils.h"
#include "vcl/Form.h"

namespace {

// Reads the levels of cls's ancestors first, then cls's own; the chain ends at the component
// base class or at rootAncestor.
void ReadClassLevels(TComponent* instance, TClass cls, TClass rootAncestor,
                     const AnsiString& folder, bool& anyRead, AnsiString& fileName) {
  if (!cls || cls == TComponent::StaticClass() || cls == rootAncestor) return;
  ReadClassLevels(instance, cls->Parent, rootAncestor, folder, anyRead, fileName);
  AnsiString path = folder + cls->Name + ".xfm";
  if (ReadXMLFormFile(path, instance)) anyRead = true;
  if (anyRead) fileName = path;
}

}  // namespace

bool ReadXMLFormFile(const AnsiString& fileName, TComponent* instance) {
  TXMLReader reader;
  if (!reader.LoadFromFile(UTF8ToWide(fileName))) return false;
  return reader.ReadRootComponent(instance) != nullptr;
}

bool InitInheritedXMLComponent(TComponent* instance, TClass rootAncestor, const AnsiString& folder,
                               AnsiString& fileName) {
  auto& nameSpace = GlobalNameSpace();
  nameSpace.BeginWrite();
  struct Release {
    TMultiReadExclusiveWriteSynchronizer& lock;
    ~Release() { lock.EndWrite(); }
  } release{nameSpace};

  TComponentState state = instance->ComponentState();
  bool ownList = !state.Contains(csLoading) && !state.Contains(csInline);
  if (ownList) BeginGlobalLoading();
  AnsiString base = IncludeTrailingPathDelimiter(folder.empty() ? AnsiString(platform::ProgramFolder())
                                                                : folder);
  bool anyRead = false;
  try {
    ReadClassLevels(instance, instance->ClassType(), rootAncestor, base, anyRead, fileName);
    if (ownList) NotifyGlobalLoading();
  } catch (...) {
    if (ownList) EndGlobalLoading();
    throw;
  }
  if (ownList) EndGlobalLoading();
  return anyRead;
}

namespace {

// The program folder first, then its "xforms" folder.
bool ReadXMLFormDesign(TComponent* instance, TClass rootAncestor, AnsiString& fileName) {
  if (InitInheritedXMLComponent(instance, rootAncestor, {}, fileName)) return true;
  AnsiString xforms = IncludeTrailingPathDelimiter(platform::ProgramFolder()) + "xforms";
  return InitInheritedXMLComponent(instance, rootAncestor, xforms, fileName);
}

bool ReadFormDesign(TComponent* instance, TClass rootAncestor) {
  AnsiString fileName;
  return ReadXMLFormDesign(instance, rootAncestor, fileName);
}

}  // namespace

AnsiString LoadXMLFormDesign(TComponent* instance, TClass rootAncestor) {
  AnsiString fileName;
  if (ReadXMLFormDesign(instance, rootAncestor, fileName)) return fileName;
  throw EResNotFound::CreateFmt("Resource %s not found", {instance->ClassName()});
}

void RegisterXMLFormReader() { SetInitInheritedComponentProc(&ReadFormDesign); }
