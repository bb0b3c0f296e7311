#pragma once
// The process's application object. The status (tray) icon is only offered by Qt's
// widgets module, whose services need the widgets flavour of the application object;
// that choice is made here, once. Everything else in the program keeps to the
// QGuiApplication interface the object derives from, and the toolkit draws no widget.

#include <QGuiApplication>

#include <memory>

namespace vamu::platform {

// Makes the application object (argc and argv must outlive it). Call once, on the
// thread that becomes the UI thread.
[[nodiscard]] std::unique_ptr<QGuiApplication> createApplication(int& argc, char** argv);

// Whether the application object can carry status icons: it is the one
// createApplication() makes. A program that made a plain QGuiApplication still runs;
// its status icons then stay out of the tray.
[[nodiscard]] bool statusIconsSupported();

// The desktop's alert sound (the display's bell); nothing without a display.
void beep();

}  // namespace vamu::platform
