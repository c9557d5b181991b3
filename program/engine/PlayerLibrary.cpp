#include "program/engine/PlayerLibrary.h"

TPlayerLibrary::TPlayerLibrary(AnsiString libraryName)
    : TEngineLibrary(
          std::move(libraryName),
          {ByName("VPCreate"), ByName("VPDestroy"), ByOrdinal(3), ByName("VPSetPlayTime"), ByName("VPPlay"),
           ByName("VPStop"), ByName("VPPause"), ByName("VPResume"), ByName("VPSeek"), ByName("VPSyncSeek"),
           ByName("VPForward"), ByName("VPSyncForward"), ByName("VPUpdate"), ByName("VPSetCallBack"),
           ByName("VPGetPlayerHwnd"), ByName("VPGetPlayedTime"), ByName("VPSetVolume"), ByName("VPGetMovieLength"),
           ByName("VPCreateView"), ByName("VPCreateViewEx"), ByName("VPDestroyView"),
           ByName("VPGetDisplayResizeMode"), ByName("VPSetDisplayResizeMode"), ByName("VPSetCropEditStyle"),
           ByName("VPSetCropMaskMode"), ByName("VPSetCropRect"), ByName("VPGetCropRect"), ByName("VPIsActivate"),
           ByName("VPSendCommand"), ByName("VPGetVideoDataProcessHandle"), ByName("EVCreate"), ByName("EVDestroy"),
           ByName("EVShowDib"), ByName("EVShowImage"), ByName("EVShowYUVImage"), ByName("EVGetHwnd")}) {}

bool TPlayerLibrary::Load(const char* libraryName) {
  return LoadNamed(libraryName ? AnsiString(libraryName) : LibraryName(), "QMPlayer.dll");
}

double TPlayerLibrary::VPGetMovieLength(TEngineHandle player) const {
  auto entry = EntryAs<double (*)(TEngineHandle)>(kVPGetMovieLength);
  return entry ? entry(player) : 0.0;
}

double TPlayerLibrary::VPGetPlayedTime(TEngineHandle player) const {
  auto entry = EntryAs<double (*)(TEngineHandle)>(kVPGetPlayedTime);
  return entry ? entry(player) : 0.0;
}
