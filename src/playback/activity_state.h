#pragma once

namespace vamu::playback {

// What `AudioEngine::isActive` reports; the numbers are the ones callers test.
enum class ActivityState {
    Stopped = 0,  // created but not playing, stopped, ended, or no such stream
    Playing = 1,
    Stalled = 2,  // waiting for data: buffering before the start or after running dry
    Paused = 3,
};

}  // namespace vamu::playback
