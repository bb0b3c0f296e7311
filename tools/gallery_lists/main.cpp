// The range controls and list view page of the gallery in a skinned window.
//   vamu-gallery-lists [--quit-after MS]
#include "platform/system.h"
#include "toolkit/host_window.h"
#include "toolkit/toolkit.h"

#include <QGuiApplication>
#include <QPainter>
#include <QTimer>

namespace vamu::gallery {
void buildListsPage(toolkit::HostWindow& window);
}

namespace {

using namespace vamu;
using namespace vamu::toolkit;

constexpr QSize kWindowSize(450, 400);

// A blue caption band over a light body.
QImage makeSkin() {
    QImage skin(kWindowSize, QImage::Format_ARGB32_Premultiplied);
    skin.fill(QColor(0xF7, 0xF9, 0xFB));
    QPainter painter(&skin);
    painter.fillRect(QRect(0, 0, kWindowSize.width(), 30), QColor(0x2F, 0x6F, 0xB8));
    return skin;
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    toolkitStartup();
    auto window = std::make_unique<HostWindow>();
    WindowSpec place;
    place.title = QStringLiteral("vamu 控件库 - 列表与范围控件");
    place.left = 40;
    place.top = 40;
    place.size = kWindowSize;
    AttachOptions options;
    options.captionFlags = caption::kIcon | caption::kTitle | caption::kClose | caption::kMin;
    options.alpha = 255;
    options.backgroundPicture = makeSkin();
    window->attach(createNativeWindow(place), options);
    gallery::buildListsPage(*window);
    window->bindClose([](const Event&) {
        QTimer::singleShot(0, [] { QGuiApplication::quit(); });
        return false;
    });
    window->show();
    const QStringList arguments = app.arguments();
    const int quitAt = arguments.indexOf(QStringLiteral("--quit-after"));
    if (quitAt >= 0 && quitAt + 1 < arguments.size()) {
        QTimer::singleShot(arguments.at(quitAt + 1).toInt(), [] { QGuiApplication::quit(); });
    }
    const int code = app.exec();
    window.reset();
    platform::shutdown();
    return code;
}
