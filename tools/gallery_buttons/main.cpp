// The buttons page of the gallery in a skinned window with every caption button.
//   vamu-gallery-buttons [--quit-after MS] [--no-open]
// --no-open shows the address a link would open instead of handing it to the desktop.
#include "platform/desktop.h"
#include "platform/system.h"
#include "toolkit/host_window.h"
#include "toolkit/toolkit.h"

#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QTimer>

#include <cstdio>

namespace vamu::gallery {
void buildButtonsPage(toolkit::HostWindow& window);
}

namespace {

using namespace vamu;
using namespace vamu::toolkit;

constexpr QSize kWindowSize(640, 490);

// A blue caption band, a light body and a dark panel behind the automatic-colour
// label, as large as the window so that the panel stays where the label is.
QImage makeSkin() {
    QImage skin(kWindowSize, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&skin);
    QLinearGradient band(0, 0, 0, 30);
    band.setColorAt(0, QColor(0x2F, 0x6F, 0xB8));
    band.setColorAt(1, QColor(0x24, 0x5C, 0x9E));
    painter.fillRect(QRect(0, 0, kWindowSize.width(), 30), band);
    QLinearGradient body(0, 30, 0, kWindowSize.height());
    body.setColorAt(0, QColor(0xF5, 0xF8, 0xFB));
    body.setColorAt(1, QColor(0xE3, 0xEA, 0xF1));
    painter.fillRect(QRect(0, 30, kWindowSize.width(), kWindowSize.height() - 30), body);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(0x23, 0x33, 0x48));
    painter.setPen(Qt::NoPen);
    painter.drawRoundedRect(QRectF(404, 380, 214, 36), 6, 6);
    return skin;
}

QImage makeIcon() {
    QImage icon(32, 32, QImage::Format_ARGB32_Premultiplied);
    icon.fill(Qt::transparent);
    QPainter painter(&icon);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(0x2B, 0x7C, 0xD3));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QRectF(1, 1, 30, 30));
    painter.setBrush(Qt::white);
    painter.drawEllipse(QRectF(11, 7, 8, 8));
    painter.drawRect(QRectF(17, 9, 2, 14));
    painter.drawEllipse(QRectF(9, 19, 10, 8));
    return icon;
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    toolkitStartup();
    const QStringList arguments = app.arguments();
    if (arguments.contains(QStringLiteral("--no-open"))) {
        platform::setAddressOpener([](const QString& address) {
            std::fprintf(stderr, "open: %s\n", address.toUtf8().constData());
            return true;
        });
    }
    HostWindow window;
    WindowSpec spec;
    spec.title = QStringLiteral("按钮、标签与图片");
    spec.left = 60;
    spec.top = 40;
    spec.size = kWindowSize;
    AttachOptions options;
    options.captionFlags = caption::kIcon | caption::kTitle | caption::kClose | caption::kMax | caption::kMin |
                           caption::kMenu | caption::kSkin | caption::kReport | caption::kSetting;
    options.alpha = 255;
    options.backgroundPicture = makeSkin();
    window.attach(createNativeWindow(spec), options);
    window.setIcon(makeIcon());
    window.setCloseOnEscape(true);
    gallery::buildButtonsPage(window);
    window.bindClose([](const Event&) {
        QTimer::singleShot(100, [] { QGuiApplication::quit(); });
        return false;
    });
    window.show();
    const int quitAt = arguments.indexOf(QStringLiteral("--quit-after"));
    if (quitAt >= 0 && quitAt + 1 < arguments.size()) {
        QTimer::singleShot(arguments.at(quitAt + 1).toInt(), [] { QGuiApplication::quit(); });
    }
    const int code = app.exec();
    window.destroyWindow();
    platform::shutdown();
    return code;
}
