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

// Gives the window's X11 input shape the rectangles (window coordinates; none = no
// input anywhere). False, and nothing done, where the window does not live on an
// X11 display with the shape extension (the offscreen platform, Wayland).
bool setInputShape(const QWindow& window, const std::vector<QRect>& rectangles);

}  // namespace vamu::platform::detail
