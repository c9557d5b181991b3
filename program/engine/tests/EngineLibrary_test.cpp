#include "program/engine/EngineLibrary.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>

#include "program/engine/BurnerLibrary.h"
#include "program/engine/ConverterLibrary.h"
#include "program/engine/DecoderLibrary.h"
#include "program/engine/EncoderLibrary.h"
#include "program/engine/EngineBinding.h"
#include "program/engine/PlayerLibrary.h"
#include "rtl/Exceptions.h"

namespace {

// QM_TestPartial.so stands in for the engines: it has some entry points of each family and
// lacks others, and counts the calls of the managers' start and stop entries.
constexpr const char* kPartial = "QM_TestPartial.dll";

class PartialEngineCounts {
 public:
  PartialEngineCounts() {
    m_module = LoadLibraryA(kPartial);
    m_count = reinterpret_cast<int32_t (*)(const char*)>(reinterpret_cast<void (*)()>(GetProcAddress(m_module, "TestPartialCallCount")));
    reinterpret_cast<void (*)()>(GetProcAddress(m_module, "TestPartialResetCounts"))();
  }
  ~PartialEngineCounts() { FreeLibrary(m_module); }
  int operator()(const char* entry) const { return m_count(entry); }

 private:
  HMODULE m_module;
  int32_t (*m_count)(const char*);
};

TEST(EngineLibraryTest, ResolvesRealEnginesByName) {
  TEngineLibrary log("QM_Log.dll", {ByName("QMLogInit"), ByName("QMLog"), ByName("QMOutput")});
  ASSERT_TRUE(log.Load());
  for (size_t i = 0; i < log.EntryCount(); ++i) EXPECT_NE(log.EntryPoint(i), nullptr) << i;

  TEngineLibrary partial(kPartial, {ByName("QMLogInit"), ByName("QMLog"), ByName("QMOutput")});
  ASSERT_TRUE(partial.Load());
  EXPECT_NE(partial.EntryPoint(0), nullptr);
  EXPECT_EQ(partial.EntryPoint(2), nullptr);  // missing: no error
  log.Unload();
  partial.Unload();
}

TEST(EngineLibraryTest, SecondLoadDoesNotLoadAgainAndUnloadClearsEverything) {
  ASSERT_EQ(GetModuleHandleA(kPartial), nullptr);
  TDecoderLibrary decoder(kPartial);
  decoder.Unload();  // never loaded: nothing happens
  EXPECT_FALSE(decoder.Loaded());
  ASSERT_TRUE(decoder.Load());
  const HMODULE module = decoder.Module();
  ASSERT_TRUE(decoder.Load());
  EXPECT_EQ(decoder.Module(), module);
  decoder.Unload();
  // One load, one free: the library has left the process.
  EXPECT_EQ(GetModuleHandleA(kPartial), nullptr);
  EXPECT_FALSE(decoder.Loaded());
  for (size_t i = 0; i < decoder.EntryCount(); ++i) EXPECT_EQ(decoder.EntryPoint(i), nullptr) << i;
  ASSERT_TRUE(decoder.Load());
  EXPECT_NE(decoder.EntryPoint(TDecoderLibrary::kStart), nullptr);
  decoder.Unload();
}

TEST(EngineLibraryTest, MissingLibraryRaisesOnceAndWrappersStayNeutral) {
  TConverterLibrary converter("NoSuchConverter.dll");
  try {
    converter.Load();
    FAIL() << "no exception";
  } catch (const EOSError& e) {
    EXPECT_NE(e.Message().find("\r\nNoSuchConverter.dll"), std::string::npos) << e.Message();
  }
  EXPECT_FALSE(converter.Loaded());
  EXPECT_EQ(converter.QEStart(1, 0, 0, 0, nullptr, nullptr), -1);
  EXPECT_FALSE(converter.QESetOutputFile(1, u"x.mpg"));

  // The player always reports its own library name; the decoder reports the name asked for.
  TPlayerLibrary player;
  try {
    player.Load("NoSuchPlayer.dll");
    FAIL() << "no exception";
  } catch (const EOSError& e) {
    EXPECT_NE(e.Message().find("\r\nQMPlayer.dll"), std::string::npos) << e.Message();
  }
  TDecoderLibrary decoder("NoSuchDecoder.dll");
  EXPECT_THROW(decoder.LoadAndStart("NoSuchFlash.dll"), EOSError);
  EXPECT_FALSE(decoder.Started());
}

TEST(EngineLibraryTest, NeutralValuesOfEveryFamily) {
  TConverterLibrary converter(kPartial);
  TDecoderLibrary decoder(kPartial);
  TPlayerLibrary player(kPartial);
  TBurnerLibrary burner(kPartial);
  ASSERT_TRUE(converter.Load() && decoder.Load() && player.Load(nullptr) && burner.Load());

  // Missing entries.
  EXPECT_EQ(converter.QEStart(1, 0.0, 0.0, 0, nullptr, nullptr), -1);
  EXPECT_FALSE(converter.QESetOutputFile(1, u"out.mpg"));
  EXPECT_EQ(converter.CreateConverter(1, 2), 0u);
  EXPECT_EQ(converter.QEResume(1), 0);
  converter.QEAbort(1, 0, 0);       // a procedure: nothing happens
  converter.DestroyConverter(1);
  EXPECT_EQ(decoder.QVDCreate(u"a.mpg", nullptr, nullptr, 0), 0u);
  EXPECT_EQ(decoder.GetFileInfo(u"a.mpg", 0), nullptr);
  EXPECT_DOUBLE_EQ(player.VPGetMovieLength(1), 0.0);
  EXPECT_EQ(burner.QmBurn_Erase("/dev/sr0"), 1);
  EXPECT_EQ(burner.QmBurn_GetDiscSpace("/dev/sr0", nullptr), 1);

  // Present entries pass their results on, converted by family.
  EXPECT_EQ(converter.QEPause(1), 7);
  EXPECT_TRUE(converter.QEEnablePreview(1, true));
  decoder.QVDDestroy(1);
  EXPECT_DOUBLE_EQ(player.VPGetPlayedTime(1), 12.5);
  EXPECT_EQ(burner.QmBurn_Eject("/dev/sr0"), 0);

  for (TEngineLibrary* record : std::initializer_list<TEngineLibrary*>{&converter, &decoder, &player, &burner})
    record->Unload();
}

TEST(EngineLibraryTest, DecoderManagerStartsAndStopsOnce) {
  PartialEngineCounts counts;
  TDecoderLibrary decoder(kPartial);
  decoder.Stop();  // not started: calls nothing
  EXPECT_EQ(counts("ordinal_31"), 0);
  EXPECT_TRUE(decoder.Start());
  EXPECT_TRUE(decoder.Start());
  EXPECT_EQ(counts("ordinal_30"), 1);
  decoder.Stop();  // shut-down
  decoder.Unload();  // must not stop again
  EXPECT_EQ(counts("ordinal_31"), 1);

  // A record unloaded while started stops its manager on the way out.
  EXPECT_TRUE(decoder.LoadAndStart(kPartial));
  decoder.Unload();
  EXPECT_EQ(counts("ordinal_30"), 2);
  EXPECT_EQ(counts("ordinal_31"), 2);
  EXPECT_FALSE(decoder.Started());
}

TEST(EngineLibraryTest, EncoderManagerKeepsItsEngineHandle) {
  PartialEngineCounts counts;
  TEncoderLibrary encoder(kPartial);
  EXPECT_EQ(encoder.Start(), 0x5A5A);
  EXPECT_EQ(encoder.Start(), 0x5A5A);
  EXPECT_EQ(counts("ordinal_5"), 1);
  encoder.Stop();
  encoder.Stop();
  encoder.Unload();
  EXPECT_EQ(counts("ordinal_6"), 1);
  EXPECT_EQ(encoder.EngineHandle(), 0);

  // A library without the start entry is loaded but never started.
  TEncoderLibrary noStart("QM_Log.dll");
  EXPECT_EQ(noStart.Start(), 0);
  EXPECT_TRUE(noStart.Loaded());
  noStart.Unload();
}

TEST(EngineLibraryTest, StartupBindingRaisesForAMissingEngineAndExitUnloads) {
  // An empty program folder holds none of the engines: the first step of the start-up
  // binding reports the data-process engine by name.
  const std::string saved = std::getenv("BRANTWELL_PROGRAM_DIR") ? std::getenv("BRANTWELL_PROGRAM_DIR") : "";
  char folder[] = "/tmp/brantwell-empty-XXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  setenv("BRANTWELL_PROGRAM_DIR", folder, 1);
  try {
    BindStartupEngines();
    ADD_FAILURE() << "no exception";
  } catch (const EOSError& e) {
    EXPECT_NE(e.Message().find("QM_DataProcess.dll"), std::string::npos) << e.Message();
  }
  setenv("BRANTWELL_PROGRAM_DIR", saved.c_str(), 1);
  rmdir(folder);
  EXPECT_FALSE(DataProcessLibrary.Loaded());
  EXPECT_EQ(ConverterLibrary.QEStart(1, 0, 0, 0, nullptr, nullptr), -1);
  UnloadEngineLibraries();  // nothing loaded: nothing happens
  EXPECT_FALSE(DecoderLibrary.Started());
}

}  // namespace
