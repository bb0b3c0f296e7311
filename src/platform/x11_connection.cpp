#include "platform/x11_connection.h"

#include <QGuiApplication>

#if VAMU_HAVE_XCB
#include <QtGui/qguiapplication_platform.h>
#endif

namespace vamu::platform::detail {

xcb_connection_t* x11Connection() {
#if VAMU_HAVE_XCB
    if (QGuiApplication::platformName() != QLatin1String("xcb")) return nullptr;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
#else
    return nullptr;
#endif
}

}  // namespace vamu::platform::detail
