#pragma once
// The short chime that announces a finished download, held in the program as a WAVE file.

#include <cstddef>
#include <span>

#include "playback/audio_engine.h"

namespace vamu::library {

[[nodiscard]] std::span<const std::byte> downloadToneWave();

// Plays the tone once from memory. Returns its stream, which the caller frees once it
// has played (about 1.2 s); 0 when the engine is not started.
playback::StreamHandle playDownloadTone(playback::AudioEngine& engine);

}  // namespace vamu::library
