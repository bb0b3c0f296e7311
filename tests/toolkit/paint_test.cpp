// Painting primitives on offscreen surfaces.
#include "toolkit/test_support.h"

#include "toolkit/controls/paint.h"
#include "toolkit/controls/text_paint.h"
#include "toolkit/toolkit.h"

#include <gtest/gtest.h>

namespace vamu::toolkit::test {
namespace {

QImage surface(int w, int h, QRgb fill = 0) {
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    image.fill(QColor::fromRgba(fill));
    return image;
}

QRgb at(const QImage& image, int x, int y) { return image.pixelColor(x, y).rgba(); }

QImage pattern(int w, int h) {
    QImage image = surface(w, h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) image.setPixelColor(x, y, QColor(x * 8 % 256, y * 8 % 256, (x + y) % 256));
    }
    return image;
}

TEST(Paint, StateKeysFollowTheFirstMatchingFlag) {
    struct Case {
        std::uint32_t flags;
        std::string_view key;
    };
    const Case cases[] = {{state::kHot | state::kPressed, "highlight"},
                          {state::kPressed | state::kFocused, "down"},
                          {state::kFocused, "focus"},
                          {0, "normal"},
                          {state::kDisabled, "normal"}};
    for (const Case& c : cases) EXPECT_EQ(paint::stateKey(c.flags), c.key) << c.flags;
}

TEST(Paint, NineGridAtNaturalSizeReproducesTheImage) {
    const QImage image = pattern(30, 18);
    QImage target = surface(30, 18);
    {
        QPainter painter(&target);
        paint::drawNineGrid(painter, image, QRectF(image.rect()), QRectF(0, 0, 30, 18), QRectF(9, 8, 12, 2));
    }
    EXPECT_EQ(target, image.convertToFormat(QImage::Format_ARGB32_Premultiplied));
}

TEST(Paint, NineGridKeepsCornersAndStretchesTheCentre) {
    QImage image = surface(9, 9, 0xFF0000FF);
    for (int i = 0; i < 9; ++i) image.setPixelColor(4, i, Qt::red);  // the centre column
    QImage target = surface(40, 20);
    {
        QPainter painter(&target);
        paint::drawNineGrid(painter, image, QRectF(image.rect()), QRectF(0, 0, 40, 20), QRectF(4, 4, 1, 1));
    }
    EXPECT_EQ(at(target, 0, 0), 0xFF0000FFu);
    EXPECT_EQ(at(target, 39, 19), 0xFF0000FFu);
    EXPECT_EQ(at(target, 20, 10), 0xFFFF0000u);  // the stretched centre
    EXPECT_EQ(at(target, 3, 10), 0xFF0000FFu);   // the left edge keeps its width
}

TEST(Paint, FillTypesPlaceTheImage) {
    const QImage image = surface(10, 10, 0xFFFF0000);
    struct Case {
        int fillType;
        QPoint inside;
        QPoint outside;
    };
    const Case cases[] = {{paint::fill::kNatural, {2, 2}, {15, 15}},
                          {paint::fill::kStretch, {28, 28}, {-1, -1}},
                          {paint::fill::kCentre, {15, 15}, {5, 5}}};
    for (const Case& c : cases) {
        QImage target = surface(30, 30);
        {
            QPainter painter(&target);
            paint::drawImage(painter, image, QRectF(0, 0, 30, 30), std::nullopt, c.fillType);
        }
        EXPECT_EQ(at(target, c.inside.x(), c.inside.y()), 0xFFFF0000u) << c.fillType;
        if (c.outside.x() >= 0) {
            EXPECT_EQ(qAlpha(at(target, c.outside.x(), c.outside.y())), 0) << c.fillType;
        }
    }
}

TEST(Paint, CentredImageLargerThanTheTargetIsClippedAtNegativeOffsets) {
    QImage image = surface(20, 20, 0xFF00FF00);
    image.setPixelColor(5, 5, Qt::red);  // lands at (0, 0) of a 10 x 10 target
    QImage target = surface(10, 10);
    {
        QPainter painter(&target);
        paint::drawImage(painter, image, QRectF(0, 0, 10, 10), std::nullopt, paint::fill::kCentre);
    }
    EXPECT_EQ(at(target, 0, 0), 0xFFFF0000u);
    EXPECT_EQ(at(target, 9, 9), 0xFF00FF00u);
}

TEST(Paint, SkinLookupDrawsTheStateImageOrReportsAMissingKey) {
    QImage target = surface(39, 19);
    QPainter painter(&target);
    EXPECT_TRUE(paint::drawSkinState(painter, &theme(), "SysButton.Close", QRectF(0, 0, 39, 19), state::kHot));
    EXPECT_FALSE(paint::drawSkinImage(painter, &theme(), "SysButton.Close", QRectF(0, 0, 39, 19), "focus"));
    EXPECT_FALSE(paint::drawSkinImage(painter, nullptr, "SysButton.Close", QRectF(0, 0, 39, 19), "normal"));
    painter.end();
    EXPECT_EQ(at(target, 20, 10), skinPixel("SysButton.Close", state::kHot, {39, 19}, {20, 10}, 0));
    EXPECT_NE(at(target, 20, 10), skinPixel("SysButton.Close", 0, {39, 19}, {20, 10}, 0));
}

TEST(Paint, OpaqueTextIsDrawnWithAlpha254AndTranslucentTextKeepsItsAlpha) {
    EXPECT_EQ(paint::textDrawColour(0xFF000000), 0xFE000000u);
    EXPECT_EQ(paint::textDrawColour(0x80FF0000), 0x80FF0000u);
    QImage target = surface(60, 30);
    {
        QPainter painter(&target);
        QFont font = toolkitFont();
        font.setPixelSize(24);
        paint::drawText(painter, QRectF(0, 0, 60, 30), QStringLiteral("███"), font, 0xFF000000);
    }
    int maxAlpha = 0;
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 60; ++x) maxAlpha = std::max(maxAlpha, qAlpha(at(target, x, y)));
    }
    EXPECT_EQ(maxAlpha, 254);
}

TEST(Paint, AutomaticEffectColourDependsOnTheTextColour) {
    EXPECT_EQ(paint::automaticEffectColour(0xFF000000), qRgba(255, 255, 255, 85));
    EXPECT_EQ(paint::automaticEffectColour(0xFFFFFFFF), qRgba(0, 0, 0, 75));
    EXPECT_EQ(paint::automaticEffectColour(0x40000000), qRgba(0, 0, 0, 75));  // dark but faint
}

TEST(Paint, GlowPaintsAroundTheText) {
    QImage plain = surface(80, 30);
    QImage glow = surface(80, 30);
    QFont font = toolkitFont();
    {
        QPainter p(&plain);
        paint::drawText(p, QRectF(10, 5, 60, 20), QStringLiteral("vamu"), font, 0xFF000000);
    }
    {
        QPainter p(&glow);
        paint::drawText(p, QRectF(10, 5, 60, 20), QStringLiteral("vamu"), font, 0xFF000000, {}, paint::effect::kGlow);
    }
    int plainCovered = 0;
    int glowCovered = 0;
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 80; ++x) {
            plainCovered += qAlpha(at(plain, x, y)) > 0;
            glowCovered += qAlpha(at(glow, x, y)) > 0;
        }
    }
    EXPECT_GT(plainCovered, 0);
    EXPECT_GT(glowCovered, plainCovered);
}

TEST(Paint, BorderStylesDrawTheirLines) {
    struct Case {
        long long style;
        QRgb topLeft;
        QRgb bottomRight;
    };
    const Case cases[] = {{1, qRgba(0, 0, 0, 110), qRgba(255, 255, 255, 245)},
                          {2, qRgba(255, 255, 255, 245), qRgba(0, 0, 0, 110)},
                          {3, paint::kThemeColour, paint::kThemeColour},
                          {0xFF00FF00, 0xFF00FF00, 0xFF00FF00}};
    for (const Case& c : cases) {
        QImage target = surface(10, 8);
        {
            QPainter painter(&target);
            paint::drawBorder(painter, QRectF(0, 0, 10, 8), c.style);
        }
        EXPECT_EQ(at(target, 3, 0), c.topLeft) << c.style;
        EXPECT_EQ(at(target, 9, 4), c.bottomRight) << c.style;
        EXPECT_EQ(qAlpha(at(target, 4, 4)), 0) << c.style;
    }
}

TEST(Paint, GradientRunsFromTheFirstToTheSecondColour) {
    QImage target = surface(10, 100);
    {
        QPainter painter(&target);
        paint::fillGradient(painter, QRectF(0, 0, 10, 100), 0xFF000000, 0xFFFFFFFF, 1);
    }
    EXPECT_LT(qRed(at(target, 5, 1)), 10);
    EXPECT_GT(qRed(at(target, 5, 98)), 245);
    EXPECT_NEAR(qRed(at(target, 5, 50)), 128, 8);
}

TEST(Paint, RoundRectPathEndsOnePixelInside) {
    const QPainterPath path = paint::roundRectPath(QRectF(0, 0, 20, 10), 4);
    EXPECT_EQ(path.boundingRect(), QRectF(0, 0, 19, 9));
    EXPECT_FALSE(path.contains(QPointF(0.2, 0.2)));  // the corner is cut
    EXPECT_TRUE(path.contains(QPointF(10, 5)));
}

TEST(Paint, FeatheringFadesTheChosenEdges) {
    const QImage image = surface(40, 20, 0xFFFF0000);
    const QImage soft = paint::feathered(image, paint::feather::kLeft | paint::feather::kBottom);
    // Band: min(40, 20) * 0.25 = 5 pixels.
    EXPECT_EQ(qAlpha(at(soft, 0, 5)), 0);
    EXPECT_EQ(qAlpha(at(soft, 5, 5)), 255);
    EXPECT_EQ(qAlpha(at(soft, 20, 19)), 0);
    EXPECT_EQ(qAlpha(at(soft, 39, 0)), 255);
    EXPECT_NEAR(qAlpha(at(soft, 2, 5)), 102, 2);
}

}  // namespace
}  // namespace vamu::toolkit::test
