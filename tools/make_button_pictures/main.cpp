// Draws the thunder button's strip: four rounded cells of 13 by 28 pixels at
// x = 0, 14, 28 and 42 (normal, hot, pressed, and a spare pale cell). The face
// covers the top 25 rows; the three rows below carry a soft shadow. The button
// stretches a cell as a nine-grid with the centre (5, 5, 3, 15).
//
//   make_button_pictures OUT.png

#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <cstdio>

namespace {

struct Cell {
    QColor top;
    QColor bottom;
    QColor rim;
    bool splitLowerHalf = false;  // the hot look: a grey lower half
};

void drawCell(QPainter& painter, int x, const Cell& cell) {
    const QRectF face(x + 0.5, 0.5, 12, 24);
    // Shadow below the face.
    for (int row = 0; row < 3; ++row) {
        painter.setPen(QColor(0, 0, 0, 40 - row * 12));
        painter.drawLine(QPointF(x + 2, 25.5 + row), QPointF(x + 10, 25.5 + row));
    }
    QPainterPath path;
    path.addRoundedRect(face, 3, 3);
    QLinearGradient fill(face.topLeft(), face.bottomLeft());
    fill.setColorAt(0, cell.top);
    if (cell.splitLowerHalf) {
        fill.setColorAt(0.49, cell.top.darker(104));
        fill.setColorAt(0.51, cell.bottom.lighter(104));
    }
    fill.setColorAt(1, cell.bottom);
    painter.fillPath(path, fill);
    // A light inner line gives the face some relief.
    QPainterPath inner;
    inner.addRoundedRect(face.adjusted(1, 1, -1, -1), 2, 2);
    painter.strokePath(inner, QPen(QColor(255, 255, 255, 110), 1));
    painter.strokePath(path, QPen(cell.rim, 1));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_button_pictures OUT.png\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QImage strip(55, 28, QImage::Format_ARGB32_Premultiplied);
    strip.fill(Qt::transparent);
    {
        QPainter painter(&strip);
        painter.setRenderHint(QPainter::Antialiasing);
        drawCell(painter, 0, {QColor(0xFA, 0xFB, 0xFD), QColor(0xE4, 0xE9, 0xF0), QColor(0x8C, 0x9C, 0xB2)});
        drawCell(painter, 14, {QColor(0xF2, 0xF7, 0xFD), QColor(0xD3, 0xD7, 0xDD), QColor(0x3A, 0x80, 0xD2), true});
        drawCell(painter, 28, {QColor(0xB4, 0xC0, 0xCE), QColor(0x9A, 0xA8, 0xBA), QColor(0x5A, 0x6C, 0x84)});
        drawCell(painter, 42, {QColor(0xFD, 0xFD, 0xFE), QColor(0xF0, 0xF2, 0xF5), QColor(0xC8, 0xCF, 0xD8)});
    }
    if (!strip.save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "make_button_pictures: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
