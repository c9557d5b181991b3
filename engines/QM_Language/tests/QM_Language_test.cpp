#include "engines/QM_Language/QM_Language.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

std::u16string Ascii(const std::string& text) { return std::u16string(text.begin(), text.end()); }

fs::path ShippedProgramFolder() {
  const char* folder = std::getenv("BRANTWELL_PROGRAM_DIR");
  return folder && *folder ? fs::path(folder) : fs::path(BRANTWELL_BIN_DIR);
}

// Every text key the program looks up so far; the shipped English file must give each one.
TEST(ShippedEnglish, GivesEveryKeyTheProgramUses) {
  const std::vector<std::string> keys = {
      // message boxes, error list, closing
      "Info_Title", "BTN_OK_Caption", "lbl_Save_Info_Caption",
      // main window buttons, radio buttons and group boxes
      "BTN_AddText_Caption", "BTN_Edit_Caption", "BTN_Effect_Caption", "BTN_Menu_Caption",
      "BTN_Preview_Caption", "BTN_Burner_Caption", "ChildFile_Load", "BTN_PlaySlide_Hint",
      "BTN_ClipEdit_Caption", "BTN_AddSlide_Caption", "BTN_RemoveVid_Caption", "BTN_AASlide_Caption",
      "BTN_ClearVid_Caption", "BTN_VidPerproty_Caption", "BTN_ApplyTrans_Caption",
      "BTN_ApplyAllTrans_Caption", "BTN_RandomTrans_Caption", "BTN_ChangeMusic_Hint",
      "BTN_ClearMusic_Hint", "BTN_AddThumb_Caption", "BTN_AddPic_Caption", "Info_DownloadTemp",
      "RB_DVD_Cpation", "RB_DVDFolder_Cpation", "RB_ISO_Cpation", "BTN_Start_Caption",
      "GB_DVDOptions_Caption", "GB_ISOOptions_Caption", "GB_DVDFolderOptions_Caption",
      "BTN_DVDOutDir_Caption",
      // hints
      "BTN_Bold_Hint", "BTN_Italic_Hint", "BTN_Underline_Hint", "BTN_Strikeout_Hint", "BTN_Play_Hint",
      "BTN_Pause_Hint", "BTN_Stop_Hint", "BTN_Photo_Hint", "BTN_Open_Hint", "BTN_AddSlide_Hint",
      "BTN_DelSlide_Hint", "NClearClip", "NRemoveClip", "INF_BtnEditBtn_Hit", "BTN_MenuPrev_Hint",
      "BTN_MenuNext_Hint", "BTN_MenuPlayBack_Hint",
      // menus
      "btnPlay_Hint", "ChildFile_LoadProj", "INF_SaveProj", "INF_SaveProjAs", "ChildFile_Exit",
      "BTN_CheckUpdate_Hint", "ChildSet_Perfer", "ChildHelp_Content", "ChildHelp_Support",
      "ChildHelp_ProducePage", "ChildHelp_About", "miAddtoSlideShow", "miAddAlltoSlideShow",
      "miRemovePhotoView", "miClearPhotoView", "miPhotoViewProperty", "miApplyTrans",
      "miApplyAllTrans", "miRandomAllTrans", "NAddSlideShow", "NRemoveSlideShow", "NPlaySideShow",
      "MainMu_Files", "MainMu_Options", "MainMu_Help",
      // labels
      "LBL_SlideName_Caption", "LBL_SlideLength_Caption", "LBL_ClipSource_Caption",
      "LBL_ClipLength_Caption", "LBL_EffInfo_Caption", "LBL_TransLen_Caption", "LBL_VidInfo_Caption",
      "LBL_FileName_Caption", "LBL_Media_Length", "LBL_Reso_Caption", "LBL_LeadInfo_Caption",
      "LBL_AddItemInfo_Caption", "LBL_CustomMusic_Caption", "LBL_Text_Cpation",
      "LBL_TextContent_Cpation", "LBL_TextFont_Cpation", "LBL_TextColor_Cpation",
      "LBL_TextSize_Cpation", "LBL_DVDLabel_Cpation", "LBL_Burntype_Cpation", "LBL_DriverID_Cpation",
      "LBL_Burnengine_Cpation", "LBL_NeedSpace_Cpation", "LBL_SpareSpace_Cpation", "INF_NotDVDDriver",
      "INF_IsFullDiskSpace", "LBL_DVDFolder_Cpation", "LBL_SaveISO_Cpation", "LBL_TVStand_Cpation",
      "LBL_VidRatio_Cpation", "LBL_WarnInfo_Caption", "LBL_ClipName_Caption", "LBL_Time_Tag",
      // lists and the disc gauge
      "Gb_Collections_Caption", "GB_Trans_Caption", "GB_Videoquality_Highest",
      "GB_Videoquality_Normal", "GB_Videoquality_Low", "CB_Menu_Templates", "CB_Frame_Templates",
      "CB_Button_Templates", "CB_Text_Templates", "INF_D5Hint", "INF_D9Hint", "INF_OutHint",
      // splash, about box, properties
      "LBL_Company_Caption", "GB_Video_Caption", "GB_Audio_Caption", "LBL_Total_Frame",
      "LBL_FRate_Caption", "LBL_SRate_Caption", "LBL_Channel_Caption",
      // main window: messages
      "INF_AllowLeaveEdit_Caption", "INF_DelSlideshow", "INF_HasSlideShowFile", "INF_IsSelectStoryTrans",
      "INF_NoAddSlideShow", "INF_SelectPhotoViewFile", "INF_Video_File_Exist", "INF_Decoder_FailedList",
      "INF_No_Exist_List", "Add_Error_File_to_Form", "INF_NOResource", "INF_NOMusic", "INF_CoverProjectFile",
      "INF_FileIsInUseing", "INF_TimeLineCaption", "INF_GenGenerating_Menu", "INF_SnapShot_Failed",
      "INF_Select_Folder", "INF_Folder_UnExists", "INF_InvalidFolder", "INF_ISOFile_Exists",
      "INF_BurnDriverError", "INF_NotDVDDisk", "Info_CheckDisc", "Info_CreateMenuFailed", "Info_LoadFiles",
      "Info_LoadFiles2", "Info_MusicError", "Info_NoVideo",
      // main window: file types
      "VF_VideoFilter", "VF_AudioFilter", "BF_PictureFilter", "PF_ProjectFilter", "ProjectName",
      // preferences and output folders
      "Title_Option", "LBL_Option_Dir_Caption", "LBL_FormatPhoto_Caption", "LBL_Temppath_Caption",
      "BTN_Default_Caption", "BTN_Cancel_Caption", "BTN_Browse_Caption", "Info_CheckforUpdate", "UpdateTime1",
      "UpdateTime2", "UpdateTime3", "UpdateTime4", "Reset_OnlyTemp", "Reset_OnlyOutputPath",
      "Reset_TempAndOutputPath", "Reset_lblDVDFolder", "Reset_lblISO",
      // output job
      "CB_Preview_Caption", "CB_Shut_Caption", "CB_View_Caption", "BTN_Pause_Caption", "BTN_Resume_Caption",
      "BTN_Close_Caption", "LBL_CreateFile_Caption", "LBL_CreateDVDFolder_Caption", "LBL_BurnDVD_Caption",
      "LBL_EraseDisc_Caption", "INF_Cancel_Convert", "INF_Converterfaild", "INF_BurnDVDFolderSuccess",
      "INF_BurnDVDSuccess", "INF_BurnDVDfaild", "INF_BurnISOSuccess", "INF_BurnISOfaild",
      "INF_DVDEraseFailed", "INF_DVDEraseSuccess", "INF_Restart_Burn_DVD", "INF_QueryToEraseDisc",
      "INF_DiscHasDataAndCanNotBeErase", "INF_DiscIsNotDVDHint", "INF_NoDiscHint", "INF_DiscSpaceNotEnough",
      "INF_DVDSpaceNeed", "INF_DVDFreeSpace",
      // clip editor
      "VideoFormTitle", "INF_TabCrop", "INF_TabEffect", "INF_TabTrim", "INF_TabWatermark", "INF_TabSubTitle",
      "INF_Reset", "INF_Preview1", "INF_Preview2", "btnOK_Caption", "btnCancel_Caption", "btnPause_Hint",
      "btnNextFrame_Hint", "btnPlaySect_Hint", "btnCutStart_Hint", "btnCutEnd_Hint", "btnHorzFlip_Hint",
      "btnVertFlip_Hint", "Applytoall", "INF_ApplyToAllEdit", "CutStartOverCutEnd", "CutEndOverStart",
      "CutEndOverAll", "INF_cbEffNoeffect", "INF_cbEffGray", "INF_cbEmboss", "INF_cbNegative",
      "INF_cbOldfilm", "INF_cbNoneInterpolate", "INF_cbRepeatOdd", "INF_cbRepeatEven", "INF_cbOddInterpolate",
      "INF_cbEvennterpolate", "INF_CbZoom1", "INF_CbZoom2", "INF_CbZoom3", "INF_CbZoom4", "INF_CbZoom5",
      "INF_CbZoom6", "INF_Zoom_Caption", "INF_lblCropLeft_Caption", "INF_lblCropTop_Caption",
      "INF_lblCropSize_Caption", "INF_chbKeepRatio_Caption", "INF_lblBrightness_Caption",
      "INF_lblContrast_Caption", "INF_lblSaturation_Caption", "INF_lblEffect_Caption",
      "INF_lblInterlacing_Caption", "INF_lblCutStart_Caption", "INF_lblCutEnd_Caption",
      "INF_lblCutLength_Caption", "INF_chbWatermark_Caption", "INF_rbImageWM_Caption", "INF_rbTextWM_Caption",
      "INF_lblMarkTrans_Caption", "INF_lblMarkTop_Caption", "INF_lblMarkLeft_Caption",
      "INF_lblMarkImageSize_Caption", "INF_ChbSubTitle_Caption", "INF_ChbUserStyle_Caption",
      "INF_lblSubTitleFont_Caption", "INF_lblSubTitleY_Caption", "INF_lblSubTitleX_Caption",
      "INF_lblSubTitleTrans_Caption",
  };
  setenv("BRANTWELL_PROGRAM_DIR", ShippedProgramFolder().c_str(), 1);
  MLClose();
  EXPECT_EQ(MLInit(u"Languages\\*.dat"), 1);
  ASSERT_EQ(MLLoadLanguageResByName(u"EngLish"), 1);
  for (const std::string& key : keys) {
    const std::u16string text = MLGetText(Ascii(key).c_str());
    EXPECT_FALSE(text.empty()) << key;
    EXPECT_NE(text, Ascii(key)) << "no English text for " << key;
  }
  MLClose();
}

// A program folder of its own, with the language folder named in another case than the
// pattern and the shipped English file beside the tests' German one.
class LanguageEngine : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/brantwell-lang-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    m_programFolder = pattern;
    fs::create_directory(Languages());
    fs::copy_file(ShippedProgramFolder() / "Languages" / "EngLish.dat", Languages() / "EngLish.dat");
    fs::copy_file(fs::path(BRANTWELL_TEST_SOURCE_DIR) / "Deutsch.dat", Languages() / "Deutsch.dat");
    m_oldProgramFolder = ShippedProgramFolder();
    setenv("BRANTWELL_PROGRAM_DIR", m_programFolder.c_str(), 1);
    MLClose();
  }
  void TearDown() override {
    MLClose();
    setenv("BRANTWELL_PROGRAM_DIR", m_oldProgramFolder.c_str(), 1);
    fs::remove_all(m_programFolder);
  }
  fs::path Languages() const { return m_programFolder / "LANGUAGES"; }
  void WriteLanguage(const std::string& fileName, const std::string& content) const {
    std::ofstream(Languages() / fileName, std::ios::binary) << content;
  }

  fs::path m_programFolder;
  fs::path m_oldProgramFolder;
};

TEST_F(LanguageEngine, SwitchesLanguagesByFileOrDisplayName) {
  EXPECT_EQ(MLInit(u"Languages\\*.dat"), 2);
  // Names as the start-up and the language menu hand them over.
  const std::vector<std::pair<std::u16string, std::u16string>> cases = {
      {u"EngLish", u"Edit"},     {u"deutsch", u"Bearbeiten"}, {u"ENGLISH.", u""},
      {u"English", u"Edit"},     {u"Deutsch ", u"Bearbeiten"}, {u"\tenglish", u"Edit"},
      {u"Français", u""},        {u"", u""},
  };
  for (const auto& [name, edit] : cases) {
    testing::internal::CaptureStderr();
    const int32_t loaded = MLLoadLanguageResByName(name.c_str());
    const std::string errors = testing::internal::GetCapturedStderr();
    const std::string shown(name.begin(), name.end());
    EXPECT_EQ(loaded, edit.empty() ? 0 : 1) << shown;
    if (edit.empty()) {
      EXPECT_NE(errors.find("no language named"), std::string::npos) << shown;
    } else {
      EXPECT_EQ(MLGetText(u"BTN_Edit_Caption"), edit) << shown;
    }
  }
  // The last successful load stays after the failures.
  EXPECT_EQ(std::u16string(MLGetText(u"BTN_Edit_Caption")), u"Edit");
  ASSERT_EQ(MLLoadLanguageResByName(u"Deutsch"), 1);
  EXPECT_EQ(std::u16string(MLGetText(u"lbl_Save_Info_Caption")),
            u"Das Projekt wurde geändert.\nSoll es gespeichert werden?");
}

TEST_F(LanguageEngine, LoadsWithoutInitFromTheDefaultFolderAndFindsNewFiles) {
  ASSERT_EQ(MLLoadLanguageResByName(u"EngLish"), 1);
  WriteLanguage("Added.dat", "BTN_Edit_Caption = Added later\n");
  ASSERT_EQ(MLLoadLanguageResByName(u"Added"), 1);
  EXPECT_EQ(std::u16string(MLGetText(u"BTN_Edit_Caption")), u"Added later");
}

TEST_F(LanguageEngine, MissingKeysComeBackAsTheKeyAndTextsStayValidUntilTheNextLoad) {
  // Before any language: the key itself, never null.
  EXPECT_EQ(std::u16string(MLGetText(u"Info_Title")), u"Info_Title");
  EXPECT_EQ(std::u16string(MLGetText(nullptr)), u"");

  ASSERT_EQ(MLLoadLanguageResByName(u"Deutsch"), 1);
  std::u16string key = u"No_Such_Key";
  const char16_t* missing = MLGetText(key.c_str());
  key.assign(u"Overwritten");  // the caller's buffer changes; the returned text must not
  const char16_t* title = MLGetText(u"Info_Title");
  const char16_t* edit = MLGetText(u"btn_edit_CAPTION");
  for (int i = 0; i < 5000; ++i) MLGetText(Ascii("Other_Key_" + std::to_string(i)).c_str());
  EXPECT_EQ(std::u16string(missing), u"No_Such_Key");
  EXPECT_EQ(std::u16string(title), u"Brantwell");
  EXPECT_EQ(std::u16string(edit), u"Bearbeiten");
  EXPECT_EQ(MLGetText(u"No_Such_Key"), missing);  // repeated misses do not pile up copies
}

TEST_F(LanguageEngine, HasTextTellsTheLanguagesOwnTextsFromEchoedKeys) {
  EXPECT_EQ(MLHasText(u"Info_Title"), 0);  // no language yet
  ASSERT_EQ(MLLoadLanguageResByName(u"Deutsch"), 1);
  EXPECT_EQ(MLHasText(u"Info_Title"), 1);
  EXPECT_EQ(MLHasText(u"INFO_TITLE"), 1);
  EXPECT_EQ(MLHasText(u"No_Such_Key"), 0);
  MLGetText(u"No_Such_Key");  // an echoed key does not become a text of the language
  EXPECT_EQ(MLHasText(u"No_Such_Key"), 0);
  EXPECT_EQ(MLHasText(nullptr), 0);
  MLClose();
  EXPECT_EQ(MLHasText(u"Info_Title"), 0);
}

// One language file per case: what it gives for key "K", or the fault it reports.
TEST_F(LanguageEngine, ReadsTheFileFormatAndRejectsMalformedFiles) {
  struct Case {
    const char* name;
    std::string content;
    std::u16string text;  // of "K" when the file loads
    std::string fault;    // in the error report when it does not
  };
  const std::vector<Case> cases = {
      {"escapes", "K = one\\ntwo\\tthree\\\\four\n", u"one\ntwo\tthree\\four", ""},
      {"blanks around", "  K  =   spaced   text \t\n", u"spaced   text", ""},
      {"escaped blanks kept", "K = \\tindented\\n\n", u"\tindented\n", ""},
      {"bom, crlf, comments", "\xEF\xBB\xBF# note\r\n\r\n  # indented note\r\nK=x\r\n", u"x", ""},
      {"equals in text", "K = a=b\n", u"a=b", ""},
      {"empty text", "K =\n", u"", ""},
      {"sections group", "[Language]\nName = Test\nK = header note\n[Main window]\nK = grouped\n", u"grouped", ""},
      {"case of keys", "k = lower\n", u"lower", ""},
      {"utf-8", "K = caf\xC3\xA9 \xE2\x9C\x93\n", u"café ✓", ""},
      {"no newline at end", "K = last", u"last", ""},
      {"unknown escape", "A = ok\nK = bad \\q\n", u"", "line 2: unknown escape '\\q'"},
      {"lone backslash", "K = bad \\\n", u"", "line 1: a text ends with a lone '\\'"},
      {"no equals", "K\n", u"", "line 1: expected 'key = text'"},
      {"no key", "= text\n", u"", "line 1: a text has no key"},
      {"blank in key", "My Key = text\n", u"", "line 1: the key 'My Key'"},
      {"key twice", "K = one\n[Other]\nk = two\n", u"", "line 3: the key 'k' is given twice"},
      {"name twice", "[Language]\nName = A\nName = B\n", u"", "line 3: the language's Name is given twice"},
      {"open section", "[Main\nK = x\n", u"", "line 1: a section header must end with ']'"},
      {"not utf-8", "A = ok\nK = caf\xE9\n", u"", "line 2: the text is not valid UTF-8"},
  };
  ASSERT_EQ(MLLoadLanguageResByName(u"EngLish"), 1);
  for (size_t i = 0; i < cases.size(); ++i) {
    const Case& c = cases[i];
    const std::string stem = "Case" + std::to_string(i);
    WriteLanguage(stem + ".dat", c.content);
    testing::internal::CaptureStderr();
    const int32_t loaded = MLLoadLanguageResByName(Ascii(stem).c_str());
    const std::string errors = testing::internal::GetCapturedStderr();
    if (c.fault.empty()) {
      ASSERT_EQ(loaded, 1) << c.name << ": " << errors;
      EXPECT_EQ(std::u16string(MLGetText(u"K")), c.text) << c.name;
      ASSERT_EQ(MLLoadLanguageResByName(u"EngLish"), 1);
    } else {
      EXPECT_EQ(loaded, 0) << c.name;
      EXPECT_NE(errors.find(stem + ".dat"), std::string::npos) << c.name << ": " << errors;
      EXPECT_NE(errors.find(c.fault), std::string::npos) << c.name << ": " << errors;
      // Nothing of the bad file replaced the current language.
      EXPECT_EQ(std::u16string(MLGetText(u"BTN_Edit_Caption")), u"Edit") << c.name;
    }
  }
}

}  // namespace
