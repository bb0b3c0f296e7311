// vamu: start-up and the event loop; Program does the rest.
#include "app/main_window.h"
#include "app/program.h"
#include "app/song_link.h"
#include "net/http_request.h"
#include "platform/application.h"
#include "platform/native_window.h"
#include "platform/platform_choice.h"
#include "platform/system.h"
#include "platform/termination_signals.h"
#include "platform/workers.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

bool environmentSet(const char* name) {
    const char* value = std::getenv(name);
    return value && std::strcmp(value, "1") == 0;
}

// The start-up benchmark's probe (VAMU_TRACE_STARTUP=1): prints when the main window's
// first frame went to the window system, as Unix time, so that the caller can subtract
// the time it started the process; VAMU_EXIT_AFTER_FIRST_PRESENT=1 then ends the program.
// The window presents while it handles its expose event; the check runs right after.
class FirstPresentProbe final : public QObject {
public:
    FirstPresentProbe(vamu::platform::WindowHandle window, std::chrono::steady_clock::time_point mainEntered)
        : m_window(window), m_mainEntered(mainEntered), m_exit(environmentSet("VAMU_EXIT_AFTER_FIRST_PRESENT")) {
        QCoreApplication::instance()->installEventFilter(this);
        check();  // a platform that exposes at once has presented already
    }

    bool eventFilter(QObject*, QEvent* event) override {
        if (!m_done && event->type() == QEvent::Expose) QTimer::singleShot(0, this, [this] { check(); });
        return false;
    }

private:
    void check() {
        const vamu::platform::NativeWindow* native = vamu::platform::NativeWindow::find(m_window);
        if (m_done || !native || native->presentCount() == 0) return;
        m_done = true;
        const auto now = std::chrono::steady_clock::now();
        const auto unixTime = std::chrono::system_clock::now().time_since_epoch();
        std::fprintf(stderr, "vamu: first present at %.6f s, %.1f ms after main\n",
                     std::chrono::duration<double>(unixTime).count(),
                     std::chrono::duration<double, std::milli>(now - m_mainEntered).count());
        if (m_exit) QCoreApplication::exit(0);
    }

    vamu::platform::WindowHandle m_window;
    std::chrono::steady_clock::time_point m_mainEntered;
    bool m_exit;
    bool m_done = false;
};

// The song id of a vamu: link among the arguments Qt left (a desktop passes the link
// the entry's Exec names with %u); empty: none.
std::string linkedSongId(int argc, char** argv) {
    std::vector<std::string_view> arguments;
    for (int i = 1; i < argc; ++i) arguments.emplace_back(argv[i]);
    return vamu::app::songIdFromArguments(arguments).value_or(std::string());
}

}  // namespace

int main(int argc, char** argv) {
    const auto mainEntered = std::chrono::steady_clock::now();
    vamu::platform::limitHeapArenas();  // before Qt or a worker starts a thread
    const vamu::platform::PlatformChoice platform = vamu::platform::applyPlatformChoice(argc, argv);
    const auto application = vamu::platform::createApplication(argc, argv);
    std::fprintf(stderr, "vamu: platform %s: %s\n", qPrintable(QGuiApplication::platformName()),
                 platform.reason.c_str());
    // The window class and the Wayland application id: the desktop entry's name, which
    // its StartupWMClass repeats, whatever the executable's file is called.
    QCoreApplication::setApplicationName(QStringLiteral("vamu"));
    QGuiApplication::setDesktopFileName(QStringLiteral("vamu"));
    vamu::platform::initialize();
    vamu::net::initializeHttp();  // before the first worker
    int code = 0;
    {
        vamu::app::ProgramOptions options;
        options.songId = linkedSongId(argc, argv);
        vamu::app::Program program(std::move(options));
        switch (program.start()) {
        case vamu::app::Program::StartResult::HandedOver:
            return 0;
        case vamu::app::Program::StartResult::Failed:
            return 1;
        case vamu::app::Program::StartResult::Started:
            break;
        }
        std::unique_ptr<FirstPresentProbe> probe;
        if (environmentSet("VAMU_TRACE_STARTUP"))
            probe = std::make_unique<FirstPresentProbe>(program.mainWindow().handle(), mainEntered);
        {
            const vamu::platform::TerminationSignals quitOnSignals;
            code = application->exec();
        }
        probe.reset();
        program.shutdown();
        // Workers stop at their next check; none may keep the process on the network.
        vamu::platform::joinWorkers(std::chrono::milliseconds(1000));
    }
    vamu::platform::shutdown();
    return code;
}
