#include "playback/stream_time.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vamu::playback {
namespace {

constexpr double kLargest = std::numeric_limits<int>::max();

int truncated(double value) {
    if (std::isnan(value)) {
        return 0;
    }
    return static_cast<int>(std::clamp(std::trunc(value), -kLargest, kLargest));
}

std::string twoDigits(int value) { return (value < 10 ? "0" : "") + std::to_string(value); }

double positionSecondsOf(const AudioEngine& engine, StreamHandle handle) {
    return engine.bytesToSeconds(handle, engine.getPosition(handle));
}

double lengthSecondsOf(const AudioEngine& engine, StreamHandle handle) {
    return engine.bytesToSeconds(handle, engine.getLength(handle));
}

}  // namespace

int minutesOrSeconds(double seconds, TimePart part) {
    return part == TimePart::Seconds ? truncated(std::fmod(seconds, 60.0)) : truncated(seconds / 60.0);
}

std::string minutesSecondsText(double seconds) {
    if (std::isnan(seconds) || seconds < 0) {
        return "--:--";
    }
    return twoDigits(minutesOrSeconds(seconds, TimePart::Minutes)) + ":" +
           twoDigits(minutesOrSeconds(seconds, TimePart::Seconds));
}

int positionMinutes(const AudioEngine& engine, StreamHandle handle) {
    return minutesOrSeconds(positionSecondsOf(engine, handle), TimePart::Minutes);
}

int positionSeconds(const AudioEngine& engine, StreamHandle handle) {
    return minutesOrSeconds(positionSecondsOf(engine, handle), TimePart::Seconds);
}

std::string positionText(const AudioEngine& engine, StreamHandle handle) {
    return minutesSecondsText(positionSecondsOf(engine, handle));
}

int lengthMinutes(const AudioEngine& engine, StreamHandle handle) {
    return minutesOrSeconds(lengthSecondsOf(engine, handle), TimePart::Minutes);
}

int lengthSeconds(const AudioEngine& engine, StreamHandle handle) {
    return minutesOrSeconds(lengthSecondsOf(engine, handle), TimePart::Seconds);
}

std::string lengthText(const AudioEngine& engine, StreamHandle handle) {
    return minutesSecondsText(lengthSecondsOf(engine, handle));
}

}  // namespace vamu::playback
