// Shows the main window as it looks once the channel list has grown it, with a few
// sample songs in the song list, on the chosen background and view. Nothing is read
// from or written to the settings file.
//   vamu-window-preview [--background N] [--view channels|details|lists|likes] [--quit-after MS]
#include "app/main_window.h"

#include "platform/application.h"
#include "platform/system.h"
#include "toolkit/toolkit.h"

#include <QCoreApplication>
#include <QTimer>

#include <array>

namespace {

using namespace vamu;

QString option(const QStringList& arguments, const QString& name, const QString& fallback = {}) {
    const int at = arguments.indexOf(name);
    return at >= 0 && at + 1 < arguments.size() ? arguments.at(at + 1) : fallback;
}

void fillSongs(toolkit::ListView& list) {
    constexpr std::array<std::pair<const char*, const char*>, 8> kSongs{{{"晴天", "小明"},
                                                                         {"夜空中最亮的星", "音乐达人"},
                                                                         {"Hey Jude", "DJ Lee"},
                                                                         {"平凡之路", "周末听歌"},
                                                                         {"稻香", "vamu"},
                                                                         {"Viva la Vida", "Anna"},
                                                                         {"后来", "老王"},
                                                                         {"光年之外", "小明"}}};
    int number = 1;
    for (const auto& [title, user] : kSongs) {
        const int row = list.insertRow(0, QString());
        list.setCellText(row, panel::song_column::kNumber, QString::number(number));
        list.setCellText(row, panel::song_column::kTitle, QString::fromUtf8(title));
        list.setCellText(row, panel::song_column::kUploader, QString::fromUtf8(user));
        list.setCellText(row, panel::song_column::kId, QString::number(100200 + number * 37));
        ++number;
    }
    list.setSelectedRow(2);
}

}  // namespace

int main(int argc, char** argv) {
    const auto app = platform::createApplication(argc, argv);
    platform::initialize();
    toolkit::toolkitStartup();
    const QStringList arguments = app->arguments();
    const QString view = option(arguments, QStringLiteral("--view"), QStringLiteral("channels"));
    {
        app::MainWindow window({.background = option(arguments, QStringLiteral("--background"), "0").toInt(),
                                .loggedIn = [] { return false; }});
        window.growForChannels();
        fillSongs(*window.views().lists.songs);
        const playback::PlayerPanel& player = window.playerPanel();
        player.title->setText(QStringLiteral("夜空中最亮的星"));
        player.subtitle->setText(QStringLiteral("音乐达人"));
        window.show();
        if (view == QStringLiteral("details")) window.views().cover->dispatch(toolkit::tkm::kClick);
        if (view == QStringLiteral("lists") || view == QStringLiteral("likes")) {
            window.views().listButton->dispatch(toolkit::tkm::kClick);
        }
        if (view == QStringLiteral("likes")) window.views().lists.likesTab->dispatch(toolkit::tkm::kClick);
        const int quitAfter = option(arguments, QStringLiteral("--quit-after"), "-1").toInt();
        if (quitAfter >= 0) QTimer::singleShot(quitAfter, [] { QCoreApplication::exit(0); });
        app->exec();
    }
    platform::shutdown();
    return 0;
}
