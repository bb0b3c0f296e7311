#include "picture_painter.h"

#include "demo_random.h"

#include <algorithm>
#include <cmath>

namespace vamu::service {
namespace {

struct Colour {
    double r = 0, g = 0, b = 0;  // 0..1
};

Colour fromHsv(double hue, double saturation, double value) {
    const double h = std::fmod(hue < 0 ? hue + 360.0 : hue, 360.0) / 60.0;
    const double c = value * saturation;
    const double x = c * (1.0 - std::fabs(std::fmod(h, 2.0) - 1.0));
    const double m = value - c;
    const int sector = static_cast<int>(h);
    const Colour table[6] = {{c, x, 0}, {x, c, 0}, {0, c, x}, {0, x, c}, {x, 0, c}, {c, 0, x}};
    const Colour& t = table[std::clamp(sector, 0, 5)];
    return {t.r + m, t.g + m, t.b + m};
}

Colour mix(const Colour& a, const Colour& b, double t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

// An opaque drawing surface with anti-aliased round shapes; coordinates are in pixels
// with (0, 0) the top-left corner of the top-left pixel.
class Canvas {
public:
    explicit Canvas(int size) : m_size(size), m_pixels(static_cast<std::size_t>(size * size)) {}

    void diagonalGradient(const Colour& from, const Colour& to) {
        for (int y = 0; y < m_size; ++y) {
            for (int x = 0; x < m_size; ++x) at(x, y) = mix(from, to, (x + y) / (2.0 * (m_size - 1)));
        }
    }

    // Blends `colour` over the pixels covered by the ring between radii `inner` and `outer`
    // (inner 0: a disc), weighted by `alpha`.
    void ring(double cx, double cy, double inner, double outer, const Colour& colour, double alpha) {
        forEachPixelNear(cx, cy, outer, [&](int x, int y, double distance) {
            const double cover = std::clamp(outer - distance + 0.5, 0.0, 1.0) *
                                 (inner <= 0 ? 1.0 : std::clamp(distance - inner + 0.5, 0.0, 1.0));
            at(x, y) = mix(at(x, y), colour, cover * alpha);
        });
    }

    void rectangle(double left, double top, double right, double bottom, const Colour& colour, double alpha) {
        for (int y = std::max(0, static_cast<int>(top)); y < std::min(m_size, static_cast<int>(std::ceil(bottom)));
             ++y) {
            for (int x = std::max(0, static_cast<int>(left)); x < std::min(m_size, static_cast<int>(std::ceil(right)));
                 ++x) {
                const double coverX = std::clamp(std::min(x + 1.0, right) - std::max(x + 0.0, left), 0.0, 1.0);
                const double coverY = std::clamp(std::min(y + 1.0, bottom) - std::max(y + 0.0, top), 0.0, 1.0);
                at(x, y) = mix(at(x, y), colour, coverX * coverY * alpha);
            }
        }
    }

    [[nodiscard]] RgbaImage image() const {
        RgbaImage out{m_size, m_size, {}};
        out.pixels.reserve(m_pixels.size() * 4);
        const auto byte = [](double v) {
            return static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255.0));
        };
        for (const auto& p : m_pixels) {
            out.pixels.insert(out.pixels.end(), {byte(p.r), byte(p.g), byte(p.b), 255});
        }
        return out;
    }

    [[nodiscard]] int size() const { return m_size; }

private:
    Colour& at(int x, int y) { return m_pixels[static_cast<std::size_t>(y * m_size + x)]; }

    template <typename F>
    void forEachPixelNear(double cx, double cy, double radius, F&& f) {
        const int x0 = std::max(0, static_cast<int>(cx - radius - 1));
        const int x1 = std::min(m_size - 1, static_cast<int>(cx + radius + 1));
        const int y0 = std::max(0, static_cast<int>(cy - radius - 1));
        const int y1 = std::min(m_size - 1, static_cast<int>(cy + radius + 1));
        for (int y = y0; y <= y1; ++y) {
            for (int x = x0; x <= x1; ++x) f(x, y, std::hypot(x + 0.5 - cx, y + 0.5 - cy));
        }
    }

    int m_size = 0;
    std::vector<Colour> m_pixels;
};

}  // namespace

RgbaImage paintCover(std::uint64_t seed, int size) {
    DemoRandom random(seed);
    Canvas canvas(size);
    const double s = size;
    const double hue = random.between(0.0, 360.0);
    const double shift = random.between(30.0, 120.0);
    canvas.diagonalGradient(fromHsv(hue, 0.55, 0.95), fromHsv(hue + shift, 0.7, 0.55));
    // Soft light spots behind the record.
    for (int i = 0; i < 5; ++i) {
        canvas.ring(random.between(0.0, s), random.between(0.0, s), 0, random.between(0.08, 0.3) * s,
                    fromHsv(hue + random.between(-40.0, 40.0), 0.3, 1.0), 0.18);
    }
    // A record with faint grooves, its label and the spindle hole.
    const double cx = random.between(0.42, 0.58) * s;
    const double cy = random.between(0.42, 0.58) * s;
    const double r = 0.36 * s;
    canvas.ring(cx, cy, 0, r, {0.08, 0.08, 0.1}, 0.95);
    for (double g = 0.45; g < 0.95; g += 0.09) canvas.ring(cx, cy, r * g, r * g + 0.6, {0.3, 0.3, 0.34}, 0.5);
    canvas.ring(cx, cy, 0, 0.36 * r, fromHsv(hue + shift + 180.0, 0.6, 0.95), 1.0);
    canvas.ring(cx, cy, 0, 0.06 * r, {0.08, 0.08, 0.1}, 1.0);
    return canvas.image();
}

RgbaImage paintChannelPicture(std::uint64_t seed, int size) {
    DemoRandom random(seed);
    Canvas canvas(size);
    const double s = size;
    const double hue = random.between(0.0, 360.0);
    canvas.diagonalGradient(fromHsv(hue, 0.65, 0.9), fromHsv(hue + 50.0, 0.75, 0.6));
    const Colour light{1.0, 1.0, 1.0};
    switch (random.between(0, 2)) {
    case 0:  // waves spreading from a corner
        for (int i = 1; i <= 6; ++i) canvas.ring(0.1 * s, 0.9 * s, i * 0.16 * s, i * 0.16 * s + 0.035 * s, light, 0.35);
        break;
    case 1:  // a grid of dots of changing size
        for (int row = 0; row < 4; ++row) {
            for (int col = 0; col < 4; ++col) {
                canvas.ring((col + 0.5) * s / 4, (row + 0.5) * s / 4, 0, random.between(0.03, 0.1) * s, light, 0.45);
            }
        }
        break;
    default:  // a level meter
        for (int bar = 0; bar < 7; ++bar) {
            const double left = (0.12 + bar * 0.11) * s;
            canvas.rectangle(left, (0.85 - random.between(0.15, 0.65)) * s, left + 0.07 * s, 0.85 * s, light, 0.6);
        }
        break;
    }
    canvas.ring(0.5 * s, 0.5 * s, 0.4 * s, 0.44 * s, light, 0.25);
    return canvas.image();
}

RgbaImage paintAvatar(std::uint64_t seed, int size) {
    DemoRandom random(seed);
    Canvas canvas(size);
    const double s = size;
    const double hue = random.between(0.0, 360.0);
    canvas.diagonalGradient(fromHsv(hue, 0.35, 0.95), fromHsv(hue + 20.0, 0.45, 0.85));
    const Colour figure = fromHsv(hue + 180.0, random.between(0.1, 0.35), 1.0);
    canvas.ring(0.5 * s, 1.08 * s, 0, 0.46 * s, figure, 0.9);  // shoulders
    canvas.ring(0.5 * s, 0.4 * s, 0, 0.2 * s, figure, 0.95);   // head
    return canvas.image();
}

}  // namespace vamu::service
