#include "pictures.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>
#include <cstdint>
#include <numbers>
#include <random>

namespace vamu::tools {
namespace {

// Numbers from the raw generator output, so every standard library draws the same.
class Dice {
public:
    explicit Dice(std::uint32_t seed) : m_engine(seed) {}
    double uniform(double low, double high) {
        return low + (high - low) * (static_cast<double>(m_engine()) / 4294967296.0);
    }

private:
    std::mt19937 m_engine;
};

struct Palette {
    QColor top;
    QColor middle;
    QColor bottom;
    QColor glow;  // the soft discs
    QColor veil;  // the waves
};

void fillGradient(QPainter& painter, const Palette& colours) {
    QLinearGradient fill(0, 0, kBackgroundWidth * 0.35, kBackgroundHeight);
    fill.setColorAt(0.0, colours.top);
    fill.setColorAt(0.55, colours.middle);
    fill.setColorAt(1.0, colours.bottom);
    painter.fillRect(QRect(0, 0, kBackgroundWidth, kBackgroundHeight), fill);
}

// A disc that fades to nothing at its rim: out-of-focus light.
void softDisc(QPainter& painter, QPointF centre, double radius, QColor colour) {
    QRadialGradient glow(centre, radius);
    QColor edge = colour;
    edge.setAlpha(0);
    glow.setColorAt(0.0, colour);
    glow.setColorAt(0.6, QColor(colour.red(), colour.green(), colour.blue(), colour.alpha() / 2));
    glow.setColorAt(1.0, edge);
    painter.setPen(Qt::NoPen);
    painter.setBrush(glow);
    painter.drawEllipse(centre, radius, radius);
}

void discs(QPainter& painter, Dice& dice, int count, QColor colour, double minRadius, double maxRadius) {
    for (int i = 0; i < count; ++i) {
        QColor c = colour;
        c.setAlpha(static_cast<int>(colour.alpha() * dice.uniform(0.35, 1.0)));
        softDisc(painter, QPointF(dice.uniform(-40, kBackgroundWidth + 40), dice.uniform(-40, kBackgroundHeight + 40)),
                 dice.uniform(minRadius, maxRadius), c);
    }
}

// A band under a sine line, filled downwards with a translucent colour.
void wave(QPainter& painter, double baseline, double amplitude, double periods, double phase, QColor colour) {
    QPainterPath path;
    path.moveTo(0, kBackgroundHeight);
    for (int x = 0; x <= kBackgroundWidth; x += 4) {
        const double t = static_cast<double>(x) / kBackgroundWidth;
        path.lineTo(x, baseline + amplitude * std::sin(2 * std::numbers::pi * (periods * t + phase)));
    }
    path.lineTo(kBackgroundWidth, kBackgroundHeight);
    path.closeSubpath();
    QLinearGradient fade(0, baseline - amplitude, 0, kBackgroundHeight);
    QColor clear = colour;
    clear.setAlpha(colour.alpha() / 4);
    fade.setColorAt(0, colour);
    fade.setColorAt(1, clear);
    painter.fillPath(path, fade);
}

void waves(QPainter& painter, QColor colour, double phase) {
    wave(painter, 250, 16, 1.2, phase, colour);
    QColor second = colour;
    second.setAlpha(colour.alpha() * 2 / 3);
    wave(painter, 300, 12, 1.7, phase + 0.35, second);
    wave(painter, 345, 9, 0.9, phase + 0.7, second);
}

// Thin diagonal light beams.
void beams(QPainter& painter, Dice& dice, QColor colour) {
    painter.save();
    painter.translate(kBackgroundWidth / 2.0, kBackgroundHeight / 2.0);
    painter.rotate(-28);
    for (int i = 0; i < 6; ++i) {
        const double x = dice.uniform(-300, 300);
        const double width = dice.uniform(18, 70);
        QLinearGradient band(x, 0, x + width, 0);
        QColor edge = colour;
        edge.setAlpha(0);
        band.setColorAt(0, edge);
        band.setColorAt(0.5, colour);
        band.setColorAt(1, edge);
        painter.fillRect(QRectF(x, -400, width, 800), band);
    }
    painter.restore();
}

void stars(QPainter& painter, Dice& dice, int count) {
    painter.setPen(Qt::NoPen);
    for (int i = 0; i < count; ++i) {
        const QPointF at(dice.uniform(0, kBackgroundWidth), dice.uniform(0, kBackgroundHeight * 0.8));
        const double size = dice.uniform(0.4, 1.4);
        painter.setBrush(QColor(255, 255, 255, static_cast<int>(dice.uniform(90, 230))));
        painter.drawEllipse(at, size, size);
        if (size > 1.2) softDisc(painter, at, size * 5, QColor(200, 210, 255, 70));
    }
}

// Five rounded petals round a point.
void petal(QPainter& painter, QPointF centre, double size, double turn, QColor colour) {
    painter.save();
    painter.translate(centre);
    painter.rotate(turn);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    for (int i = 0; i < 5; ++i) {
        painter.rotate(72);
        painter.drawEllipse(QRectF(-size * 0.28, -size, size * 0.56, size * 0.9));
    }
    painter.restore();
}

QImage canvas() {
    QImage image(kBackgroundWidth, kBackgroundHeight, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

QImage mist() {
    QImage image = canvas();
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    fillGradient(painter, {QColor(0x8E, 0xC5, 0xF0), QColor(0xB9, 0xC8, 0xF2), QColor(0xD9, 0xCF, 0xF3), {}, {}});
    Dice dice(11);
    discs(painter, dice, 9, QColor(255, 255, 255, 110), 40, 120);
    discs(painter, dice, 14, QColor(255, 255, 255, 70), 10, 34);
    waves(painter, QColor(255, 255, 255, 70), 0.1);
    return image;
}

QImage dusk() {
    QImage image = canvas();
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    fillGradient(painter, {QColor(0xFF, 0xC9, 0x9A), QColor(0xF8, 0x9E, 0x95), QColor(0xC9, 0x82, 0xB8), {}, {}});
    softDisc(painter, QPointF(290, 120), 150, QColor(255, 236, 190, 170));
    Dice dice(23);
    discs(painter, dice, 10, QColor(255, 230, 220, 80), 12, 46);
    waves(painter, QColor(120, 60, 120, 55), 0.6);
    return image;
}

QImage meadow() {
    QImage image = canvas();
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    fillGradient(painter, {QColor(0xA8, 0xE6, 0xCF), QColor(0x7F, 0xD1, 0xC1), QColor(0x4F, 0xA8, 0xA8), {}, {}});
    Dice dice(37);
    beams(painter, dice, QColor(255, 255, 240, 60));
    discs(painter, dice, 12, QColor(240, 255, 230, 90), 8, 40);
    wave(painter, 320, 22, 0.8, 0.25, QColor(30, 110, 100, 60));
    return image;
}

QImage night() {
    QImage image = canvas();
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    fillGradient(painter, {QColor(0x2B, 0x35, 0x6E), QColor(0x4B, 0x4A, 0x8F), QColor(0x8A, 0x6F, 0xB0), {}, {}});
    Dice dice(53);
    stars(painter, dice, 90);
    softDisc(painter, QPointF(70, 80), 110, QColor(140, 170, 255, 60));
    waves(painter, QColor(220, 200, 255, 45), 0.45);
    return image;
}

QImage blossom() {
    QImage image = canvas();
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    fillGradient(painter, {QColor(0xFF, 0xE4, 0xEC), QColor(0xFB, 0xC8, 0xD8), QColor(0xF0, 0xB0, 0xC8), {}, {}});
    Dice dice(71);
    discs(painter, dice, 8, QColor(255, 255, 255, 120), 30, 90);
    for (int i = 0; i < 22; ++i) {
        const QPointF at(dice.uniform(0, kBackgroundWidth), dice.uniform(0, kBackgroundHeight));
        petal(painter, at, dice.uniform(5, 14), dice.uniform(0, 72),
              QColor(255, dice.uniform(150, 200), dice.uniform(180, 215), static_cast<int>(dice.uniform(60, 150))));
    }
    waves(painter, QColor(255, 255, 255, 60), 0.8);
    return image;
}

}  // namespace

QImage drawBackground(int index) {
    switch (index) {
    case 0:
        return mist();
    case 1:
        return dusk();
    case 2:
        return meadow();
    case 3:
        return night();
    case 4:
        return blossom();
    default:
        return {};
    }
}

// The icon's drawing is in a 128-unit square; every size scales the same vector
// operations, and iconSvg() writes them again as SVG, so the sizes and the scalable
// icon never drift apart.
namespace icon {
constexpr QRectF kTile(4, 4, 120, 120);
constexpr double kCorner = 28;
constexpr QColor kFrom(0x3F, 0xA9, 0xF5);
constexpr QColor kTo(0x7B, 0x4F, 0xD6);
constexpr QPointF kGlowCentre(30, 24);
constexpr double kGlowRadius = 70;
constexpr int kGlowAlpha = 70;
// A pair of eighth notes joined by a beam.
constexpr QRectF kHeads[] = {QRectF(30, 78, 26, 20), QRectF(70, 70, 26, 20)};
constexpr QRectF kStems[] = {QRectF(51, 40, 6, 48), QRectF(91, 32, 6, 48)};
constexpr QPointF kBeam[] = {QPointF(51, 40), QPointF(97, 30), QPointF(97, 42), QPointF(51, 52)};
}  // namespace icon

QImage drawIcon(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 128.0, size / 128.0);
    QPainterPath tile;
    tile.addRoundedRect(icon::kTile, icon::kCorner, icon::kCorner);
    QLinearGradient fill(icon::kTile.topLeft(), icon::kTile.bottomRight());
    fill.setColorAt(0, icon::kFrom);
    fill.setColorAt(1, icon::kTo);
    painter.fillPath(tile, fill);
    painter.setClipPath(tile);
    softDisc(painter, icon::kGlowCentre, icon::kGlowRadius, QColor(255, 255, 255, icon::kGlowAlpha));
    painter.setClipping(false);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    for (const QRectF& head : icon::kHeads) painter.drawEllipse(head);
    for (const QRectF& stem : icon::kStems) painter.drawRect(stem);
    QPainterPath beam;
    beam.addPolygon(QPolygonF(QList<QPointF>(std::begin(icon::kBeam), std::end(icon::kBeam))));
    beam.closeSubpath();
    painter.fillPath(beam, Qt::white);
    return image;
}

QByteArray iconSvg() {
    const auto number = [](double value) { return QByteArray::number(value, 'g', 6); };
    const auto opacity = [&](int alpha) { return number(alpha / 255.0); };
    QByteArray svg;
    svg +=
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"128\" height=\"128\" viewBox=\"0 0 128 128\">\n"
        "  <defs>\n";
    svg += "    <linearGradient id=\"fill\" gradientUnits=\"userSpaceOnUse\" x1=\"" + number(icon::kTile.left()) +
           "\" y1=\"" + number(icon::kTile.top()) + "\" x2=\"" + number(icon::kTile.right()) + "\" y2=\"" +
           number(icon::kTile.bottom()) + "\">\n";
    svg += "      <stop offset=\"0\" stop-color=\"" + icon::kFrom.name().toLatin1() + "\"/>\n";
    svg += "      <stop offset=\"1\" stop-color=\"" + icon::kTo.name().toLatin1() + "\"/>\n";
    svg += "    </linearGradient>\n";
    // The same three stops as softDisc().
    svg += "    <radialGradient id=\"glow\" gradientUnits=\"userSpaceOnUse\" cx=\"" + number(icon::kGlowCentre.x()) +
           "\" cy=\"" + number(icon::kGlowCentre.y()) + "\" r=\"" + number(icon::kGlowRadius) + "\">\n";
    svg += "      <stop offset=\"0\" stop-color=\"#ffffff\" stop-opacity=\"" + opacity(icon::kGlowAlpha) + "\"/>\n";
    svg +=
        "      <stop offset=\"0.6\" stop-color=\"#ffffff\" stop-opacity=\"" + opacity(icon::kGlowAlpha / 2) + "\"/>\n";
    svg += "      <stop offset=\"1\" stop-color=\"#ffffff\" stop-opacity=\"0\"/>\n";
    svg += "    </radialGradient>\n";
    const QByteArray tile = "x=\"" + number(icon::kTile.x()) + "\" y=\"" + number(icon::kTile.y()) + "\" width=\"" +
                            number(icon::kTile.width()) + "\" height=\"" + number(icon::kTile.height()) + "\" rx=\"" +
                            number(icon::kCorner) + "\" ry=\"" + number(icon::kCorner) + "\"";
    svg += "    <clipPath id=\"tile\"><rect " + tile + "/></clipPath>\n  </defs>\n";
    svg += "  <rect " + tile + " fill=\"url(#fill)\"/>\n";
    svg += "  <circle cx=\"" + number(icon::kGlowCentre.x()) + "\" cy=\"" + number(icon::kGlowCentre.y()) + "\" r=\"" +
           number(icon::kGlowRadius) + "\" fill=\"url(#glow)\" clip-path=\"url(#tile)\"/>\n";
    svg += "  <g fill=\"#ffffff\">\n";
    for (const QRectF& head : icon::kHeads) {
        svg += "    <ellipse cx=\"" + number(head.center().x()) + "\" cy=\"" + number(head.center().y()) + "\" rx=\"" +
               number(head.width() / 2) + "\" ry=\"" + number(head.height() / 2) + "\"/>\n";
    }
    for (const QRectF& stem : icon::kStems) {
        svg += "    <rect x=\"" + number(stem.x()) + "\" y=\"" + number(stem.y()) + "\" width=\"" +
               number(stem.width()) + "\" height=\"" + number(stem.height()) + "\"/>\n";
    }
    svg += "    <polygon points=\"";
    for (const QPointF& point : icon::kBeam) svg += number(point.x()) + "," + number(point.y()) + " ";
    svg.chop(1);
    svg += "\"/>\n  </g>\n</svg>\n";
    return svg;
}

}  // namespace vamu::tools
