// The edit and menu page of the gallery in a skinned window.
//   vamu-gallery-edit [--quit-after MS]
#include "platform/system.h"
#include "toolkit/host_window.h"
#include "toolkit/toolkit.h"

#include <QGuiApplication>
#include <QTimer>

namespace vamu::gallery {
void buildEditPage(toolkit::HostWindow& window);
}

int main(int argc, char** argv) {
    using namespace vamu;
    using namespace vamu::toolkit;
    QGuiApplication app(argc, argv);
    toolkitStartup();
    HostWindow window;
    WindowSpec spec;
    spec.title = QStringLiteral("编辑框与菜单");
    spec.left = 60;
    spec.top = 60;
    spec.size = QSize(480, 300);
    AttachOptions options;
    options.captionFlags = caption::kIcon | caption::kTitle | caption::kClose;
    options.alpha = 255;
    options.backgroundColour = 0xF5EFE9;  // Windows colour value: a light grey-blue
    window.attach(createNativeWindow(spec), options);
    window.setCloseOnEscape(true);
    gallery::buildEditPage(window);
    window.bindClose([](const Event&) {
        QTimer::singleShot(100, [] { QGuiApplication::quit(); });
        return false;
    });
    window.show();
    const QStringList arguments = app.arguments();
    const int quitAt = arguments.indexOf(QStringLiteral("--quit-after"));
    if (quitAt >= 0 && quitAt + 1 < arguments.size()) {
        QTimer::singleShot(arguments.at(quitAt + 1).toInt(), [] { QGuiApplication::quit(); });
    }
    const int code = app.exec();
    window.destroyWindow();
    platform::shutdown();
    return code;
}
