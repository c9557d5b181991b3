#include "program/app/Language.h"

#include "platform/kernel/Unicode.h"
#include "program/core/Config.h"
#include "program/core/LogFile.h"
#include "program/core/WideFileUtils.h"
#include "program/engine/LanguageEngine.h"
#include "program/skin/FSSkinEngine.h"
#include "program/skin/SkinSystemColors.h"
#include "rtl/Strings.h"

bool InitLanguage() {
  MLInit(u"Languages\\*.dat");
  AnsiString name = AppConfig.ReadStringA("System", "DefLanguage", "");
  if (name.empty()) name = kDefaultLanguage;
  if (MLLoadLanguageResByName(UTF8ToWide(name).c_str()) != 0) return true;
  if (name == kDefaultLanguage) return false;
  WriteLog("The language \"" + name + "\" could not be loaded; English is used instead");
  return MLLoadLanguageResByName(UTF8ToWide(AnsiString(kDefaultLanguage)).c_str()) != 0;
}

bool LoadDefaultSkin() { return LoadSkin(AppConfig.ReadStringA("System", "DefSkin", "Default")); }

bool LoadSkin(const AnsiString& SkinName) {
  const AnsiString skinsFolder = AppConfig.ReadStringA("System", "SkinPath", "Skin");
  WideString folder, ignored;
  WideGetAppPaths(UTF8ToWide(skinsFolder), u"", folder, ignored);
  const WideString skinFolder = WideIncludeTrailingBackslash(folder) + UTF8ToWide(SkinName);
  const AnsiString path = WideToUTF8(skinFolder);
  SkinEngine->SetSkinPath(path);
  SkinEngine->LoadSkinFile("Controls");
  SkinEngine->LoadSkinFile("Pictures");
  SkinEngine->LoadSkinFile("SkinForm");
  ApplySkinSystemColors(path);
  return !SkinName.empty();
}
