#include "platform/application.h"

#include <QApplication>

namespace vamu::platform {

std::unique_ptr<QGuiApplication> createApplication(int& argc, char** argv) {
    return std::make_unique<QApplication>(argc, argv);
}

void beep() {
    if (QGuiApplication::instance()) QApplication::beep();
}

bool statusIconsSupported() { return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr; }

}  // namespace vamu::platform
