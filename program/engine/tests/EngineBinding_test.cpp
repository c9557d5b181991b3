#include "program/engine/EngineBinding.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "engines/TransMgr/TransMgrApi.h"
#include "rtl/Exceptions.h"

namespace {

namespace fs = std::filesystem;

// The records bound at start-up, in the order of the binding steps, with their files.
struct Step {
  const char* library;
  TEngineLibrary* record;
};
std::vector<Step> StartupSteps() {
  return {{"QM_DataProcess.dll", &DataProcessLibrary},
          {"QMPlayer.dll", &PlayerLibrary},
          {"QM_EncMgr.dll", &EncoderLibrary},
          {"QM_Converter.dll", &ConverterLibrary},
          {"QM_DecMgr.dll", &DecoderLibrary}};
}

// Points the program folder elsewhere for the life of the object.
class ProgramFolder {
 public:
  explicit ProgramFolder(const fs::path& folder) : m_saved(std::getenv("BRANTWELL_PROGRAM_DIR")) {
    setenv("BRANTWELL_PROGRAM_DIR", folder.c_str(), 1);
  }
  ~ProgramFolder() { setenv("BRANTWELL_PROGRAM_DIR", m_saved.c_str(), 1); }

 private:
  std::string m_saved;
};

TEST(EngineBindingTest, StartupBindsTheEightStepsOnTheProgramFolderAndExitUnloadsThem) {
  BindStartupEngines();
  for (const Step& step : StartupSteps()) EXPECT_TRUE(step.record->Loaded()) << step.library;
  // The transition manager answers its catalogue; a second start-up does not start it twice.
  EXPECT_TRUE(TransitionManagerStarted());
  EXPECT_GE(TMGetTransTypeCount(), 6);
  EXPECT_STREQ(TMGetTransID(0, 0), "CrossFade");
  BindStartupEngines();
  EXPECT_TRUE(DecoderLibrary.Started());
  EXPECT_NE(EncoderLibrary.EngineHandle(), 0);
  // The player's entries the program calls are all there.
  for (size_t entry : {TPlayerLibrary::kVPCreate, TPlayerLibrary::kSetSources, TPlayerLibrary::kVPCreateViewEx,
                       TPlayerLibrary::kVPGetVideoDataProcessHandle, TPlayerLibrary::kEVShowYUVImage})
    EXPECT_NE(PlayerLibrary.EntryPoint(entry), nullptr) << entry;
  // Bound later, by their first users.
  for (TEngineLibrary* later : {static_cast<TEngineLibrary*>(&ImageProcLibrary),
                                static_cast<TEngineLibrary*>(&TextArtLibrary),
                                static_cast<TEngineLibrary*>(&BurnerLibrary),
                                static_cast<TEngineLibrary*>(&SwfDecoderLibrary)})
    EXPECT_FALSE(later->Loaded()) << later->LibraryName();

  UnloadEngineLibraries();
  for (const Step& step : StartupSteps()) EXPECT_FALSE(step.record->Loaded()) << step.library;
  EXPECT_FALSE(DecoderLibrary.Started());
  EXPECT_EQ(EncoderLibrary.EngineHandle(), 0);
  EXPECT_FALSE(TransitionManagerStarted());
  EXPECT_EQ(TMGetTransTypeCount(), 0) << "one start, one release";
}

TEST(EngineBindingTest, StartupBindsInOrderAndStopsAtTheFirstMissingEngine) {
  const fs::path programFolder = std::getenv("BRANTWELL_PROGRAM_DIR");
  const std::vector<Step> steps = StartupSteps();
  for (size_t missing = 0; missing < steps.size(); ++missing) {
    SCOPED_TRACE(steps[missing].library);
    // The program folder without that one engine.
    const fs::path folder = fs::temp_directory_path() / ("brantwell-binding-" + std::to_string(getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    const std::string missingFile = fs::path(steps[missing].library).replace_extension(".so").string();
    for (const auto& entry : fs::directory_iterator(programFolder)) {
      if (entry.path().filename() != missingFile) fs::create_symlink(entry.path(), folder / entry.path().filename());
    }
    {
      ProgramFolder use(folder);
      try {
        BindStartupEngines();
        ADD_FAILURE() << "no exception";
      } catch (const EOSError& e) {
        EXPECT_NE(e.Message().find(steps[missing].library), std::string::npos) << e.Message();
      }
    }
    for (size_t i = 0; i < steps.size(); ++i) EXPECT_EQ(steps[i].record->Loaded(), i < missing) << steps[i].library;
    // The managers start only after every engine is bound.
    EXPECT_FALSE(DecoderLibrary.Started());
    EXPECT_FALSE(TransitionManagerStarted());
    EXPECT_EQ(EncoderLibrary.EngineHandle(), 0);
    UnloadEngineLibraries();
    fs::remove_all(folder);
  }
}

}  // namespace
