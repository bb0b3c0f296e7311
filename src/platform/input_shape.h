#pragma once
// Internal: the input region of a window with per-pixel alpha. Its fully transparent
// pixels let the mouse through to whatever lies below, as they do without a
// compositor (where the window's shape mask cuts them away). The region follows the
// drawn pixels in square cells of kCell pixels: a cell holding any pixel with alpha
// above 0 takes input, so up to kCell - 1 transparent pixels beside a drawn one may
// take it too. Only the cells under a presented area are read again, and a region
// whose cells did not change is not sent again.
//
//   back buffer            cells (8 x 8)          rectangles sent
//   ..##....               .#                     one per run of drawn cells in a
//   ..####..      ->       .##            ->      cell row; runs repeated on the
//   ........               ..                     next cell row extend the one above
//
// UI thread only.

#include <QImage>
#include <QRect>
#include <QRegion>
#include <QSize>

#include <cstdint>
#include <vector>

class QWindow;

namespace vamu::platform::detail {

class DrawnCells {
public:
    static constexpr int kCell = 8;

    // Reads again the cells the area (image coordinates) touches; a new image size
    // reads them all. True when any cell changed (or the size did).
    bool update(const QImage& image, const QRegion& area);
    // Forgets everything: the next update() reads the whole image.
    void reset();
    // The drawn cells as few rectangles, clipped to the image; empty when nothing is
    // drawn.
    [[nodiscard]] std::vector<QRect> rectangles() const;

private:
    [[nodiscard]] bool cellDrawn(const QImage& image, int column, int row) const;

    QSize m_size;
    int m_columns = 0;
    int m_rows = 0;
    std::vector<std::uint8_t> m_cells;  // row by row, 1 = drawn
};

// Gives the window the rectangles (device pixels of its surface, `ratio` per logical
// pixel; none = no input anywhere) as its input region: its X11 input shape, or on
// Wayland its surface's input region. Wayland reads an empty region as "everywhere",
// so there a single pixel in the window's corner, which no rounded skin draws, stands
// in for none. False, and nothing done, where the window system has no input region
// (the offscreen platform, an X server without the shape extension).
bool setInputShape(QWindow& window, const std::vector<QRect>& rectangles, qreal ratio);

}  // namespace vamu::platform::detail
