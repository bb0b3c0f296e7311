#pragma once
// The main window: the native window "VAMU" (380 x 250, centred in the work area),
// its host with the caption buttons and the chosen background picture, and the whole
// composition built from the layout tables of main_window_layout.h: pages 0 to 4,
// the player panel, the tool bar, the channel paging controls, the song-details view,
// the song-list view with its tab bar, the three song lists, the search bar, the
// login panel and the three list menus.
//
// It wires what only moves its own views: the cover and the list button switch
// between the channel, details and song-list views, the tabs open their list, the
// song id box and the search box keep their hint texts, and a right click on a list
// opens its menu. Features get their controls through the panel structs; their
// handlers are bound by app/ when it wires the features.
//
// UI thread only. The panels' pointers are valid while this object lives.

#include "account/login_panel.h"
#include "catalogue/details_panel.h"
#include "catalogue/radio_panel.h"
#include "catalogue/search_panel.h"
#include "library/library_panel.h"
#include "playback/player_panel.h"

#include <QImage>

#include <array>
#include <functional>
#include <string>
#include <memory>

namespace vamu::app {

struct MainWindowSetup {
    int background = 0;  // 0..4 a picture of backgrounds.h; any other value none
    int volume = 100;    // the volume bar's position, clamped to 0..100
    // Asked when "我喜欢的" opens: whether a user is logged in. None: nobody is.
    std::function<bool()> loggedIn;
};

// The three views of the window's client area.
enum class MainView { Channels, Details, SongLists };

class MainWindow {
public:
    static constexpr int kWidth = 380;
    static constexpr int kHeight = 250;
    static constexpr int kGrownHeight = 415;

    // Creates, attaches and builds the window; it stays hidden until show().
    explicit MainWindow(const MainWindowSetup& setup = {});
    ~MainWindow();
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // False when the native window could not be made or attached.
    [[nodiscard]] bool valid() const;
    [[nodiscard]] toolkit::HostWindow& host() { return *m_host; }
    [[nodiscard]] platform::WindowHandle handle() const;

    // Shows the window with the toolkit's slide animation and arms the closing one.
    void show();

    // The background picture by number; a value outside 0..4 removes it. Answers the
    // number now in use (-1 for none).
    int setBackground(int index);
    [[nodiscard]] int background() const { return m_background; }

    // Ctrl+F: the song-list view on the tab "我喜欢的", and the search box focused when a
    // login shows it.
    void showSearch();
    // The report button's tooltip: the about text, then the companion's statistics.
    void showStatistics(const std::string& statistics);
    // What the first channel page does to the window: 415 high, the player panel
    // 380 x 70 at top 345. Doing it again changes nothing.
    void growForChannels();

    // Asked before a list's menu opens on a right click: the feature sets the items'
    // states and answers whether the menu opens at all. None: it always opens.
    void setMenuGate(panel::ListTab list, std::function<bool()> gate);
    [[nodiscard]] MainView view() const;

    [[nodiscard]] const playback::PlayerPanel& playerPanel() const { return m_player; }
    [[nodiscard]] const catalogue::RadioPanel& radioPanel() const { return m_radio; }
    [[nodiscard]] const catalogue::SearchPanel& searchPanel() const { return m_search; }
    [[nodiscard]] const catalogue::DetailsPanel& detailsPanel() const { return m_details; }
    [[nodiscard]] const account::LoginPanel& loginPanel() const { return m_login; }
    [[nodiscard]] const library::LibraryPanel& libraryPanel() const { return m_library; }

    // The controls the views switch (for the wiring and the tests).
    struct Views {
        panel::Page* channels = nullptr;   // page 0
        panel::Page* details = nullptr;    // page 1
        panel::Page* toolBar = nullptr;    // page 2
        panel::Page* paging = nullptr;     // page 3
        panel::Page* songLists = nullptr;  // page 4
        panel::GroupBox* tabBar = nullptr;
        panel::ThunderButton* listButton = nullptr;  // "播放列表" / "频道列表"
        panel::NewObj* cover = nullptr;
        panel::Edit* songIdBox = nullptr;
        panel::Edit* searchBox = nullptr;
        panel::GroupBox* searchBar = nullptr;
        panel::GroupBox* loginPanel = nullptr;
        panel::SongLists lists;
    };
    [[nodiscard]] const Views& views() const { return m_views; }

    // Caption buttons by their flag (toolkit::caption::kSkin, kReport, kSetting, kClose).
    [[nodiscard]] toolkit::BaseControl* captionButton(unsigned flag) const;

private:
    struct Menus;
    void build();
    void wireViews();
    void showChannels();
    void openTab(panel::ListTab tab);

    std::unique_ptr<toolkit::HostWindow> m_host;
    std::unique_ptr<Menus> m_menus;
    std::function<bool()> m_loggedIn;
    std::array<std::function<bool()>, 3> m_menuGates;  // by panel::ListTab
    int m_background = -1;
    int m_volume = 100;
    Views m_views;
    playback::PlayerPanel m_player;
    catalogue::RadioPanel m_radio;
    catalogue::SearchPanel m_search;
    catalogue::DetailsPanel m_details;
    account::LoginPanel m_login;
    library::LibraryPanel m_library;
};

}  // namespace vamu::app
