#pragma once

// What the tests of the program's dialogs share: the skin, the form files, the English texts
// and the presenters installed, HOME in a scratch folder, and a script of steps that run one
// at a time whenever the application waits for input (in whichever modal loop is running).

#include <gtest/gtest.h>
#include <unistd.h>

#include <deque>
#include <filesystem>
#include <functional>
#include <string>

#include "engines/QM_Language/QM_Language.h"
#include "platform/kernel/ProgramFolder.h"
#include "platform/kernel/Unicode.h"
#include "platform/testing/Synthetic.h"
#include "platform/testing/Watchdog.h"
#include "program/app/dialogs/FileDialogForm.h"
#include "program/core/FSXMLPersistent.h"
#include "program/imaging/GPInit.h"
#include "program/skin/FSSkinEngine.h"
#include "program/skin/SkinModule.h"
#include "vcl/Application.h"
#include "vcl/Screen.h"

namespace dialog_test {

namespace fs = std::filesystem;

class DialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root = fs::temp_directory_path() / ("brantwell-dialogs-" + std::to_string(::getpid()) + "-" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root);
    fs::create_directories(root / "home" / "Documents");
    for (const char* name : {"HOME", "XDG_CONFIG_HOME"}) saved.emplace_back(name, getenv(name) ? getenv(name) : "");
    setenv("HOME", (root / "home").c_str(), 1);
    unsetenv("XDG_CONFIG_HOME");
    InitImaging();
    StartSkinModule();
    SkinEngine->SetSkinPath((fs::path(platform::ProgramFolder()) / "Skin" / "Default").string());
    RegisterXMLFormReader();
    MLInit(platform::Utf8ToUtf16(platform::ProgramFolder() + "/Languages/*.dat").c_str());
    ASSERT_NE(MLLoadLanguageResByName(u"EngLish"), 0);
    InstallDialogPresenters();
  }
  void TearDown() override {
    Application->OnIdle = nullptr;
    UninstallDialogPresenters();
    DoneApplication();
    StopSkinModule();
    MLClose();
    for (auto& [name, value] : saved) {
      if (value.empty()) unsetenv(name.c_str());
      else setenv(name.c_str(), value.c_str(), 1);
    }
    std::error_code error;
    fs::remove_all(root, error);
  }

  // Runs the steps one per idle moment of the application's loops. A step that does not
  // queue input still wakes the loop, so the next one comes.
  void Script(std::deque<std::function<void()>> steps) {
    m_steps = std::move(steps);
    Application->OnIdle = [this](TObject*, bool&) {
      if (m_steps.empty()) return;
      auto step = std::move(m_steps.front());
      m_steps.pop_front();
      step();
      PostMessageW(Application->Handle(), WM_NULL, 0, 0);
    };
  }
  size_t StepsLeft() const { return m_steps.size(); }

  template <class T> static T* Active() { return dynamic_cast<T*>(Screen->ActiveForm()); }

  static POINT CentreOf(TWinControl* control) {
    return platform::testing::ScreenPoint(control->Handle(), control->ClientWidth() / 2, control->ClientHeight() / 2);
  }
  static void ClickOn(TWinControl* control) { platform::testing::Click(CentreOf(control)); }
  // Saves the form as a picture in the tests' folder, named after the test.
  static void Picture(TCustomForm* form, std::string name = {}) {
    if (name.empty()) name = std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + ".png";
    UpdateWindow(form->Handle());
    platform::testing::RunUntilIdle();
    std::string error;
    EXPECT_TRUE(platform::testing::SaveWindowPng(form->Handle(), std::string(BRANTWELL_TEST_BIN_DIR) + "/" + name, &error))
        << error;
  }

  fs::path root;
  std::vector<std::pair<std::string, std::string>> saved;

 private:
  // A dialog left waiting for input (a script that ran out) ends the test instead of hanging.
  platform::testing::Watchdog m_watchdog{std::chrono::seconds(60)};
  std::deque<std::function<void()>> m_steps;
};

}  // namespace dialog_test
