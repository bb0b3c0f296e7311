// The message box and tray icon page of the gallery in a skinned window.
//   vamu-gallery-msgbox [--quit-after MS]
#include "platform/application.h"
#include "platform/system.h"
#include "toolkit/host_window.h"
#include "toolkit/toolkit.h"

#include <QPainter>
#include <QTimer>

namespace vamu::gallery {
void buildMessageBoxPage(toolkit::HostWindow& window);
}

namespace {

using namespace vamu;
using namespace vamu::toolkit;

constexpr QSize kWindowSize(440, 300);

// A blue caption band over a light body; the boxes the page opens take it as their
// owner's skin.
QImage makeSkin() {
    QImage skin(kWindowSize, QImage::Format_ARGB32_Premultiplied);
    skin.fill(QColor(0xEE, 0xF2, 0xF7));
    QPainter painter(&skin);
    painter.fillRect(QRect(0, 0, kWindowSize.width(), 28), QColor(0x2F, 0x6F, 0xB8));
    return skin;
}

}  // namespace

int main(int argc, char** argv) {
    // The tray part needs the platform layer's application object.
    const auto app = platform::createApplication(argc, argv);
    toolkitStartup();
    auto window = std::make_unique<HostWindow>();
    WindowSpec place;
    place.title = QStringLiteral("消息框与托盘图标");
    place.left = 40;
    place.top = 40;
    place.size = kWindowSize;
    AttachOptions options;
    options.captionFlags = caption::kTitle | caption::kClose | caption::kMin;
    options.alpha = 255;
    options.backgroundPicture = makeSkin();
    window->attach(createNativeWindow(place), options);
    gallery::buildMessageBoxPage(*window);
    window->bindClose([](const Event&) {
        QTimer::singleShot(0, [] { QCoreApplication::quit(); });
        return false;
    });
    window->show();
    const QStringList arguments = app->arguments();
    const int quitAt = arguments.indexOf(QStringLiteral("--quit-after"));
    if (quitAt >= 0 && quitAt + 1 < arguments.size()) {
        QTimer::singleShot(arguments.at(quitAt + 1).toInt(), [] { QCoreApplication::quit(); });
    }
    const int code = app->exec();
    window.reset();
    platform::shutdown();
    return code;
}
