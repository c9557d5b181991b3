#pragma once

// TMessageBoxForm: the program's message box, a skinned form of window class "#32770" that
// takes the window manager's place behind MessageBoxW (InstallDialogPresenters puts it into
// the function table). It answers as the window manager's box does: the button sets and
// their ids, the default button, Tab and the arrows moving between the buttons, Enter and
// Space, Esc and the close button only when the box has a cancelling answer (a lone OK
// counts), the buttons' mnemonics, a button id posted as WM_COMMAND; it is modal over its
// owner (every window of the thread for MB_TASKMODAL without one), centred on the owner,
// and tells the owner WM_ENTERIDLE when it waits for input.
//
// Design in resources/forms/TMessageBoxForm.xfm; the layout follows the text and the button
// set. GUI thread only.

#include <vector>

#include "program/skin/SkinForm.h"

class TFSButton;
class TFSSkinImage;
class TLabel;

class TMessageBoxForm : public TSkinForm {
  BRANTWELL_CLASS(TMessageBoxForm, TSkinForm)

 public:
  explicit TMessageBoxForm(TComponent* owner);
  ~TMessageBoxForm() override;
  static void DescribeClass(TClassBuilder<TMessageBoxForm>& c);

  // MessageBoxW's contract: the id of the button chosen, or 0 with the last error set for a
  // bad owner or an unknown button set.
  static int Run(HWND owner, const WideString& text, const WideString& caption, UINT type);

  // Lays the box out for `text` and `type` (before it is shown).
  void Prepare(const WideString& text, UINT type);
  // The buttons shown, in order, and their ids.
  const std::vector<TFSButton*>& Buttons() const { return FButtons; }
  const std::vector<int>& ButtonIds() const { return FIds; }
  // What Esc and the close button answer (0: they do nothing).
  int CancelAnswer() const { return FCancelAnswer; }

  TFSSkinImage* imgIcon = nullptr;
  TLabel* lblText = nullptr;
  TFSButton* btnFirst = nullptr;
  TFSButton* btnSecond = nullptr;
  TFSButton* btnThird = nullptr;

  static constexpr int Margin = 12;
  static constexpr int Gap = 8;
  static constexpr int ButtonWidth = 88;
  static constexpr int ButtonHeight = 30;
  static constexpr int IconSize = 32;
  static constexpr int MaxTextWidth = 420;
  // The accent button of the dialogs' skin.
  static constexpr const char* DefaultButtonSkin = "MessageBoxForm(7)";

 protected:
  void CreateParams(TCreateParams& params) override;
  void Dispatch(TMessage& message) override;
  void DoShow() override;

 private:
  void Answer(int id);
  void MoveFocus(int step);
  int FocusedIndex() const;
  void FormCloseQuery(TObject* sender, bool& canClose);

  std::vector<TFSButton*> FButtons;
  std::vector<int> FIds;
  std::vector<char16_t> FMnemonics;
  int FCancelAnswer = 0;
  int FDefaultIndex = 0;
};
