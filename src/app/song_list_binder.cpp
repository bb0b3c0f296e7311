#include "app/song_list_binder.h"
#include "toolkit/qt_text.h"

#include "panel/panel_types.h"

namespace vamu::app {
namespace {

namespace column = panel::song_column;

using toolkit::qText;

}  // namespace

SongListBinder::SongListBinder(const net::SongList& model, toolkit::ListView& view) : m_model(model), m_view(view) {
    m_model.setObserver([this](net::SongList::Change change, int row) { changed(change, row); });
    showAll();
}

SongListBinder::~SongListBinder() { m_model.setObserver({}); }

void SongListBinder::changed(net::SongList::Change change, int row) {
    switch (change) {
    case net::SongList::Change::Reset:
        showAll();
        break;
    case net::SongList::Change::Appended:
        appendRow(row);
        break;
    case net::SongList::Change::Removed:
        m_view.deleteRow(row);
        // The numbers are positions: the rows after the removed one move up.
        for (int next = row; next <= m_view.rowCount(); ++next) {
            m_view.setCellText(next, column::kNumber, QString::number(next));
        }
        break;
    case net::SongList::Change::Updated:
        if (const net::SongRow* song = m_model.row(row)) {
            m_view.setCellText(row, column::kSource, qText(song->song.source));
            m_view.setCellText(row, column::kTitle, qText(song->song.name));
            m_view.setCellText(row, column::kUploader, qText(song->song.uploader));
            m_view.setCellText(row, column::kId, qText(song->song.id));
        }
        break;
    }
}

void SongListBinder::appendRow(int row) {
    const net::SongRow* song = m_model.row(row);
    if (!song) return;
    const int shown = m_view.insertRow(0, qText(song->song.source));
    m_view.setCellText(shown, column::kNumber, QString::number(shown));
    m_view.setCellText(shown, column::kTitle, qText(song->song.name));
    m_view.setCellText(shown, column::kUploader, qText(song->song.uploader));
    m_view.setCellText(shown, column::kId, qText(song->song.id));
}

void SongListBinder::showAll() {
    m_view.clear();
    for (int row = 1; row <= m_model.rowCount(); ++row) appendRow(row);
}

}  // namespace vamu::app
