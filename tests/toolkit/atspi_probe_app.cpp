// A small window for the screen-reader bus test: a button that renames a label when
// it is clicked, a checked check box and an edit. Runs until it is ended, at most a
// minute.
#include "platform/application.h"
#include "toolkit/controls/button.h"
#include "toolkit/controls/check_button.h"
#include "toolkit/controls/edit.h"
#include "toolkit/controls/label.h"
#include "toolkit/host_window.h"
#include "toolkit/toolkit.h"

#include <QCoreApplication>
#include <QTimer>

int main(int argc, char** argv) {
    using namespace vamu::toolkit;
    const auto app = vamu::platform::createApplication(argc, argv);
    toolkitStartup();

    HostWindow window;
    WindowSetup setup;
    setup.title = QStringLiteral("Probe");
    setup.left = 40;
    setup.top = 40;
    setup.size = QSize(320, 200);
    AttachOptions options;
    options.captionFlags = 0;
    window.attach(createNativeWindow(setup), options);

    ButtonSetup play;
    play.text = QStringLiteral("Play");
    Button* button = Button::create(window, QRect(10, 10, 80, 24), play);
    ButtonSetup loop;
    loop.text = QStringLiteral("Loop");
    CheckButton* check = CheckButton::create(window, QRect(100, 10, 80, 20), loop);
    check->setChecked(true);
    LabelSetup ready;
    ready.text = QStringLiteral("Ready");
    Label* label = Label::create(window, QRect(10, 50, 120, 20), ready);
    Edit* edit = Edit::create(window, QRect(10, 80, 150, 24));
    edit->setTips(QStringLiteral("Search"));
    button->bindClick([label](const Event&) {
        label->setText(QStringLiteral("Clicked"));
        return 0;
    });
    window.show();

    QTimer::singleShot(60000, [] { QCoreApplication::exit(1); });
    return QCoreApplication::exec();
}
