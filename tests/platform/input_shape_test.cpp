// The input region of a translucent window: which cells of the back buffer count as
// drawn, how they become rectangles, and that only presented areas are read again.
#include "platform/input_shape.h"
#include "platform/native_window.h"

#include <QPainter>

#include <gtest/gtest.h>

#include <vector>

namespace vamu::platform::detail {
namespace {

using Rects = std::vector<QRect>;

QImage transparent(QSize size) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

void fill(QImage& image, const QRect& rect, QColor colour) {
    QPainter painter(&image);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(rect, colour);
}

TEST(DrawnCells, DrawnPixelsBecomeRectanglesOfWholeCells) {
    struct Case {
        const char* what;
        QSize size;
        std::vector<std::pair<QRect, QColor>> drawn;
        Rects expected;
    };
    const QColor opaque(Qt::red);
    const QColor faint(0, 0, 0, 1);  // alpha 1 still takes the mouse
    const Case cases[] = {
        {"nothing drawn", {64, 32}, {}, {}},
        {"one pixel takes its cell", {64, 32}, {{QRect(9, 9, 1, 1), faint}}, {QRect(8, 8, 8, 8)}},
        {"a block over cell edges takes every cell it touches",
         {64, 32},
         {{QRect(6, 2, 12, 3), opaque}},
         {QRect(0, 0, 24, 8)}},
        {"cell rows with the same run make one rectangle",
         {64, 40},
         {{QRect(16, 0, 16, 40), opaque}},
         {QRect(16, 0, 16, 40)}},
        {"runs that differ stay apart",
         {64, 16},
         {{QRect(0, 0, 8, 8), opaque}, {QRect(24, 0, 8, 16), opaque}, {QRect(0, 8, 16, 8), opaque}},
         {QRect(0, 0, 8, 8), QRect(24, 0, 8, 16), QRect(0, 8, 16, 8)}},
        {"cells at the edges are clipped to the window",
         {21, 13},
         {{QRect(20, 12, 1, 1), opaque}},
         {QRect(16, 8, 5, 5)}},
        {"two bubbles on a strip",
         {200, 24},
         {{QRect(10, 4, 30, 16), opaque}, {QRect(120, 4, 50, 16), opaque}},
         {QRect(8, 0, 32, 24), QRect(120, 0, 56, 24)}},
    };
    for (const Case& c : cases) {
        QImage image = transparent(c.size);
        for (const auto& [rect, colour] : c.drawn) fill(image, rect, colour);
        DrawnCells cells;
        EXPECT_TRUE(cells.update(image, QRegion()));  // a first image is read whole
        EXPECT_EQ(cells.rectangles(), c.expected) << c.what;
    }
}

TEST(DrawnCells, OnlyPresentedAreasAreReadAgain) {
    QImage image = transparent({64, 32});
    DrawnCells cells;
    cells.update(image, QRegion());
    EXPECT_TRUE(cells.rectangles().empty());

    fill(image, QRect(40, 10, 4, 4), Qt::blue);
    // Presented elsewhere: the change is not seen yet, and nothing changed.
    EXPECT_FALSE(cells.update(image, QRegion(0, 0, 16, 16)));
    EXPECT_TRUE(cells.rectangles().empty());
    // Presented there (one pixel of the cell is enough to read the whole cell).
    EXPECT_TRUE(cells.update(image, QRegion(41, 11, 1, 1)));
    EXPECT_EQ(cells.rectangles(), (Rects{QRect(40, 8, 8, 8)}));
    // The same content presented again changes nothing.
    EXPECT_FALSE(cells.update(image, QRegion(0, 0, 64, 32)));

    // Cleared: the cell lets the mouse through again.
    fill(image, QRect(40, 10, 4, 4), Qt::transparent);
    const QRegion twoParts = QRegion(0, 0, 4, 4) + QRegion(36, 8, 10, 10);
    EXPECT_TRUE(cells.update(image, twoParts));
    EXPECT_TRUE(cells.rectangles().empty());

    // A new size reads everything, whatever area is named.
    QImage larger = transparent({80, 32});
    fill(larger, QRect(72, 24, 8, 8), Qt::green);
    EXPECT_TRUE(cells.update(larger, QRegion(0, 0, 1, 1)));
    EXPECT_EQ(cells.rectangles(), (Rects{QRect(72, 24, 8, 8)}));
    cells.reset();
    EXPECT_TRUE(cells.rectangles().empty());
    EXPECT_TRUE(cells.update(larger, QRegion()));
    EXPECT_EQ(cells.rectangles(), (Rects{QRect(72, 24, 8, 8)}));
}

TEST(DrawnCells, AWindowWithoutX11KeepsPresentingWithoutARegion) {
    // The offscreen platform has no X server: presenting a translucent window is safe
    // and sets no input region.
    NativeWindowOptions options;
    options.geometry = QRect(10, 10, 64, 32);
    options.flags = window_flag::kBorderless | window_flag::kLayered;
    const WindowHandle handle = NativeWindow::create(options);
    NativeWindow* window = NativeWindow::find(handle);
    ASSERT_NE(window, nullptr);
    window->show();
    fill(window->backBuffer(), QRect(0, 0, 10, 10), Qt::red);
    window->present(QRegion(0, 0, 64, 32));
    EXPECT_TRUE(window->perPixelAlpha());
    EXPECT_FALSE(window->inputShape().has_value());
    NativeWindow::destroy(handle);
}

}  // namespace
}  // namespace vamu::platform::detail
