// The toolkit gallery: a shadowed layered window with every caption button, a few
// controls drawn with the painting primitives and a button per page of controls, and a
// window without alpha with rounded corners. Run it under Xvfb to look at the toolkit.
//   vamu-gallery [--page buttons|lists|edit|msgbox] [--quit-after MS] [--no-open]
// --page shows that page alone; --no-open prints the addresses links would open.
#include "gallery_controls.h"
#include "gallery_pages.h"

#include "platform/application.h"
#include "platform/desktop.h"

#include "platform/system.h"
#include "platform/window_animation.h"
#include "toolkit/controls/paint.h"
#include "toolkit/host_window.h"
#include "toolkit/toolkit.h"

#include <QCoreApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QTimer>

#include <cstdio>
#include <map>
#include <memory>

namespace {

using namespace vamu;
using namespace vamu::toolkit;

// A skin picture: a blue caption band over a light body, stretched over the content.
std::unique_ptr<HostWindow> makeRoundWindow() {
    auto window = std::make_unique<HostWindow>();
    WindowSetup setup;
    setup.title = QStringLiteral("圆角窗口");
    setup.left = 560;
    setup.top = 120;
    setup.size = QSize(300, 200);
    AttachOptions options;
    options.captionFlags = caption::kIcon | caption::kTitle | caption::kClose;
    options.backgroundColour = 0x6B4A2E;  // Windows colour value: a dark blue
    options.cornerRadius = 12;
    window->attach(createNativeWindow(setup), options);
    window->setIcon(gallery::galleryIcon());
    gallery::Caption::make(*window, QRect(16, 50, 260, 60),
                           QStringLiteral("没有透明度的窗口：内容区域带圆角，窗口形状由区域裁出。"), 0xFFFFFFFF, 13);
    return window;
}

// The page windows, made when their button is first pressed.
using PageWindows = std::map<std::string_view, std::unique_ptr<HostWindow>>;

void togglePage(PageWindows& windows, const gallery::PageSetup& page) {
    auto& window = windows[page.name];
    if (!window) {
        window = gallery::makePageWindow(page, QPoint(620, 60 + 30 * static_cast<int>(windows.size())));
        window->show(platform::WindowAnimation::FadeSlideUp, std::chrono::milliseconds(200));
        return;
    }
    if (window->nativeWindow() && window->nativeWindow()->isVisible())
        window->nativeWindow()->hide();
    else
        window->show();
}

std::unique_ptr<HostWindow> makeMainWindow(HostWindow* roundWindow, PageWindows& pageWindows) {
    auto window = std::make_unique<HostWindow>();
    WindowSetup setup;
    setup.title = QStringLiteral("vamu 控件库");
    setup.left = 80;
    setup.top = 80;
    setup.size = QSize(520, 400);
    setup.sizable = true;
    AttachOptions options;
    options.captionFlags = caption::kIcon | caption::kTitle | caption::kClose | caption::kMax | caption::kMin |
                           caption::kMenu | caption::kSkin | caption::kReport | caption::kSetting;
    options.alpha = 255;
    options.backgroundPicture = gallery::paintSkin(QSize(64, 360));
    options.fillType = paint::fill::kNineGrid;
    options.backgroundGrid = gallery::skinGrid(QSize(64, 360));
    window->attach(createNativeWindow(setup), options);
    window->setIcon(gallery::galleryIcon());
    window->setCloseOnEscape(true);
    window->setCloseAnimation(platform::WindowAnimation::Fade, std::chrono::milliseconds(180));
    window->setTrackSizes(QSize(360, 300), QSize());

    HostWindow& host = *window;
    gallery::Caption::make(host, QRect(16, 36, 400, 20), QStringLiteral("按钮、复选框、文字效果与绘制原语"), 0xFF2B3A4A,
                           13);
    auto* ok = gallery::SkinButton::make(host, QRect(16, 66, 90, 28), QStringLiteral("确定"));
    ok->setTips(QStringLiteral("悬停、按下和焦点都有各自的外观"));
    auto* toggle =
        gallery::SkinButton::make(host, QRect(116, 66, 130, 28), QStringLiteral("圆角窗口(&R)"), [roundWindow] {
            if (!roundWindow->nativeWindow()) return;
            if (roundWindow->nativeWindow()->isVisible())
                roundWindow->nativeWindow()->hide();
            else
                roundWindow->show(platform::WindowAnimation::FadeSlideUp, std::chrono::milliseconds(200));
        });
    toggle->setTips(QStringLiteral("Alt+R 也可以"));
    auto* disabled = gallery::SkinButton::make(host, QRect(256, 66, 90, 28), QStringLiteral("不可用"));
    disabled->setDisabled(true);
    gallery::CheckSample::make(host, QRect(16, 106, 160, 22), QStringLiteral("记住我的选择"));
    gallery::CheckSample::make(host, QRect(186, 106, 160, 22), QStringLiteral("显示弹幕"));
    BaseControl::create(std::make_unique<gallery::TextSample>(), host, QRect(16, 140, 400, 44), kind::kLabel, "Label");
    BaseControl::create(std::make_unique<gallery::Swatches>(), host, QRect(16, 196, 210, 72), kind::kLabel, "Label");
    int left = 16;
    for (const gallery::PageSetup& page : gallery::pages()) {
        const int width = 12 * static_cast<int>(page.title.size()) + 24;
        gallery::SkinButton::make(host, QRect(left, 284, width, 28), page.title,
                                  [&pageWindows, &page] { togglePage(pageWindows, page); });
        left += width + 8;
    }
    auto* footer = gallery::Caption::make(host, QRect(16, 340, 400, 20),
                                          QStringLiteral("拖动空白处移动窗口；Tab 切换焦点；Esc 关闭。"), 0xFF6A7A8A);
    footer->setLockPos(true, false, true, true);
    window->bindClose([](const Event&) {
        QTimer::singleShot(250, [] { QCoreApplication::exit(0); });
        return false;
    });
    return window;
}

int quitAfter(const QStringList& arguments) {
    const int at = arguments.indexOf(QStringLiteral("--quit-after"));
    return at >= 0 && at + 1 < arguments.size() ? arguments.at(at + 1).toInt() : -1;
}

QString optionValue(const QStringList& arguments, const QString& option) {
    const int at = arguments.indexOf(option);
    return at >= 0 && at + 1 < arguments.size() ? arguments.at(at + 1) : QString();
}

}  // namespace

int main(int argc, char** argv) {
    // The tray icon of the message-box page needs the platform's application object.
    const auto app = platform::createApplication(argc, argv);
    toolkitStartup();
    const QStringList arguments = app->arguments();
    if (arguments.contains(QStringLiteral("--no-open"))) {
        platform::setAddressOpener([](const QString& address) {
            std::fprintf(stderr, "open: %s\n", address.toUtf8().constData());
            return true;
        });
    }
    const QString pageName = optionValue(arguments, QStringLiteral("--page"));
    std::unique_ptr<HostWindow> roundWindow;
    std::unique_ptr<HostWindow> mainWindow;
    PageWindows pageWindows;
    if (!pageName.isEmpty()) {
        const gallery::PageSetup* page = gallery::findPage(pageName.toStdString());
        if (!page) {
            std::fprintf(stderr, "vamu-gallery: no page \"%s\" (buttons, lists, edit, msgbox)\n", qPrintable(pageName));
            return 2;
        }
        mainWindow = gallery::makePageWindow(*page, QPoint(40, 40));
        mainWindow->bindClose([](const Event&) {
            QTimer::singleShot(100, [] { QCoreApplication::exit(0); });
            return false;
        });
        mainWindow->show();
    } else {
        roundWindow = makeRoundWindow();
        mainWindow = makeMainWindow(roundWindow.get(), pageWindows);
        mainWindow->show(platform::WindowAnimation::Fade, std::chrono::milliseconds(150));
        roundWindow->show();
    }
    if (const int quitAt = quitAfter(arguments); quitAt >= 0) {
        QTimer::singleShot(quitAt, [] { QCoreApplication::exit(0); });
    }
    const int code = app->exec();
    pageWindows.clear();
    mainWindow.reset();
    roundWindow.reset();
    platform::shutdown();
    return code;
}
