#pragma once
// Easing curves 1 to 34 (the numbers that "AnimationType" and the animation calls use)
// and the value animation that steps through one of them frame by frame.
//
// Every curve first clamps the progress t to 0..1 (below -1e-7 gives 0, more than 1e-7
// above 1 gives 1) and answers a value between start s and end e. Curves 5 to 34 are
// the standard easing equations with start s, change e - s and duration 1.
// Pure functions: safe from any thread.

#include <chrono>
#include <functional>
#include <optional>

namespace vamu::toolkit {

enum class Easing : int {
    Linear = 1,
    LinearAngle = 2,  // degrees, along the shorter way round
    OvershootSettle = 3,
    DampedOscillation = 4,  // around 0 with amplitude e; s is not used
    QuadIn,
    QuadOut,
    QuadInOut,
    CubicIn,
    CubicOut,
    CubicInOut,
    QuartIn,
    QuartOut,
    QuartInOut,
    QuintIn,
    QuintOut,
    QuintInOut,
    SineIn,
    SineOut,
    SineInOut,
    ExpoIn,
    ExpoOut,
    ExpoInOut,
    CircIn,
    CircOut,
    CircInOut,
    BounceIn,
    BounceOut,
    BounceInOut,  // in-out works on s and e truncated to integers
    BackIn,
    BackOut,
    BackInOut,
    ElasticIn,
    ElasticOut,
    ElasticInOut,
};

inline constexpr int kFirstEasingCurve = 1;
inline constexpr int kLastEasingCurve = 34;

// The eased value; nullopt for a curve number outside 1..34.
[[nodiscard]] std::optional<double> easeValue(int curve, double start, double end, double progress);
[[nodiscard]] double easeValue(Easing curve, double start, double end, double progress);

// One step of animateValue.
struct AnimationFrame {
    double progress = 0;  // 0..1, exactly 1 on the last frame
    double value = 0;     // the eased value
    int frame = 0;        // 1..frames
    int frames = 0;
};
enum class AnimationStep { Continue, Stop };
using AnimationCallback = std::function<AnimationStep(const AnimationFrame&)>;
// Waits the given time while the thread's messages keep flowing.
using PumpingWait = std::function<void(std::chrono::microseconds)>;

// Steps a value from `start` to `end` along `curve`: frames = duration / interval
// (at least 1); before each frame `wait` is called with the interval, then `callback`
// with the frame, until the last frame or until the callback answers Stop. The last
// frame always has progress 1, so the animation ends on its end value even when the
// duration is not a multiple of the interval. A duration or interval of 0 or less
// gives one frame at once. An unknown curve number jumps to the end: its first frame
// has progress 1 and the end value, and ends the animation. Answers the number of
// frames.
int animateValue(int curve, std::chrono::milliseconds duration, std::chrono::milliseconds interval, double start,
                 double end, const AnimationCallback& callback, const PumpingWait& wait);

}  // namespace vamu::toolkit
