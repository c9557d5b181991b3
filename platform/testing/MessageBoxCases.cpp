#include "platform/testing/MessageBoxCases.h"

#include "platform/testing/Synthetic.h"

namespace platform::testing {

const std::vector<MessageBoxKeyCase>& MessageBoxKeyCases() {
  static const std::vector<MessageBoxKeyCase> cases = {
      {"OK with Enter", MB_OK, [] { KeyPress(VK_RETURN); }, IDOK},
      {"OK with Escape", MB_OK | MB_ICONINFORMATION, [] { KeyPress(VK_ESCAPE); }, IDOK},
      {"Yes/No ignores Escape, takes N", MB_YESNO | MB_ICONQUESTION, [] { KeyPress(VK_ESCAPE); TypeText(u"n"); }, IDNO},
      {"Yes/No/Cancel with Escape", MB_YESNOCANCEL, [] { KeyPress(VK_ESCAPE); }, IDCANCEL},
      {"Retry/Cancel with information icon", 0x45, [] { KeyPress(VK_RETURN); }, IDRETRY},
      {"second default button", MB_OKCANCEL | MB_DEFBUTTON2, [] { KeyPress(VK_RETURN); }, IDCANCEL},
      {"Tab then Space", MB_YESNO, [] { KeyPress(VK_TAB); KeyPress(VK_SPACE); }, IDNO},
      {"arrows wrap", MB_YESNOCANCEL | MB_ICONERROR, [] { KeyPress(VK_LEFT); KeyPress(VK_RETURN); }, IDCANCEL},
      {"mnemonic Y", MB_YESNO | MB_ICONWARNING, [] { TypeText(u"Y"); }, IDYES},
  };
  return cases;
}

}  // namespace platform::testing
