#include "integration/fault_fixture.h"

#include "net/http_request.h"
#include "net/json_document.h"

#include <algorithm>
#include <cctype>
#include <iostream>

namespace vamu::test {
namespace {

void addListCells(const panel::ListView* list, std::vector<QString>& texts) {
    if (!list) return;
    for (int row = 1; row <= list->rowCount(); ++row) {
        for (int column = panel::song_column::kNumber; column <= panel::song_column::kId; ++column) {
            texts.push_back(list->cellText(row, column));
        }
    }
}

}  // namespace

FaultFixture::~FaultFixture() = default;

bool FaultFixture::waitForPlaying(std::chrono::milliseconds deadline) {
    return UiDriver::pumpUntil([&] { return player().stream() != 0 && activity() == playback::ActivityState::Playing; },
                               deadline);
}

bool FaultFixture::waitForRetriedPlaying() {
    for (int retry = 0; retry < 20; ++retry) {
        m_scheduler.advance(std::chrono::milliseconds(500));
        if (waitForPlaying(std::chrono::seconds(retry == 0 ? 5 : 1))) return true;
    }
    return false;
}

std::vector<QString> FaultFixture::shownTexts() {
    std::vector<QString> texts;
    texts.push_back(host().title());
    const playback::PlayerPanel& player = playerPanel();
    for (const toolkit::BaseControl* control : {static_cast<const toolkit::BaseControl*>(player.title),
                                                static_cast<const toolkit::BaseControl*>(player.subtitle),
                                                static_cast<const toolkit::BaseControl*>(player.time)}) {
        if (control) {
            texts.push_back(UiDriver::text(*control));
            texts.push_back(control->tips());
        }
    }
    const catalogue::DetailsPanel& details = window().detailsPanel();
    if (details.description) texts.push_back(UiDriver::text(*details.description));
    if (details.headline) texts.push_back(UiDriver::text(*details.headline));
    if (toolkit::BaseControl* report = window().captionButton(toolkit::caption::kReport))
        texts.push_back(report->tips());
    for (int tile = 1; tile <= catalogue::kTilesPerPage; ++tile) {
        if (const auto* control = radio().tileControl(tile)) texts.push_back(control->tips());
    }
    addListCells(player.lists.songs, texts);
    addListCells(player.lists.likes, texts);
    addListCells(player.lists.collection, texts);
    for (const auto& seen : m_messages.seen()) {
        texts.push_back(seen.title);
        texts.push_back(seen.text);
    }
    for (const auto& comment : comments().comments()) {
        texts.push_back(QString::fromStdString(comment.name));
        texts.push_back(QString::fromStdString(comment.content));
    }
    return texts;
}

void FaultFixture::expectNoRawText() {
    // Pieces of what a misbehaving server sends: a proxy's page, JSON, a status line,
    // the padding of an oversized reply.
    static const QString kRaw[] = {
        "<html",       "<!DOCTYPE",  "<body",  "{", "}", "\"state\"", "Internal Server Error",
        "Bad Gateway", "xxxxxxxxxx", "padding"};
    for (const QString& text : shownTexts()) {
        for (const QString& raw : kRaw) {
            EXPECT_FALSE(text.contains(raw, Qt::CaseInsensitive)) << "shown: " << text.left(200).toStdString();
        }
    }
}

void FaultFixture::expectNoMessage() {
    EXPECT_EQ(m_messages.count(), 0u) << (m_messages.count() ? m_messages.front().text.toStdString() : "");
}

void FaultFixture::expectResponsive(std::string_view scenario) {
    EXPECT_GT(m_probe.samples(), 3) << "the probe measured nothing";
    if (LatencyProbe::kBudgetApplies) {
        EXPECT_LT(m_probe.worst(), LatencyProbe::kBudget) << "the UI thread stalled in " << m_probe.worstSpan();
    }
    std::cout << "[ latency  ] " << scenario << ": worst stall " << m_probe.worst().count() << " ms in "
              << (m_probe.worstSpan().empty() ? "-" : m_probe.worstSpan()) << " (" << m_probe.worstWall().count()
              << " ms by the wall clock) over " << m_probe.samples() << " samples\n";
}

}  // namespace vamu::test
