// Push buttons, check boxes and radio buttons.
#include "atlas.h"
#include "atlas_paint.h"
#include "theme_table.h"

#include <string>

namespace vamu::tools {

namespace {

struct StateKey {
    std::string_view key;
    PartState state;
};

void pushButton(QPainter& p, QSize size, PartState state) {
    // The face fills all but the bottom two rows, which hold its shadow (the skin's
    // "margin" keeps text off them).
    const QRect face(0, 0, size.width(), size.height() - 2);
    if (state != PartState::Down) {
        paintSoftShadow(
            p, QPoint(0, 0), size,
            [face](QPainter& m) {
                m.setPen(Qt::NoPen);
                m.setBrush(Qt::black);
                m.drawRoundedRect(QRectF(face).adjusted(1, 1.5, -1, 0.5), 3, 3);
            },
            0.9, withAlpha(Qt::black, 0x3A));
    }
    QColor top = palette::kSurface, bottom = palette::kSurfaceLow, outline = palette::kBorder;
    switch (state) {
    case PartState::Normal:
        break;
    case PartState::Highlight:
        bottom = palette::kAccentTint;
        outline = palette::kAccentLight;
        break;
    case PartState::Down:
        top = palette::kAccentTintStrong;
        bottom = palette::kAccentTint;
        outline = palette::kAccent;
        break;
    case PartState::Focus:
        outline = palette::kAccent;
        break;
    }
    paintFramedBox(p, face, 3, verticalGradient(face, top, bottom), outline);
    if (state == PartState::Focus) {
        p.setPen(QPen(withAlpha(palette::kAccent, 0x40), 1));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(QRectF(face).adjusted(1.5, 1.5, -1.5, -1.5), 2, 2);
    }
}

// The box of a check or radio button: a 13 px square or circle centred in 17 px.
void choiceFace(QPainter& p, PartState state, bool checked, bool round) {
    const QRect box(2, 2, 13, 13);
    const QRectF line = QRectF(box).adjusted(0.5, 0.5, -0.5, -0.5);
    QBrush fill;
    QColor outline;
    if (checked) {
        const QColor base = state == PartState::Highlight ? palette::kAccentLight
                            : state == PartState::Down    ? palette::kAccentDark
                                                          : palette::kAccent;
        fill = verticalGradient(box, base.lighter(108), base);
        outline = base.darker(112);
    } else {
        fill = state == PartState::Normal      ? QBrush(verticalGradient(box, palette::kSurface, palette::kSurfaceLow))
               : state == PartState::Highlight ? QBrush(palette::kAccentTint)
                                               : QBrush(palette::kAccentTintStrong);
        outline = state == PartState::Normal      ? palette::kBorderStrong
                  : state == PartState::Highlight ? palette::kAccentLight
                                                  : palette::kAccent;
    }
    p.setBrush(fill);
    p.setPen(QPen(outline, 1));
    if (round)
        p.drawEllipse(line);
    else
        p.drawRoundedRect(line, 2.5, 2.5);
    if (!checked) return;
    if (round) {
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(8.5, 8.5), 2.6, 2.6);
    } else {
        strokePolyline(p, {{5.2, 8.6}, {7.4, 10.8}, {11.8, 6.2}}, Qt::white, 1.7);
    }
}

void paintChoices(QImage& atlas, std::string_view element, bool round) {
    const StateKey states[] = {
        {"normal", PartState::Normal}, {"highlight", PartState::Highlight}, {"down", PartState::Down}};
    for (const bool checked : {false, true}) {
        // Not structured bindings: clang 14 refuses lambdas that capture those.
        for (const StateKey& entry : states) {
            const PartState state = entry.state;
            const std::string name = std::string(entry.key) + (checked ? "_ck" : "");
            paintInRegion(atlas, themeRect(element, name),
                          [&](QPainter& p, QSize) { choiceFace(p, state, checked, round); });
        }
    }
}

}  // namespace

void paintButtons(QImage& atlas) {
    const StateKey states[] = {{"normal", PartState::Normal},
                               {"highlight", PartState::Highlight},
                               {"down", PartState::Down},
                               {"focus", PartState::Focus}};
    for (const StateKey& entry : states) {
        const PartState state = entry.state;
        paintInRegion(atlas, themeRect("Button", entry.key),
                      [state](QPainter& p, QSize size) { pushButton(p, size, state); });
    }
    paintChoices(atlas, "CheckButton", false);
    paintChoices(atlas, "RadioButton", true);
}

}  // namespace vamu::tools
