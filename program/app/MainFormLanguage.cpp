// The main window's texts by key from the language engine, and the Language menu.

#include <algorithm>
#include <fstream>

#include "platform/kernel/FileApi.h"
#include "program/app/MainForm.h"
#include "program/app/SharedRoutines.h"
#include "program/app/Startup.h"
#include "program/core/Config.h"
#include "program/core/WideFileUtils.h"
#include "program/engine/LanguageEngine.h"
#include "program/engine/Menu.h"
#include "rtl/Strings.h"
#include "rtl/SysUtils.h"
#include "vcl/ToolBar.h"

namespace {

AnsiString Text(const char16_t* key) { return WideToUTF8(LanguageText(key)); }

template <class Control>
void SetCaptions(std::initializer_list<std::pair<Control*, const char16_t*>> captions) {
  for (const auto& [control, key] : captions) control->SetCaption(Text(key));
}

// A language file's display name: "Name" of its [Language] section; its file name without
// extension when it gives none.
AnsiString LanguageDisplayName(const AnsiString& path) {
  std::ifstream in(path);
  std::string line;
  bool inLanguage = false;
  while (std::getline(in, line)) {
    const AnsiString trimmed = Trim(AnsiString(line));
    if (!trimmed.empty() && trimmed[0] == '[') {
      inLanguage = SameText(trimmed, "[Language]");
      continue;
    }
    const size_t equals = trimmed.find('=');
    if (inLanguage && equals != AnsiString::npos && SameText(Trim(trimmed.substr(0, equals)), "Name"))
      return Trim(trimmed.substr(equals + 1));
  }
  const AnsiString file = WideToUTF8(WideExtractFileName(UTF8ToWide(path)));
  return file.substr(0, file.rfind('.'));
}

}  // namespace

void TMainForm::ApplyLanguage() {
  // The caption is the product's full name as the start-up read it (its default when the
  // settings give none), so the window never goes without a title.
  FAppTitle = ProductFullName().empty() ? UTF8ToWide(AppConfig.ReadStringA("System", "FullName", "")) : ProductFullName();
  SetCaption(WideToUTF8(FAppTitle));
  lblSlideInfo->SetCaption(u"");

  SetCaptions<TFSButton>({{btnAddtext, u"BTN_AddText_Caption"}, {btnEdit, u"BTN_Edit_Caption"},
                          {btnEffect, u"BTN_Effect_Caption"}, {btnMenu, u"BTN_Menu_Caption"},
                          {btnPreview, u"BTN_Preview_Caption"}, {btnBurn, u"BTN_Burner_Caption"},
                          {btnLoadFile, u"ChildFile_Load"}, {btnPreviewslide, u"BTN_PlaySlide_Hint"},
                          {btnClipEdit, u"BTN_ClipEdit_Caption"}, {btnAddSShow, u"BTN_AddSlide_Caption"},
                          {btnRmvVidFile, u"BTN_RemoveVid_Caption"}, {btnAddall, u"BTN_AASlide_Caption"},
                          {btnClearall, u"BTN_ClearVid_Caption"}, {btnFileInfo, u"BTN_VidPerproty_Caption"},
                          {btnAppTrans, u"BTN_ApplyTrans_Caption"}, {btnAppallTrans, u"BTN_ApplyAllTrans_Caption"},
                          {btnRandomall, u"BTN_RandomTrans_Caption"}, {btnAddThumb, u"BTN_AddThumb_Caption"},
                          {btnAddPicture, u"BTN_AddPic_Caption"}, {btnDownload, u"Info_DownloadTemp"},
                          {btnStart, u"BTN_Start_Caption"}, {btnDVDOutDir, u"BTN_DVDOutDir_Caption"},
                          {btnISOOutDir, u"BTN_DVDOutDir_Caption"}});
  // The music buttons carry glyphs; their texts are their hints.
  btnChangeMusic->SetHint(Text(u"BTN_ChangeMusic_Hint"));
  btnclearMusic->SetHint(Text(u"BTN_ClearMusic_Hint"));
  SetCaptions<TFSRadioButton>(
      {{rbDVD, u"RB_DVD_Cpation"}, {rbDVDFolder, u"RB_DVDFolder_Cpation"}, {rbISO, u"RB_ISO_Cpation"}});
  SetCaptions<TFSGroupBox>({{gbDVDOptions, u"GB_DVDOptions_Caption"},
                            {gbISOOptions, u"GB_ISOOptions_Caption"},
                            {gbDVDFolder, u"GB_DVDFolderOptions_Caption"}});

  const std::pair<TControl*, const char16_t*> hints[] = {
      {btnBold, u"BTN_Bold_Hint"},           {btnItalic, u"BTN_Italic_Hint"},
      {btnUnderline, u"BTN_Underline_Hint"}, {btnStrikeout, u"BTN_Strikeout_Hint"},
      {btnPlayer, u"BTN_Play_Hint"},         {btnMusicPlay, u"BTN_Play_Hint"},
      {btnMenuPlay, u"BTN_Play_Hint"},       {btnPause, u"BTN_Pause_Hint"},
      {btnMenuPause, u"BTN_Pause_Hint"},     {btnStop, u"BTN_Stop_Hint"},
      {btnMusicStop, u"BTN_Stop_Hint"},      {btnMenuStop, u"BTN_Stop_Hint"},
      {btnCapture, u"BTN_Photo_Hint"},       {btnOpen, u"BTN_Open_Hint"},
      {btnAddSlide, u"BTN_AddSlide_Hint"},   {btnDelSlide, u"BTN_DelSlide_Hint"},
      {btnPreSlide, u"BTN_PlaySlide_Hint"},  {btnClearSlide, u"NClearClip"},
      {btnRemoveSlide, u"NRemoveClip"},      {btnEditBtn, u"INF_BtnEditBtn_Hit"},
      {btnPrevMenuPage, u"BTN_MenuPrev_Hint"}, {btnPrev, u"BTN_MenuPrev_Hint"},
      {btnNextMenuPage, u"BTN_MenuNext_Hint"}, {btnNext, u"BTN_MenuNext_Hint"},
      {btnBack, u"BTN_MenuPlayBack_Hint"}};
  for (const auto& [control, key] : hints) control->SetHint(Text(key));

  SetCaptions<TMenuItem>(
      {{miPlayFile, u"btnPlay_Hint"}, {miAddFiles, u"BTN_AddSlide_Hint"}, {miDelfiles, u"BTN_DelSlide_Hint"},
       {miLoadFiles, u"ChildFile_Load"}, {miLoadProj, u"ChildFile_LoadProj"}, {miSaveProj, u"INF_SaveProj"},
       {miSaveProjAs, u"INF_SaveProjAs"}, {miexit, u"ChildFile_Exit"}, {miUpdate, u"BTN_CheckUpdate_Hint"},
       {miPrefer, u"ChildSet_Perfer"}, {miContent, u"ChildHelp_Content"}, {miSupport, u"ChildHelp_Support"},
       {miProducePage, u"ChildHelp_ProducePage"}, {miAbout, u"ChildHelp_About"},
       {miAddtoSlideShow, u"miAddtoSlideShow"}, {miAddAlltoSlideShow, u"miAddAlltoSlideShow"},
       {miRemovePhotoView, u"miRemovePhotoView"}, {miClearPhotoView, u"miClearPhotoView"},
       {miPhotoViewProperty, u"miPhotoViewProperty"}, {miApplyTrans, u"miApplyTrans"},
       {miApplyAllTrans, u"miApplyAllTrans"}, {miRandomAllTrans, u"miRandomAllTrans"},
       {NAddSlideShow, u"NAddSlideShow"}, {NRemoveSlideShow, u"NRemoveSlideShow"},
       {NPlaySideShow, u"NPlaySideShow"}, {NRemoveClip, u"NRemoveClip"}, {NClearClip, u"NClearClip"},
       {NEditClip, u"BTN_Edit_Caption"}, {miLanguage, u"MainMu_Language"}});

  // The top menu's buttons, found by their menu items (the bar's order is its own).
  const std::pair<TMenuItem*, const char16_t*> topMenu[] = {
      {miFile, u"MainMu_Files"}, {miOptions, u"MainMu_Options"}, {miHelp, u"MainMu_Help"}};
  for (const auto& [item, key] : topMenu) {
    const AnsiString caption = CenterInSevenChars(Text(key));
    item->SetCaption(caption);
    for (int i = 0; i < tbMenu->ButtonCount(); ++i)
      if (tbMenu->Buttons(i)->MenuItem() == item) tbMenu->Buttons(i)->SetCaption(caption);
  }

  const std::pair<TFSLabel*, const char16_t*> labels[] = {
      {lblSname, u"LBL_SlideName_Caption"},      {lblSLength, u"LBL_SlideLength_Caption"},
      {lblCsource, u"LBL_ClipSource_Caption"},   {lblcLength, u"LBL_ClipLength_Caption"},
      {lblEffectInfo, u"LBL_EffInfo_Caption"},   {lblTransLength, u"LBL_TransLen_Caption"},
      {lblVideoInfo, u"LBL_VidInfo_Caption"},    {lblVidSource, u"LBL_FileName_Caption"},
      {lblDuration, u"LBL_Media_Length"},        {lblRes, u"LBL_Reso_Caption"},
      {lblLeadinfo, u"LBL_LeadInfo_Caption"},    {lblAddItemInfo, u"LBL_AddItemInfo_Caption"},
      {lblCustomMusic, u"LBL_CustomMusic_Caption"}, {lblText, u"LBL_Text_Cpation"},
      {lblContent, u"LBL_TextContent_Cpation"},  {lblFont, u"LBL_TextFont_Cpation"},
      {lblColor, u"LBL_TextColor_Cpation"},      {lblSize, u"LBL_TextSize_Cpation"},
      {lblDVDLabel, u"LBL_DVDLabel_Cpation"},    {lblBurnType, u"LBL_Burntype_Cpation"},
      {lblDriverID, u"LBL_DriverID_Cpation"},    {lblBurnengine, u"LBL_Burnengine_Cpation"},
      {lblISONeedSpace, u"LBL_NeedSpace_Cpation"}, {lblDVDNeedSpace, u"LBL_NeedSpace_Cpation"},
      {lblISOSpareSpace, u"LBL_SpareSpace_Cpation"}, {lblDVDSpareSpace, u"LBL_SpareSpace_Cpation"},
      {lblDirverInfo, u"INF_NotDVDDriver"},      {lblDVDFolderInfo, u"INF_IsFullDiskSpace"},
      {lblISOInfo, u"INF_IsFullDiskSpace"},      {lblDVDFolder, u"LBL_DVDFolder_Cpation"},
      {lblSaveISO, u"LBL_SaveISO_Cpation"},      {lblTVStand, u"LBL_TVStand_Cpation"},
      {lblVidRatio, u"LBL_VidRatio_Cpation"},    {lblwarnInfo, u"LBL_WarnInfo_Caption"},
      {lblClipVideoName, u"LBL_ClipName_Caption"},
      // The window's own section titles and the empty library's note.
      {lblStartInfo, u"LBL_StartInfo_Caption"},  {lblSubTips, u"LBL_SubTips_Caption"},
      {lblTitles, u"LBL_Titles_Caption"},        {lblStoryBoard, u"LBL_StoryBoard_Caption"},
      {lblPlayer, u"LBL_Player_Caption"},        {lblTemplates, u"LBL_Templates_Caption"},
      {lblMenuDesign, u"LBL_MenuDesign_Caption"}, {lblBackground, u"LBL_Background_Caption"},
      {lblSettings, u"LBL_DiscSettings_Caption"}};
  for (const auto& [label, key] : labels) label->SetCaption(LanguageText(key));

  // The time label keeps its first word and takes the tag after it; its text is white on the
  // status band.
  WideString timer = lblTimerInfo->Caption();
  const size_t blank = timer.find(u' ');
  if (blank != WideString::npos) timer.resize(blank + 1);
  lblTimerInfo->SetCaption(timer + u" " + LanguageText(u"LBL_Time_Tag"));
  lblTimerInfo->Font()->SetColor(static_cast<TColor>(0xFFFFFF));

  cbExplorer->Items()->Clear();
  cbExplorer->Items()->Add(Text(u"Gb_Collections_Caption"));
  cbExplorer->Items()->Add(Text(u"GB_Trans_Caption"));
  cbExplorer->SetItemIndex(0);

  // Index 0 is the lowest rate (4000 kbit/s) and 2 the highest: the item texts follow the
  // rates, which stay with their indices.
  int quality = cbVideoquality->ItemIndex();
  cbVideoquality->Items()->Clear();
  cbVideoquality->Items()->Add(Text(u"GB_Videoquality_Low"));
  cbVideoquality->Items()->Add(Text(u"GB_Videoquality_Normal"));
  cbVideoquality->Items()->Add(Text(u"GB_Videoquality_Highest"));
  cbVideoquality->SetItemIndex(quality < 0 ? 0 : quality);

  cbTemplates->Items()->Clear();
  for (const char16_t* key : {u"CB_Menu_Templates", u"CB_Frame_Templates", u"CB_Button_Templates", u"CB_Text_Templates"})
    cbTemplates->Items()->Add(Text(key));
  if (FMenu) {
    const uint8_t kind = FMenu->PictureKind;
    if (kind == 0) cbTemplates->SetItemIndex(0);
    else if (kind == 1) cbTemplates->SetItemIndex(1);
    else if (kind >= 2 && kind <= 4) cbTemplates->SetItemIndex(2);
    else if (kind == 5) cbTemplates->SetItemIndex(3);
  }

  gbDVDVolume->D5Hint = Text(u"INF_D5Hint");
  gbDVDVolume->D9Hint = Text(u"INF_D9Hint");
  gbDVDVolume->OutHint = Text(u"INF_OutHint");

  BuildLanguageMenu();
  UpdateTimeLabel(0);
}

void TMainForm::BuildLanguageMenu() {
  miLanguage->Clear();
  WideString folder, ignored;
  WideGetAppPaths(u"Languages", u"", folder, ignored);
  std::vector<AnsiString> files;
  WIN32_FIND_DATAW data{};
  HANDLE find = FindFirstFileW((WideIncludeTrailingBackslash(folder) + u"*.dat").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        files.push_back(WideToUTF8(WideIncludeTrailingBackslash(folder) + WideString(data.cFileName)));
    } while (FindNextFileW(find, &data));
    FindClose(find);
  }
  std::sort(files.begin(), files.end());
  const AnsiString current = AppConfig.ReadStringA("System", "DefLanguage", "");
  for (const AnsiString& path : files) {
    const AnsiString name = LanguageDisplayName(path);
    const AnsiString fileName = WideToUTF8(WideExtractFileName(UTF8ToWide(path)));
    const AnsiString fileBase = fileName.substr(0, fileName.rfind('.'));
    auto* item = new TMenuItem(this);
    // "English(&E)": the accelerator is the name's first letter.
    item->SetCaption(name.empty() ? name : name + "(&" + AnsiString(1, static_cast<char>(std::toupper(name[0]))) + ")");
    item->SetRadioItem(true);
    item->SetChecked(current.empty() ? SameText(fileBase, "EngLish")
                                     : SameText(current, name) || SameText(current, fileBase));
    item->OnClick = TNotifyEvent(this, &TMainForm::acChangeLanguageExecute);
    miLanguage->Add(item);
  }
}

void TMainForm::acChangeLanguageExecute(TObject* Sender) {
  auto* item = dynamic_cast<TMenuItem*>(Sender);
  if (!item) return;
  const AnsiString caption = item->Caption();
  AnsiString name;
  const size_t paren = caption.find('(');
  if (paren != AnsiString::npos) name = caption.substr(0, paren);
  else name = !caption.empty() && caption[0] == '&' ? caption.substr(1) : caption;
  if (name == AppConfig.ReadStringA("System", "DefLanguage", "")) return;
  MLLoadLanguageResByName(UTF8ToWide(name).c_str());
  AppConfig.WriteStringA("System", "DefLanguage", name);
  ApplyLanguage();
  cbExplorer->SetItemIndex(static_cast<int>(cbExplorer->Tag()));
}
