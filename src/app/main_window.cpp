// The main window: the native window and its host, the composition built from the
// layout tables, and the panels handed to the features.
#include "app/main_window.h"

#include "app/backgrounds.h"
#include "app/main_window_layout.h"

#include "platform/window_animation.h"

#include <chrono>

namespace vamu::app {

using namespace vamu::toolkit;

struct MainWindow::Menus {
    PopupMenu collection;
    PopupMenu songs;
    PopupMenu likes;
};

namespace {

constexpr unsigned kCaptionFlags = caption::kIcon | caption::kTitle | caption::kClose | caption::kMin | caption::kSkin |
                                   caption::kReport | caption::kSetting;  // 0x1D7
constexpr auto kShowAnimation = platform::WindowAnimation::SlideDown;     // type 3
constexpr auto kCloseAnimation = platform::WindowAnimation::SlideUp;      // type 2
constexpr std::chrono::milliseconds kAnimationTime{200};

// A right click on the list opens its menu at the mouse, when its gate lets it.
void bindMenu(ListView* list, PopupMenu* menu, platform::WindowHandle window, const std::function<bool()>* gate) {
    list->bindRightUp([menu, window, gate](const Event&) {
        if (*gate && !(*gate)()) return false;
        menu->popup(window);
        return false;
    });
}

template <std::size_t N>
void fillMenu(PopupMenu& menu, const std::array<const char*, N>& items) {
    for (const char* item : items) menu.addAction(QString::fromUtf8(item), {});
}

}  // namespace

MainWindow::MainWindow(const MainWindowSetup& setup)
    : m_host(std::make_unique<HostWindow>()),
      m_menus(std::make_unique<Menus>()),
      m_loggedIn(setup.loggedIn),
      m_volume(setup.volume) {
    WindowSetup window;
    window.title = QStringLiteral("VAMU");
    window.size = QSize(kWidth, kHeight);  // centred in the work area
    AttachOptions options;
    options.captionFlags = kCaptionFlags;
    options.alpha = -1;  // not layered: the theme's rounded corners cut the window's region
    const QImage picture = backgroundPicture(setup.background);
    options.backgroundPicture = picture;
    if (!m_host->attach(createNativeWindow(window), options)) return;
    m_background = picture.isNull() ? -1 : setup.background;
    m_host->setIcon(programIcon());
    build();
    wireViews();
}

MainWindow::~MainWindow() {
    // The controls go with the native window, before the menus the handlers point at.
    if (m_host) m_host->destroyWindow();
}

bool MainWindow::valid() const { return m_host && m_host->nativeWindow() != nullptr; }

platform::WindowHandle MainWindow::handle() const { return m_host ? m_host->windowHandle() : platform::WindowHandle{}; }

void MainWindow::show() {
    m_host->show(kShowAnimation, kAnimationTime);
    m_host->setCloseAnimation(kCloseAnimation, kAnimationTime);
}

int MainWindow::setBackground(int index) {
    const QImage picture = backgroundPicture(index);
    m_host->setBackground(picture);
    m_background = picture.isNull() ? -1 : index;
    return m_background;
}

void MainWindow::growForChannels() {
    if (m_host->height() != kGrownHeight) m_host->move(std::nullopt, std::nullopt, kWidth, kGrownHeight);
    if (m_player.panel->rect() != layout::kGrownPlayerPanel) m_player.panel->setRect(layout::kGrownPlayerPanel);
}

void MainWindow::showStatistics(const std::string& statistics) {
    if (BaseControl* report = m_host->captionControl(caption::kReport)) {
        report->setTips(QString::fromUtf8(layout::kAboutText) + QStringLiteral("\n") + QString::fromStdString(statistics));
    }
}

void MainWindow::setMenuGate(panel::ListTab list, std::function<bool()> gate) {
    m_menuGates[static_cast<std::size_t>(list)] = std::move(gate);
}

BaseControl* MainWindow::captionButton(unsigned flag) const { return m_host->captionControl(flag); }

void MainWindow::build() {
    HostWindow& window = *m_host;
    const layout::Pages pages = layout::buildPages(window);
    const layout::PlayerControls player = layout::buildPlayerPanel(window, m_volume);
    const layout::ToolBar bar = layout::buildToolBar(*pages.toolBar);
    const layout::Details details = layout::buildDetails(*pages.details);
    const layout::Paging paging = layout::buildPaging(*pages.paging);
    const layout::SongListView lists = layout::buildSongListView(*pages.songLists);
    fillMenu(m_menus->collection, layout::kCollectionMenu);
    fillMenu(m_menus->songs, layout::kSongMenu);
    fillMenu(m_menus->likes, layout::kLikesMenu);
    const auto gate = [this](panel::ListTab list) { return &m_menuGates[static_cast<std::size_t>(list)]; };
    bindMenu(lists.lists.collection, &m_menus->collection, window.windowHandle(), gate(panel::ListTab::Collection));
    bindMenu(lists.lists.songs, &m_menus->songs, window.windowHandle(), gate(panel::ListTab::Songs));
    bindMenu(lists.lists.likes, &m_menus->likes, window.windowHandle(), gate(panel::ListTab::Likes));

    if (BaseControl* skin = window.captionControl(caption::kSkin)) skin->setTips(QString::fromUtf8(layout::kSkinTip));
    if (BaseControl* report = window.captionControl(caption::kReport)) {
        report->setTips(QString::fromUtf8(layout::kAboutText));
    }
    if (BaseControl* settings = window.captionControl(caption::kSetting)) {
        settings->setTips(QString::fromUtf8(layout::kSettingsTip));
    }

    m_views = {.channels = pages.channels,
               .details = pages.details,
               .toolBar = pages.toolBar,
               .paging = pages.paging,
               .songLists = pages.songLists,
               .tabBar = lists.tabBar,
               .listButton = bar.list,
               .cover = player.cover,
               .songIdBox = bar.songIdBox,
               .searchBox = lists.searchBox,
               .searchBar = lists.searchBar,
               .loginPanel = lists.login,
               .lists = lists.lists};
    m_player = {.window = &window,
                .panel = player.panel,
                .cover = player.cover,
                .title = player.title,
                .subtitle = player.subtitle,
                .collect = player.collect,
                .play = player.play,
                .progress = player.progress,
                .time = player.time,
                .volume = player.volume,
                .changeSong = bar.changeSong,
                .lists = lists.lists};
    m_radio = {.channelPage = pages.channels,
               .pagingPage = pages.paging,
               .previousPage = paging.previous,
               .nextPage = paging.next,
               .previousLabel = paging.previousLabel,
               .nextLabel = paging.nextLabel};
    m_search = {.bar = lists.searchBar,
                .keyword = lists.searchBox,
                .search = lists.search,
                .nextPage = lists.searchNext,
                .likesTab = lists.lists.likesTab};
    m_details = {.page = pages.details,
                 .group = details.group,
                 .picture = details.picture,
                 .headline = details.headline,
                 .subline = details.subline,
                 .description = details.description,
                 .songIdBox = bar.songIdBox,
                 .get = bar.get,
                 .songList = lists.lists.songs,
                 .songMenu = &m_menus->songs};
    m_login = {.window = &window,
               .panel = lists.login,
               .account = lists.account,
               .password = lists.password,
               .login = lists.loginButton,
               .autoLogin = lists.autoLogin,
               .registerLink = lists.registerLink,
               .likes = lists.lists.likes,
               .searchBar = lists.searchBar,
               .likesTab = lists.lists.likesTab,
               .likesMenu = &m_menus->likes};
    m_library = {.window = &window,
                 .collection = lists.lists.collection,
                 .collectionMenu = &m_menus->collection,
                 .likes = lists.lists.likes,
                 .likesMenu = &m_menus->likes,
                 .songs = lists.lists.songs,
                 .collect = player.collect,
                 .download = bar.download};
}

}  // namespace vamu::app
