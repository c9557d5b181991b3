#pragma once

// Start-up's choice of language and skin. InitLanguage points the language engine at the
// program's "Languages" folder and loads the language the settings name ("System"/
// "DefLanguage", "EngLish" when empty); when that one does not load, English is loaded in its
// place, so no window shows bare text keys after a failed switch stored a broken name.
// LoadDefaultSkin loads the skin "System"/"DefSkin" ("Default") from the folder
// "System"/"SkinPath" ("Skin") beside the program; LoadSkin loads a named one and then sets
// the system colours its folder asks for. GUI thread, after AppConfig is set up.

#include "rtl/SysTypes.h"

// The language loaded at start-up when the settings name none or a broken one.
inline constexpr char kDefaultLanguage[] = "EngLish";

// True when a language was loaded (the stored one, or English in its place).
bool InitLanguage();
bool LoadDefaultSkin();
// True when SkinName is not empty; a missing folder or file is not reported here (the skin
// engine goes on drawing with what it has).
bool LoadSkin(const AnsiString& SkinName);
