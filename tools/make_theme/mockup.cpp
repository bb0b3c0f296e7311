#include "mockup.h"

#include "toolkit/theme_pack.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>

#include <string>

namespace vamu::tools {

namespace {

using toolkit::ThemePack;

class Canvas {
public:
    Canvas(QPainter& painter, const ThemePack& theme) : m_p(painter), m_theme(theme) {}

    // A picture drawn as a nine-grid over `target`, or at natural size centred when the
    // element has no grid of that name.
    void part(std::string_view element, std::string_view key, const QRect& target, std::string_view grid = "gird") {
        const auto source = m_theme.rect(element, key);
        if (!source) return;
        const auto centre = m_theme.rect(element, grid);
        if (!centre) {
            const QPoint at = target.center() - QPoint(source->width() / 2, source->height() / 2);
            m_p.drawImage(QRect(at, source->size()), m_theme.atlas(), *source);
            return;
        }
        const int l = centre->x(), t = centre->y();
        const int r = source->width() - centre->right() - 1, b = source->height() - centre->bottom() - 1;
        const int xs[] = {0, l, source->width() - r, source->width()};
        const int ys[] = {0, t, source->height() - b, source->height()};
        const int xd[] = {target.left(), target.left() + l, target.right() + 1 - r, target.right() + 1};
        const int yd[] = {target.top(), target.top() + t, target.bottom() + 1 - b, target.bottom() + 1};
        for (int row = 0; row < 3; ++row)
            for (int col = 0; col < 3; ++col) {
                const QRect from(source->x() + xs[col], source->y() + ys[row], xs[col + 1] - xs[col],
                                 ys[row + 1] - ys[row]);
                const QRect to(xd[col], yd[row], xd[col + 1] - xd[col], yd[row + 1] - yd[row]);
                if (!from.isEmpty() && !to.isEmpty()) m_p.drawImage(to, m_theme.atlas(), from);
            }
    }

    void text(const QRect& box, const QString& words, const QColor& colour, int flags = Qt::AlignCenter) {
        m_p.setPen(colour);
        m_p.drawText(box, flags, words);
    }

    QPainter& painter() { return m_p; }
    const ThemePack& theme() const { return m_theme; }

private:
    QPainter& m_p;
    const ThemePack& m_theme;
};

void messageBox(Canvas& c, const QRect& window) {
    QPainter& p = c.painter();
    const QRect margin = *c.theme().rect("SysShadow.SubWnd", "margin");
    const QRect content = window.adjusted(margin.x(), margin.y(), margin.width(), margin.height());
    QPainterPath rounded;
    rounded.addRoundedRect(content, 3, 3);
    QPainterPath ring;
    ring.addRect(window);
    p.save();
    p.setClipPath(ring.subtracted(rounded));
    c.part("SysShadow.SubWnd", "rect", window);
    p.restore();

    p.save();
    p.setClipPath(rounded);
    p.fillRect(content, QColor(51, 153, 255, 210));
    // The strip's three bands, each stretched from its one column.
    const QRect strip = *c.theme().rect("MsgBox", "rect");
    const int head = 96, bar = 31, barHeight = 36;
    p.drawImage(QRect(content.x(), content.y(), content.width(), head), c.theme().atlas(),
                QRect(strip.x(), strip.y(), 1, head));
    p.drawImage(QRect(content.x(), content.bottom() + 1 - barHeight, content.width(), barHeight), c.theme().atlas(),
                QRect(strip.x(), strip.bottom() + 1 - bar, 1, bar - 1));
    p.drawImage(QRect(content.x(), content.y() + head, content.width(), content.height() - head - barHeight),
                c.theme().atlas(), QRect(strip.x(), strip.y() + head, 1, strip.height() - head - bar));
    c.text(QRect(content.x() + 8, content.y(), 200, 26), QStringLiteral("提示："), Qt::white,
           Qt::AlignLeft | Qt::AlignVCenter);
    const int right = content.right() + 1 - 1;
    c.part("SysButton.Close", "highlight", QRect(right - 39, content.y(), 39, 19));
    c.part("SysButton.Min", "normal", QRect(right - 39 - 28, content.y(), 28, 19));
    c.part("MsgBox", "m64", QRect(content.x() + 21, content.y() + 40, 38, 38));
    c.text(QRect(content.x() + 70, content.y() + 36, content.width() - 80, 44),
           QStringLiteral("歌曲已经下载完成，保存在音乐文件夹中。"), QColor(0x33, 0x33, 0x33),
           Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap);
    const int buttonsY = content.bottom() + 1 - barHeight / 2 - 13;
    c.part("Button", "focus", QRect(content.right() - 75, buttonsY, 70, 26));
    c.text(QRect(content.right() - 75, buttonsY, 70, 22), QStringLiteral("确认"), Qt::black);
    c.part("Button", "highlight", QRect(content.right() - 150, buttonsY, 70, 26));
    c.text(QRect(content.right() - 150, buttonsY, 70, 22), QStringLiteral("取消"), Qt::black);
    p.restore();

    const auto colours = c.theme().colours("SysShadow.SubWnd", "crborder");
    for (std::size_t i = 0; colours && i < colours->size(); ++i) {
        const qreal inset = static_cast<qreal>(i) + 0.5;
        p.setPen(QPen(QColor::fromRgba((*colours)[i]), 1));
        p.setBrush(Qt::NoBrush);
        const qreal radius = 3 + 1 - 2.0 * static_cast<qreal>(i);
        p.drawRoundedRect(QRectF(content).adjusted(inset, inset, -inset, -inset), radius, radius);
    }
}

void menu(Canvas& c, const QRect& window) {
    c.part("SysShadow.Menu", "rect", window);
    const QRect items = window.adjusted(4, 4, -4, -4);
    const QStringList texts = {QStringLiteral("剪切(T)"), QStringLiteral("复制(C)"), QString(),
                               QStringLiteral("全部选择(A)")};
    int y = items.top();
    for (int i = 0; i < texts.size(); ++i) {
        if (texts[i].isEmpty()) {
            c.painter().fillRect(QRect(items.left() + 2, y + 1, items.width() - 4, 1), QColor(51, 153, 255, 102));
            y += 3;
            continue;
        }
        const QRect row(items.left(), y, items.width(), 23);
        const bool hot = i == 0;
        if (hot) {
            QLinearGradient g(row.topLeft(), row.bottomLeft());
            g.setColorAt(0, QColor(51, 153, 255, 181));
            g.setColorAt(1, QColor(51, 153, 255, 204));
            c.painter().fillRect(row, g);
        }
        if (i == 1) c.part("SysShadow.Menu", "checkrect", QRect(row.left() + 5, row.top(), 15, row.height()), "none");
        c.text(row.adjusted(30, 0, 0, 0), texts[i], hot ? Qt::white : Qt::black, Qt::AlignLeft | Qt::AlignVCenter);
        y += 23;
    }
}

void fields(Canvas& c, QPoint at) {
    c.part("Edit", "normal", QRect(at, QSize(130, 26)));
    c.text(QRect(at + QPoint(6, 0), QSize(120, 26)), QStringLiteral("搜索歌曲"), QColor(128, 128, 128),
           Qt::AlignLeft | Qt::AlignVCenter);
    c.part("Edit", "focus", QRect(at + QPoint(0, 34), QSize(130, 26)));
    const QRect combo(at + QPoint(0, 68), QSize(130, 26));
    c.part("ComboBox", "normal", combo);
    c.part("ComboBox", "highlight_btn", QRect(combo.right() - 23, combo.top() + 1, 23, 24), "gird_btn");
    c.part("ComboBox", "spin_down", QRect(combo.right() - 23, combo.top() + 1, 23, 24), "none");
    c.text(combo.adjusted(6, 0, -26, 0), QStringLiteral("华语"), Qt::black, Qt::AlignLeft | Qt::AlignVCenter);

    const QPoint choices = at + QPoint(150, 0);
    const char* keys[] = {"normal", "highlight_ck", "normal_ck"};
    for (int i = 0; i < 3; ++i) {
        c.part("CheckButton", keys[i], QRect(choices + QPoint(0, 26 * i), QSize(17, 26)), "none");
        c.part("RadioButton", keys[i], QRect(choices + QPoint(80, 26 * i), QSize(17, 26)), "none");
        c.text(QRect(choices + QPoint(20, 26 * i), QSize(60, 26)), QStringLiteral("自动登陆"), Qt::black,
               Qt::AlignLeft | Qt::AlignVCenter);
    }
    c.part("Button", "normal", QRect(at + QPoint(0, 104), QSize(90, 30)));
    c.text(QRect(at + QPoint(0, 104), QSize(90, 26)), QStringLiteral("搜索"), Qt::black);
    c.part("Button", "down", QRect(at + QPoint(100, 104), QSize(60, 30)));
    c.text(QRect(at + QPoint(100, 105), QSize(60, 26)), QStringLiteral("下一页"), Qt::black);
}

void scrollBars(Canvas& c, QPoint at) {
    c.part("ScrollBar", "v_up_normal", QRect(at, QSize(10, 9)), "none");
    c.part("ScrollBar", "v_bg", QRect(at + QPoint(1, 10), QSize(8, 110)), "v_bg_gird");
    c.part("ScrollBar", "v_highlight", QRect(at + QPoint(1, 30), QSize(8, 46)), "v_gird");
    c.part("ScrollBar", "v_down_highlight", QRect(at + QPoint(0, 121), QSize(10, 9)), "none");
    const QPoint h = at + QPoint(24, 0);
    c.part("ScrollBar", "h_bg", QRect(h, QSize(90, 8)), "h_bg_gird");
    c.part("ScrollBar", "h_normal", QRect(h, QSize(40, 8)), "h_gird");
    c.part("ScrollBar", "h_bg", QRect(h + QPoint(0, 20), QSize(90, 8)), "h_bg_gird");
    c.part("ScrollBar", "h_down", QRect(h + QPoint(30, 20), QSize(40, 8)), "h_gird");
    c.part("UpDown", "normal", QRect(h + QPoint(0, 44), QSize(14, 14)));
    c.part("UpDown", "spin_up", QRect(h + QPoint(0, 44), QSize(14, 14)), "none");
    c.part("UpDown", "highlight", QRect(h + QPoint(0, 58), QSize(14, 14)));
    c.part("UpDown", "spin_down", QRect(h + QPoint(0, 58), QSize(14, 14)), "none");
}

}  // namespace

QImage paintMockup(const ThemePack& theme) {
    QImage image(560, 330, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&image);
    QLinearGradient backdrop(0, 0, 560, 330);
    backdrop.setColorAt(0, QColor(0xE9, 0xEE, 0xF5));
    backdrop.setColorAt(1, QColor(0xD5, 0xDE, 0xEA));
    p.fillRect(image.rect(), backdrop);
    QFont font(QStringLiteral("WenQuanYi Micro Hei"));
    font.setPixelSize(12);
    p.setFont(font);
    Canvas canvas(p, theme);
    messageBox(canvas, QRect(16, 16, 330, 160));
    menu(canvas, QRect(370, 16, 130, 88));
    fields(canvas, QPoint(20, 190));
    scrollBars(canvas, QPoint(390, 130));
    return image;
}

}  // namespace vamu::tools
