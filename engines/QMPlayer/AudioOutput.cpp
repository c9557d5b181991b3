#include "engines/QMPlayer/AudioOutput.h"

#include <SDL.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "engines/common/EngineLog.h"
#include "engines/media/MediaSource.h"

namespace player {

namespace {
constexpr int kBytesPerFrame = engines::media::kAudioChannels * sizeof(float);
}

std::unique_ptr<AudioOutput> AudioOutput::Open() {
  const char* choice = std::getenv("BRANTWELL_AUDIO");
  if (choice && std::strcmp(choice, "null") == 0) return nullptr;
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    engines::LogLine(std::string("no sound device, playing silently: ") + SDL_GetError());
    return nullptr;
  }
  SDL_AudioSpec want{};
  want.freq = engines::media::kAudioRate;
  want.format = AUDIO_F32SYS;
  want.channels = engines::media::kAudioChannels;
  want.samples = 1024;
  SDL_AudioSpec have{};
  const SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
  if (device == 0) {
    engines::LogLine(std::string("cannot open a sound device, playing silently: ") + SDL_GetError());
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return nullptr;
  }
  return std::unique_ptr<AudioOutput>(new AudioOutput(device));
}

AudioOutput::~AudioOutput() {
  SDL_CloseAudioDevice(m_device);
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

bool AudioOutput::Queue(const float* samples, size_t frames) {
  if (frames == 0) return true;
  if (SDL_QueueAudio(m_device, samples, static_cast<Uint32>(frames * kBytesPerFrame)) != 0) {
    engines::LogLine(std::string("cannot queue sound: ") + SDL_GetError());
    return false;
  }
  return true;
}

double AudioOutput::QueuedSeconds() const {
  return double(SDL_GetQueuedAudioSize(m_device)) / (kBytesPerFrame * engines::media::kAudioRate);
}

void AudioOutput::Pause(bool paused) { SDL_PauseAudioDevice(m_device, paused ? 1 : 0); }

void AudioOutput::Clear() { SDL_ClearQueuedAudio(m_device); }

}  // namespace player
