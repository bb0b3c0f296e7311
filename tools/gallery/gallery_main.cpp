// The toolkit gallery: a shadowed layered window with every caption button and a few
// controls drawn with the painting primitives, and a window without alpha with
// rounded corners. Run it under Xvfb to look at the toolkit.
//   vamu-gallery [--quit-after MS]
#include "gallery_controls.h"

#include "platform/system.h"
#include "platform/window_animation.h"
#include "toolkit/host_window.h"
#include "toolkit/toolkit.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QTimer>

#include <memory>

namespace {

using namespace vamu;
using namespace vamu::toolkit;

QImage makeIcon() {
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

// A skin picture: a blue caption band over a light body, stretched over the content.
QImage makeSkin() {
    QImage skin(64, 360, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&skin);
    QLinearGradient band(0, 0, 0, 30);
    band.setColorAt(0, QColor(0x2F, 0x6F, 0xB8));
    band.setColorAt(1, QColor(0x24, 0x5C, 0x9E));
    painter.fillRect(QRect(0, 0, 64, 30), band);
    QLinearGradient body(0, 30, 0, 360);
    body.setColorAt(0, QColor(0xF5, 0xF8, 0xFB));
    body.setColorAt(1, QColor(0xE6, 0xEC, 0xF2));
    painter.fillRect(QRect(0, 30, 64, 330), body);
    return skin;
}

std::unique_ptr<HostWindow> makeRoundWindow() {
    auto window = std::make_unique<HostWindow>();
    WindowSpec spec;
    spec.title = QStringLiteral("圆角窗口");
    spec.left = 560;
    spec.top = 120;
    spec.size = QSize(300, 200);
    AttachOptions options;
    options.captionFlags = caption::kIcon | caption::kTitle | caption::kClose;
    options.backgroundColour = 0x6B4A2E;  // Windows colour value: a dark blue
    options.cornerRadius = 12;
    window->attach(createNativeWindow(spec), options);
    window->setIcon(makeIcon());
    gallery::Caption::make(*window, QRect(16, 50, 260, 60),
                           QStringLiteral("没有透明度的窗口：内容区域带圆角，窗口形状由区域裁出。"), 0xFFFFFFFF, 13);
    return window;
}

std::unique_ptr<HostWindow> makeMainWindow(HostWindow* roundWindow) {
    auto window = std::make_unique<HostWindow>();
    WindowSpec spec;
    spec.title = QStringLiteral("vamu 控件库");
    spec.left = 80;
    spec.top = 80;
    spec.size = QSize(440, 360);
    spec.sizable = true;
    AttachOptions options;
    options.captionFlags = caption::kIcon | caption::kTitle | caption::kClose | caption::kMax | caption::kMin |
                           caption::kMenu | caption::kSkin | caption::kReport | caption::kSetting;
    options.alpha = 255;
    options.backgroundPicture = makeSkin();
    options.fillType = 1;
    window->attach(createNativeWindow(spec), options);
    window->setIcon(makeIcon());
    window->setCloseOnEscape(true);
    window->setCloseAnimation(platform::WindowAnimation::Fade, std::chrono::milliseconds(180));
    window->setTrackSizes(QSize(360, 300), QSize());

    HostWindow& host = *window;
    gallery::Caption::make(host, QRect(16, 36, 400, 20), QStringLiteral("按钮、复选框、文字效果与绘制原语"), 0xFF2B3A4A, 13);
    auto* ok = gallery::SkinButton::make(host, QRect(16, 66, 90, 28), QStringLiteral("确定"));
    ok->setTips(QStringLiteral("悬停、按下和焦点都有各自的外观"));
    auto* toggle = gallery::SkinButton::make(host, QRect(116, 66, 130, 28), QStringLiteral("圆角窗口(&R)"), [roundWindow] {
        if (!roundWindow->nativeWindow()) return;
        if (roundWindow->nativeWindow()->isVisible()) roundWindow->nativeWindow()->hide();
        else roundWindow->show(platform::WindowAnimation::FadeSlideUp, std::chrono::milliseconds(200));
    });
    toggle->setTips(QStringLiteral("Alt+R 也可以"));
    auto* disabled = gallery::SkinButton::make(host, QRect(256, 66, 90, 28), QStringLiteral("不可用"));
    disabled->setDisabled(true);
    gallery::CheckSample::make(host, QRect(16, 106, 160, 22), QStringLiteral("记住我的选择"));
    gallery::CheckSample::make(host, QRect(186, 106, 160, 22), QStringLiteral("显示弹幕"));
    BaseControl::create(std::make_unique<gallery::TextSample>(), host, QRect(16, 140, 400, 44), kind::kLabel, "Label");
    BaseControl::create(std::make_unique<gallery::Swatches>(), host, QRect(16, 196, 210, 72), kind::kLabel, "Label");
    auto* footer = gallery::Caption::make(host, QRect(16, 300, 400, 20),
                                          QStringLiteral("拖动空白处移动窗口；Tab 切换焦点；Esc 关闭。"), 0xFF6A7A8A);
    footer->setLockPos(true, false, true, true);
    window->bindClose([](const Event&) {
        QTimer::singleShot(250, [] { QCoreApplication::exit(0); });
        return false;
    });
    return window;
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    toolkitStartup();
    auto roundWindow = makeRoundWindow();
    auto mainWindow = makeMainWindow(roundWindow.get());
    mainWindow->show(platform::WindowAnimation::Fade, std::chrono::milliseconds(150));
    roundWindow->show();
    const QStringList arguments = app.arguments();
    const int quitAt = arguments.indexOf(QStringLiteral("--quit-after"));
    if (quitAt >= 0 && quitAt + 1 < arguments.size()) {
        QTimer::singleShot(arguments.at(quitAt + 1).toInt(), [] { QCoreApplication::exit(0); });
    }
    const int code = app.exec();
    mainWindow.reset();
    roundWindow.reset();
    platform::shutdown();
    return code;
}
