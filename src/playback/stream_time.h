#pragma once
// Minutes and seconds of a stream's position and length, and their "mm:ss" texts.
//
// While a length (or position) is not available the engine reports -1 bytes, which is
// -1 seconds: the seconds part keeps that sign (lengthSeconds gives -1, the buffering
// test of the player), the minutes part is 0, and the text is "--:--".

#include <string>

#include "playback/audio_engine.h"

namespace vamu::playback {

enum class TimePart { Seconds, Minutes };

// Seconds part: the remainder of seconds / 60, truncated; minutes part: seconds / 60, truncated.
[[nodiscard]] int minutesOrSeconds(double seconds, TimePart part);

// "mm:ss"; each number below 10 gets a leading "0"; minutes are not limited to two
// digits (3,600 seconds give "60:00"). Negative seconds give "--:--".
[[nodiscard]] std::string minutesSecondsText(double seconds);

[[nodiscard]] int positionMinutes(const AudioEngine& engine, StreamHandle handle);
[[nodiscard]] int positionSeconds(const AudioEngine& engine, StreamHandle handle);
[[nodiscard]] std::string positionText(const AudioEngine& engine, StreamHandle handle);
[[nodiscard]] int lengthMinutes(const AudioEngine& engine, StreamHandle handle);
[[nodiscard]] int lengthSeconds(const AudioEngine& engine, StreamHandle handle);
[[nodiscard]] std::string lengthText(const AudioEngine& engine, StreamHandle handle);

}  // namespace vamu::playback
