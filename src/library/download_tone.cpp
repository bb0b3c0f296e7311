#include "library/download_tone.h"

#include <embedded/vamu_library.h>

namespace vamu::library {

std::span<const std::byte> downloadToneWave() { return resources::downloadTone(); }

playback::StreamHandle playDownloadTone(playback::AudioEngine& engine) {
    const playback::StreamHandle handle = engine.createStream({.memory = downloadToneWave()});
    if (handle != 0 && !engine.play(handle, playback::Restart::Yes)) {
        engine.freeStream(handle);
        return 0;
    }
    return handle;
}

}  // namespace vamu::library
