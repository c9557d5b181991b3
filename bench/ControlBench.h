#pragma once

// The set-up the control benchmarks share: the imaging, skin and controls modules started
// with the default skin, and a form to put the measured control on. The skin is found in the
// program folder's Skin/Default, or in the folder BRANTWELL_SKIN_DIR names.

#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

#include "program/controls/ControlsModule.h"
#include "program/imaging/GPInit.h"
#include "program/skin/FSSkinEngine.h"
#include "program/skin/SkinModule.h"
#include "vcl/Application.h"
#include "vcl/Form.h"

namespace control_bench {

inline std::string SkinFolder() {
  if (const char* folder = std::getenv("BRANTWELL_SKIN_DIR")) return folder;
  char self[4096];
  const ssize_t length = readlink("/proc/self/exe", self, sizeof(self) - 1);
  if (length <= 0) return "Skin/Default";
  self[length] = 0;
  // build/bench-bin/NAME_bench -> build/bin/Skin/Default
  return (std::filesystem::path(self).parent_path().parent_path() / "bin" / "Skin" / "Default").string();
}

// The modules with the default skin and a form of the given size (shown, or with only its
// window made), for the life of one benchmark.
class ControlBench {
 public:
  ControlBench(int width, int height, bool show) {
    InitImaging();
    StartSkinModule();
    StartControlsModule();
    SkinEngine->SetSkinPath(SkinFolder());
    m_form = TCustomForm::CreateNew<TForm>(nullptr);
    m_form->SetBounds(0, 0, width, height);
    if (show) m_form->Show();
    else m_form->HandleNeeded();
  }
  ~ControlBench() {
    delete m_form;
    DoneApplication();
    StopControlsModule();
    StopSkinModule();
    DoneImaging();
  }
  ControlBench(const ControlBench&) = delete;
  ControlBench& operator=(const ControlBench&) = delete;

  TForm* Form() const { return m_form; }

  // A control of class T on the form at the given bounds.
  template <class T> T* Place(int left, int top, int width, int height) {
    auto* control = new T(m_form);
    control->SetParent(m_form);
    control->SetBounds(left, top, width, height);
    return control;
  }

 private:
  TForm* m_form = nullptr;
};

}  // namespace control_bench
