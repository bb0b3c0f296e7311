#include "toolkit/easing.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace vamu::toolkit {

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kTolerance = 1e-7;
constexpr double kBackOvershoot = 1.70158;
constexpr double kBackInOutOvershoot = kBackOvershoot * 1.525;
constexpr double kElasticPeriod = 0.3;
constexpr double kElasticShift = kElasticPeriod / 4;

double clampProgress(double t) {
    if (std::isnan(t) || t < -kTolerance) return 0;
    if (t > 1 + kTolerance) return 1;
    return t;
}

// Each "in" shape on 0..1; "out" and "in-out" are built from it below.
double power(double t, int exponent) { return std::pow(t, exponent); }

double bounceOut(double t) {
    constexpr double k = 7.5625;
    if (t < 1 / 2.75) return k * t * t;
    if (t < 2 / 2.75) {
        t -= 1.5 / 2.75;
        return k * t * t + 0.75;
    }
    if (t < 2.5 / 2.75) {
        t -= 2.25 / 2.75;
        return k * t * t + 0.9375;
    }
    t -= 2.625 / 2.75;
    return k * t * t + 0.984375;
}

double bounceIn(double t) { return 1 - bounceOut(1 - t); }

double elasticIn(double t) {
    if (t <= 0 || t >= 1) return t <= 0 ? 0 : 1;
    t -= 1;
    return -(std::pow(2, 10 * t) * std::sin((t - kElasticShift) * 2 * kPi / kElasticPeriod));
}

double elasticOut(double t) {
    if (t <= 0 || t >= 1) return t <= 0 ? 0 : 1;
    return std::pow(2, -10 * t) * std::sin((t - kElasticShift) * 2 * kPi / kElasticPeriod) + 1;
}

double elasticInOut(double t) {
    if (t <= 0 || t >= 1) return t <= 0 ? 0 : 1;
    t = t * 2 - 1;
    const double wave = std::sin((t - kElasticShift) * 2 * kPi / kElasticPeriod);
    if (t < 0) return -0.5 * std::pow(2, 10 * t) * wave;
    return 0.5 * std::pow(2, -10 * t) * wave + 1;
}

// The share of the change reached at t for the curves 5 to 34 (28 is handled apart).
double standardShape(Easing curve, double t) {
    using enum Easing;
    const auto inOut = [t](auto in) { return t < 0.5 ? in(t * 2) / 2 : 1 - in(2 - t * 2) / 2; };
    switch (curve) {
    case QuadIn:
        return power(t, 2);
    case QuadOut:
        return 1 - power(1 - t, 2);
    case QuadInOut:
        return inOut([](double x) { return power(x, 2); });
    case CubicIn:
        return power(t, 3);
    case CubicOut:
        return 1 - power(1 - t, 3);
    case CubicInOut:
        return inOut([](double x) { return power(x, 3); });
    case QuartIn:
        return power(t, 4);
    case QuartOut:
        return 1 - power(1 - t, 4);
    case QuartInOut:
        return inOut([](double x) { return power(x, 4); });
    case QuintIn:
        return power(t, 5);
    case QuintOut:
        return 1 - power(1 - t, 5);
    case QuintInOut:
        return inOut([](double x) { return power(x, 5); });
    case SineIn:
        return 1 - std::cos(t * kPi / 2);
    case SineOut:
        return std::sin(t * kPi / 2);
    case SineInOut:
        return -(std::cos(kPi * t) - 1) / 2;
    case ExpoIn:
        return t <= 0 ? 0 : std::pow(2, 10 * (t - 1));
    case ExpoOut:
        return t >= 1 ? 1 : 1 - std::pow(2, -10 * t);
    case ExpoInOut:
        if (t <= 0 || t >= 1) return t <= 0 ? 0 : 1;
        return t < 0.5 ? std::pow(2, 10 * (t * 2 - 1)) / 2 : (2 - std::pow(2, -10 * (t * 2 - 1))) / 2;
    case CircIn:
        return 1 - std::sqrt(std::max(0.0, 1 - t * t));
    case CircOut:
        return std::sqrt(std::max(0.0, 1 - (t - 1) * (t - 1)));
    case CircInOut:
        return inOut([](double x) { return 1 - std::sqrt(std::max(0.0, 1 - x * x)); });
    case BounceIn:
        return bounceIn(t);
    case BounceOut:
        return bounceOut(t);
    case BounceInOut:
        return t < 0.5 ? bounceIn(t * 2) / 2 : bounceOut(t * 2 - 1) / 2 + 0.5;
    case BackIn:
        return t * t * ((kBackOvershoot + 1) * t - kBackOvershoot);
    case BackOut: {
        const double u = t - 1;
        return u * u * ((kBackOvershoot + 1) * u + kBackOvershoot) + 1;
    }
    case BackInOut: {
        constexpr double s = kBackInOutOvershoot;
        double u = t * 2;
        if (u < 1) return u * u * ((s + 1) * u - s) / 2;
        u -= 2;
        return (u * u * ((s + 1) * u + s) + 2) / 2;
    }
    case ElasticIn:
        return elasticIn(t);
    case ElasticOut:
        return elasticOut(t);
    case ElasticInOut:
        return elasticInOut(t);
    default:
        return t;
    }
}

}  // namespace

double easeValue(Easing curve, double s, double e, double progress) {
    const double t = clampProgress(progress);
    const double d = e - s;
    switch (curve) {
    case Easing::Linear:
        return s + d * t;
    case Easing::LinearAngle:
        if (d < -180) return s + (e + 360 - s) * t;
        if (d > 180) return s + 360 + (e - s - 360) * t;
        return s + d * t;
    case Easing::OvershootSettle:
        return s + d * (t + std::sin(t * (2.5 * t * t * t + 0.2) * kPi) * std::pow(1 - t, 2.2)) * (1 + 1.2 * (1 - t));
    case Easing::DampedOscillation:
        if (t <= kTolerance || t >= 1 - kTolerance) return 0;
        return e * std::pow(2, -10 * t) * std::sin(t * 6.283185307 / 0.3);
    case Easing::BounceInOut: {
        const double whole = std::trunc(s);
        return whole + (std::trunc(e) - whole) * standardShape(curve, t);
    }
    default:
        return s + d * standardShape(curve, t);
    }
}

std::optional<double> easeValue(int curve, double start, double end, double progress) {
    if (curve < kFirstEasingCurve || curve > kLastEasingCurve) return std::nullopt;
    return easeValue(static_cast<Easing>(curve), start, end, progress);
}

int animateValue(int curve, std::chrono::milliseconds duration, std::chrono::milliseconds interval, double start,
                 double end, const AnimationCallback& callback, const PumpingWait& wait) {
    const bool immediate = duration.count() <= 0 || interval.count() <= 0;
    const int frames = immediate ? 1 : static_cast<int>(std::max<long long>(1, duration / interval));
    for (int frame = 1; frame <= frames; ++frame) {
        if (!immediate && wait) wait(std::chrono::duration_cast<std::chrono::microseconds>(interval));
        double progress = frame == frames ? 1.0
                                          : static_cast<double>(frame) * static_cast<double>(interval.count()) /
                                                static_cast<double>(duration.count());
        const std::optional<double> value = easeValue(curve, start, end, progress);
        if (!value) progress = 1.0;
        const AnimationFrame step{progress, value.value_or(end), frame, frames};
        if (callback && callback(step) == AnimationStep::Stop) break;
        if (progress >= 1.0 - kTolerance) break;
    }
    return frames;
}

}  // namespace vamu::toolkit
