#include "gallery_pages.h"

#include "toolkit/controls/paint.h"

#include <QLinearGradient>
#include <QPainter>

#include <algorithm>
#include <array>

namespace vamu::gallery {
namespace {

using namespace vamu::toolkit;

const std::array<PageSetup, 4> kPages{{
    {"buttons", QStringLiteral("按钮、标签与图片"), QSize(640, 490), &buildButtonsPage},
    {"lists", QStringLiteral("列表与范围控件"), QSize(450, 400), &buildListsPage},
    {"edit", QStringLiteral("编辑框与菜单"), QSize(480, 300), &buildEditPage},
    {"msgbox", QStringLiteral("消息框与托盘图标"), QSize(440, 300), &buildMessageBoxPage},
}};

// The buttons page keeps a dark panel behind its automatic-colour label (bottom right).
void paintButtonsPanel(QImage& skin) {
    QPainter painter(&skin);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(0x23, 0x33, 0x48));
    painter.setPen(Qt::NoPen);
    painter.drawRoundedRect(QRectF(404, 380, 214, 36), 6, 6);
}

}  // namespace

QImage paintSkin(QSize size) {
    QImage skin(size, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&skin);
    QLinearGradient band(0, 0, 0, 30);
    band.setColorAt(0, QColor(0x2F, 0x6F, 0xB8));
    band.setColorAt(1, QColor(0x24, 0x5C, 0x9E));
    painter.fillRect(QRect(0, 0, size.width(), 30), band);
    QLinearGradient body(0, 30, 0, size.height());
    body.setColorAt(0, QColor(0xF5, 0xF8, 0xFB));
    body.setColorAt(1, QColor(0xE3, 0xEA, 0xF1));
    painter.fillRect(QRect(0, 30, size.width(), size.height() - 30), body);
    return skin;
}

QRect skinGrid(QSize size) { return QRect(8, 32, size.width() - 16, size.height() - 40); }

std::span<const PageSetup> pages() { return kPages; }

const PageSetup* findPage(std::string_view name) {
    const auto it =
        std::find_if(kPages.begin(), kPages.end(), [name](const PageSetup& page) { return page.name == name; });
    return it == kPages.end() ? nullptr : &*it;
}

QImage galleryIcon() {
    QImage icon(32, 32, QImage::Format_ARGB32_Premultiplied);
    icon.fill(Qt::transparent);
    QPainter painter(&icon);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(0x2B, 0x7C, 0xD3));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QRectF(1, 1, 30, 30));
    painter.setBrush(Qt::white);
    painter.drawEllipse(QRectF(9, 9, 14, 14));
    return icon;
}

std::unique_ptr<HostWindow> makePageWindow(const PageSetup& page, QPoint topLeft) {
    auto window = std::make_unique<HostWindow>();
    WindowSetup setup;
    setup.title = page.title;
    setup.left = topLeft.x();
    setup.top = topLeft.y();
    setup.size = page.size;
    AttachOptions options;
    options.captionFlags = caption::kIcon | caption::kTitle | caption::kClose | caption::kMin;
    options.alpha = 255;
    QImage skin = paintSkin(page.size);
    if (page.build == &buildButtonsPage) paintButtonsPanel(skin);
    options.backgroundPicture = std::move(skin);
    options.fillType = paint::fill::kNineGrid;
    options.backgroundGrid = skinGrid(page.size);
    window->attach(createNativeWindow(setup), options);
    window->setIcon(galleryIcon());
    window->setCloseOnEscape(true);
    page.build(*window);
    return window;
}

}  // namespace vamu::gallery
