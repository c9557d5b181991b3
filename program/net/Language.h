#pragma once

// The language manager of the network units: texts by key (LangGetText) and the captions and
// other properties of a window (LangApplyToForm) from the current language resource, an XML
// document:
//
//   <LanguageResource>
//     <Strings><INF_UpdateVersion>Version:</INF_UpdateVersion>...</Strings>
//     <Forms>
//       <UpdateMainForm Caption="...">            (or <TUpdateMainForm name="UpdateMainForm">)
//         <btnClose Caption="..."><Font Style="..."/></btnClose>
//       </UpdateMainForm>
//     </Forms>
//   </LanguageResource>
//
// With no resource loaded (the program ships none) every text is its default and applying
// does nothing. After applying, every control of the window gets WM_USER+100 and, unless it
// answered, CM_SKINCHANGED.
//
// GUI thread only. The manager owns its resources; Current points into Languages.

#include <memory>

#include "program/core/FSxmldom.h"
#include "program/core/Singleton.h"
#include "vcl/Form.h"

// WParam the resource's identifier, LParam the resource.
constexpr UINT WM_LANGUAGECHANGED = WM_USER + 100;
// WParam the object about to be changed, LParam the resource; a non-zero answer keeps the
// object as it is.
constexpr UINT WM_LANGUAGEQUERY = WM_USER + 101;

class TLanguageResource : public TObject {
  BRANTWELL_CLASS(TLanguageResource, TObject)

 public:
  explicit TLanguageResource(IXMLDocumentPtr document);

  const IXMLDocumentPtr& Document() const { return FDocument; }
  // The font forms take; an empty name keeps the form's own.
  TFontCharset FontCharset = DEFAULT_CHARSET;
  AnsiString FontName;
  int FontSize = 0;
  int32_t Identifier = 0;

 private:
  friend class TLanguageMgr;
  IXMLDocumentPtr FDocument;
  WideString FLastPath;
  IXMLNodePtr FLastNode;
  bool FByName = false;
  int FBroadcasting = 0;
  int FQuerying = 0;
};

class TLanguageMgr : public TSingleton {
  BRANTWELL_CLASS(TLanguageMgr, TSingleton)

 public:
  TLanguageMgr();
  ~TLanguageMgr() override;

  WideString GetText(const WideString& key, const WideString& defaultText);
  bool ApplyToForm(TCustomForm* form);

  // Takes the resource and makes it the current one (nil: none).
  void SetCurrent(std::unique_ptr<TLanguageResource> resource);
  TLanguageResource* Current() const { return FCurrent; }

 private:
  IXMLNodePtr FindFormNode(TLanguageResource& resource, TCustomForm* form);
  void ApplyElement(TLanguageResource& resource, TCustomForm* form, TObject* target, const IXMLNodePtr& element,
                    bool descend);
  bool QueryScrollingControls(TLanguageResource& resource, TWinControl* control, TObject* target);
  void Broadcast(TLanguageResource& resource, TControl* control);

  std::vector<std::unique_ptr<TLanguageResource>> FLanguages;
  TLanguageResource* FCurrent = nullptr;
};

TLanguageMgr& GetLanguageMgr();
WideString LangGetText(const WideString& key, const WideString& defaultText);
bool LangApplyToForm(TCustomForm* form);
