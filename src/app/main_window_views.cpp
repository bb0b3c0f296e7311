// What moves only the main window's own views: the cover and the list button switch
// between the channel, details and song-list views; the tabs open their list; the
// song id box and the search box keep their hint texts; a right click on a list
// opens its menu.
#include "app/main_window.h"
#include "app/main_window_layout.h"

namespace vamu::app {

using namespace vamu::toolkit;

namespace layout {
const char* const kAboutText = "VAMU 在线音乐\n频道电台、热门歌曲、搜索与收藏，边听边看弹幕。\n点击封面查看歌曲详情。";
}  // namespace layout

namespace {

// Handlers return false so that the controls' own handling goes on.
template <class Action>
EventHandler handler(Action action) {
    return [action](const Event&) {
        action();
        return false;
    };
}

}  // namespace

MainView MainWindow::view() const {
    if (m_views.details->isVisible()) return MainView::Details;
    if (m_views.songLists->isVisible()) return MainView::SongLists;
    return MainView::Channels;
}

void MainWindow::showChannels() {
    m_views.songLists->setVisible(false);
    m_views.details->setVisible(false);
    m_views.listButton->setText(QString::fromUtf8(layout::kListButtonChannels));
    m_views.channels->setVisible(true);
    m_views.cover->setTips(QString::fromUtf8(layout::kCoverTipDetails));
}

void MainWindow::openTab(panel::ListTab tab) {
    const panel::SongLists& lists = m_views.lists;
    lists.collectionTab->setDisabled(tab == panel::ListTab::Collection);
    lists.songsTab->setDisabled(tab == panel::ListTab::Songs);
    lists.likesTab->setDisabled(tab == panel::ListTab::Likes);
    switch (tab) {
    case panel::ListTab::Collection:
        lists.collection->setVisible(true);
        lists.songs->setVisible(false);
        lists.likes->setVisible(false);
        m_views.searchBar->setVisible(false);
        m_views.loginPanel->setVisible(false);
        break;
    case panel::ListTab::Songs:
        lists.songs->setVisible(true);
        m_views.loginPanel->setVisible(false);
        m_views.searchBar->setVisible(false);
        lists.collection->setVisible(false);
        // The likes list stays as it was: the song list covers it.
        break;
    case panel::ListTab::Likes: {
        lists.collection->setVisible(false);
        lists.songs->setVisible(false);
        const bool loggedIn = m_loggedIn && m_loggedIn();
        m_views.searchBar->setVisible(loggedIn);
        lists.likes->setVisible(loggedIn);
        m_views.loginPanel->setVisible(!loggedIn);
        break;
    }
    }
}

void MainWindow::showSearch() {
    if (!m_views.songLists->isVisible()) {
        m_views.songLists->setVisible(true);
        m_views.listButton->setText(QString::fromUtf8(layout::kListButtonLists));
        m_views.details->setVisible(false);
        m_views.channels->setVisible(false);
    }
    openTab(panel::ListTab::Likes);
    if (m_views.searchBar->isVisible()) m_views.searchBox->setFocus();
}

void MainWindow::wireViews() {
    m_views.cover->bindClick(handler([this] {
        if (m_views.details->isVisible()) {
            showChannels();
            return;
        }
        m_views.details->setVisible(true);
        m_views.songLists->setVisible(false);
        m_views.channels->setVisible(false);
        m_views.listButton->setText(QString::fromUtf8(layout::kListButtonChannels));
        m_views.cover->setTips(QString::fromUtf8(layout::kCoverTipBack));
    }));
    m_views.listButton->bindClick(handler([this] {
        if (m_views.songLists->isVisible()) {
            showChannels();
            return;
        }
        m_views.songLists->setVisible(true);
        m_views.listButton->setText(QString::fromUtf8(layout::kListButtonLists));
        m_views.details->setVisible(false);
        m_views.channels->setVisible(false);
    }));
    m_views.lists.collectionTab->bindClick(handler([this] { openTab(panel::ListTab::Collection); }));
    m_views.lists.songsTab->bindClick(handler([this] { openTab(panel::ListTab::Songs); }));
    m_views.lists.likesTab->bindClick(handler([this] { openTab(panel::ListTab::Likes); }));

    Edit* idBox = m_views.songIdBox;
    const QString hint = QString::fromUtf8(layout::kSongIdHint);
    idBox->bindFocusIn(handler([idBox, hint] {
        if (idBox->text() != hint) return;
        idBox->setText({});
        idBox->setColours(layout::kBlack);
    }));
    idBox->bindFocusOut(handler([idBox, hint] {
        if (!idBox->text().isEmpty()) return;
        idBox->setColours(layout::kHintGrey);
        idBox->setText(hint);
    }));
    // One handler for both events: the box is emptied whenever it takes the focus.
    Edit* searchBox = m_views.searchBox;
    const EventHandler emptyWhenFocused = handler([searchBox] {
        if (!searchBox->isFocused()) return;
        searchBox->setText({});
        searchBox->setColours(layout::kBlack);  // typed text in black, not the grey of the start text
    });
    searchBox->bindFocusIn(emptyWhenFocused);
    searchBox->bindFocusOut(emptyWhenFocused);
}

}  // namespace vamu::app
