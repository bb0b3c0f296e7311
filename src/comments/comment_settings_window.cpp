#include "comments/comment_settings_window.h"

#include "toolkit/accessibility.h"
#include "toolkit/qt_text.h"

#include <algorithm>
#include <cmath>

namespace vamu::comments {
namespace {

using toolkit::qText;

// Windows colour value (red 150, green 190, blue 235), as the program's other small
// windows: the white title and the black captions both read on it.
constexpr long long kBackground = 0xEBBE96;

// In window coordinates, below the caption: a caption, the slider, its value.
constexpr int kCaptionLeft = 14;
constexpr int kCaptionWidth = 46;
constexpr int kSliderLeft = 62;
constexpr int kSliderWidth = 160;
constexpr int kValueLeft = 230;
constexpr int kValueWidth = 58;
constexpr int kLineHeight = 22;
constexpr int kSliderTrack = 12;  // the slider adds Slider::kExtraHeight
constexpr int kOpacityTop = 36;
constexpr int kSpeedTop = 64;
constexpr int kSizeTop = 92;
constexpr int kLanesTop = 120;
constexpr int kCapTop = 148;
constexpr QRect kMergeBox{kCaptionLeft, 178, 200, kLineHeight};
constexpr QRect kBlockedCaption{kCaptionLeft, 206, 272, kLineHeight};
constexpr QRect kBlockedBox{kCaptionLeft, 230, 272, 112};
constexpr QRect kDefaultsButton{kCaptionLeft, 352, 80, 26};
constexpr QRect kCloseButton{206, 352, 80, 26};
constexpr int kSizeWidth = 58;

QString percentText(int value) { return QString::number(value) + QLatin1Char('%'); }
QString factorText(int value) { return QString::number(value / 100.0, 'f', value % 10 ? 2 : 1) + QLatin1Char('x'); }
QString countText(int value) { return QString::number(value); }

}  // namespace

CommentSettingsWindow::CommentSettingsWindow(platform::WindowHandle owner, QPoint topLeft,
                                             const CommentSettings& settings, Changed changed)
    : m_host(std::make_unique<toolkit::HostWindow>()), m_settings(settings), m_changed(std::move(changed)) {
    m_opacity = {nullptr, nullptr, kMinOpacity, kMaxOpacity, 5, &CommentSettings::opacity, &percentText};
    m_speed = {nullptr, nullptr, kMinSpeed, kMaxSpeed, 10, &CommentSettings::speed, &factorText};
    m_lanes = {nullptr, nullptr, 1, kLaneCount, 1, &CommentSettings::lanes, &countText};
    m_cap = {nullptr, nullptr, kMinCap, kMaxComments, 10, &CommentSettings::cap, &countText};
    toolkit::WindowSetup window;
    window.owner = owner;
    window.title = qText(settings_text::kTitle);
    window.left = topLeft.x();
    window.top = topLeft.y();
    window.size = QSize(kWidth, kHeight);
    toolkit::AttachOptions options;
    options.captionFlags = toolkit::caption::kTitle | toolkit::caption::kClose;
    options.backgroundColour = kBackground;
    if (!m_host->attach(toolkit::createNativeWindow(window), options)) return;
    m_host->setTitle(qText(settings_text::kTitle));
    m_host->setCloseOnEscape(true);
    m_host->bindClose([this](const toolkit::Event&) {
        m_closed = true;
        return false;
    });
    build();
    showSettings();
    m_host->show();
}

CommentSettingsWindow::~CommentSettingsWindow() {
    if (m_host) m_host->destroyWindow();
}

bool CommentSettingsWindow::valid() const { return m_host && m_host->nativeWindow() != nullptr && m_close; }

bool CommentSettingsWindow::closed() const { return m_closed || !m_host || m_host->nativeWindow() == nullptr; }

void CommentSettingsWindow::bringToFront() {
    platform::NativeWindow* native = m_host ? m_host->nativeWindow() : nullptr;
    if (!native) return;
    native->restore();
    native->show();
    native->raise();
    native->activate();
}

void CommentSettingsWindow::addRanged(Ranged& ranged, int top, std::string_view caption, std::string_view name) {
    using toolkit::Label;
    Label::create(*m_host, QRect(kCaptionLeft, top, kCaptionWidth, kLineHeight), {.text = qText(caption)});
    const int sliderTop = top + (kLineHeight - kSliderTrack - toolkit::Slider::kExtraHeight) / 2;
    ranged.slider = toolkit::Slider::create(*m_host, QRect(kSliderLeft, sliderTop, kSliderWidth, kSliderTrack));
    ranged.value = Label::create(*m_host, QRect(kValueLeft, top, kValueWidth, kLineHeight), {});
    if (!ranged.slider) return;
    ranged.slider->setJumpToClick(true);
    toolkit::accessibility::setName(*ranged.slider, qText(name));
    ranged.slider->setChangeHandler([this, &ranged](toolkit::Slider&, double position) {
        const int steps = (ranged.highest - ranged.lowest) / ranged.step;
        const int value = ranged.lowest + static_cast<int>(std::lround(position / 100.0 * steps)) * ranged.step;
        if (m_settings.*ranged.member == value) return;
        m_settings.*ranged.member = value;
        if (ranged.value) ranged.value->setText(ranged.text(value));
        report();
    });
}

void CommentSettingsWindow::build() {
    using toolkit::Label;
    addRanged(m_opacity, kOpacityTop, settings_text::kOpacity, settings_text::kOpacityName);
    addRanged(m_speed, kSpeedTop, settings_text::kSpeed, settings_text::kSpeedName);
    Label::create(*m_host, QRect(kCaptionLeft, kSizeTop, kCaptionWidth, kLineHeight),
                  {.text = qText(settings_text::kTextSize)});
    for (std::size_t i = 0; i < m_sizes.size(); ++i) {
        const QRect place(kSliderLeft + static_cast<int>(i) * (kSizeWidth + 4), kSizeTop, kSizeWidth, kLineHeight);
        toolkit::RadioButton* button =
            toolkit::RadioButton::create(*m_host, place, {.text = qText(settings_text::kSizes[i])});
        m_sizes[i] = button;
        if (!button) continue;
        button->bindClick([this, i](const toolkit::Event&) {
            const auto size = static_cast<TextSize>(i);
            if (m_settings.textSize != size) {
                m_settings.textSize = size;
                report();
            }
            return false;
        });
    }
    addRanged(m_lanes, kLanesTop, settings_text::kLanes, settings_text::kLanesName);
    addRanged(m_cap, kCapTop, settings_text::kCap, settings_text::kCapName);
    m_merge = toolkit::CheckButton::create(*m_host, kMergeBox, {.text = qText(settings_text::kMerge)});
    if (m_merge) {
        m_merge->bindClick([this](const toolkit::Event&) {
            m_settings.merge = m_merge->isChecked();  // toggled before the handler runs
            report();
            return false;
        });
    }
    Label::create(*m_host, kBlockedCaption, {.text = qText(settings_text::kBlocked)});
    toolkit::EditOptions words;
    words.multiline = true;
    words.scroll = toolkit::edit_scroll::kWrapVertical;
    m_blocked = toolkit::Edit::create(*m_host, kBlockedBox, words);
    if (m_blocked) {
        toolkit::accessibility::setName(*m_blocked, qText(settings_text::kBlockedName));
        m_blocked->bind(toolkit::tkm::kEditChanged, [this](const toolkit::Event&) {
            std::vector<std::string> blocked = wordsFromLines(m_blocked->text().toStdString());
            if (blocked != m_settings.blocked) {
                m_settings.blocked = std::move(blocked);
                report();
            }
            return false;
        });
    }
    m_defaults = toolkit::Button::create(*m_host, kDefaultsButton, {.text = qText(settings_text::kDefaults)});
    m_close = toolkit::Button::create(*m_host, kCloseButton, {.text = qText(settings_text::kClose)});
    if (m_defaults) {
        m_defaults->bindClick([this](const toolkit::Event&) {
            restoreDefaults();
            return false;
        });
    }
    if (m_close) {
        m_close->bindClick([this](const toolkit::Event&) {
            m_host->close();
            return false;
        });
    }
}

void CommentSettingsWindow::showSettings() {
    m_showing = true;
    for (Ranged* ranged : {&m_opacity, &m_speed, &m_lanes, &m_cap}) {
        const int value = m_settings.*ranged->member;
        if (ranged->slider) {
            ranged->slider->setPosition(100.0 * (value - ranged->lowest) / (ranged->highest - ranged->lowest));
        }
        if (ranged->value) ranged->value->setText(ranged->text(value));
    }
    for (std::size_t i = 0; i < m_sizes.size(); ++i) {
        if (m_sizes[i]) m_sizes[i]->setChecked(static_cast<int>(m_settings.textSize) == static_cast<int>(i));
    }
    if (m_merge) m_merge->setChecked(m_settings.merge);
    if (m_blocked) {
        // The user's own lines stay as typed while they still mean the same words.
        if (wordsFromLines(m_blocked->text().toStdString()) != m_settings.blocked)
            m_blocked->setText(QString::fromStdString(linesFromWords(m_settings.blocked)));
    }
    m_showing = false;
}

void CommentSettingsWindow::setSettings(const CommentSettings& settings) {
    if (settings == m_settings) return;
    m_settings = settings;
    showSettings();
}

void CommentSettingsWindow::restoreDefaults() {
    const bool changed = !(m_settings == CommentSettings{});
    m_settings = CommentSettings{};
    showSettings();
    if (changed) report();
}

void CommentSettingsWindow::report() {
    if (m_showing || !m_changed) return;
    // The handler may close the window: keep a copy of what it is handed.
    const Changed changed = m_changed;
    changed(m_settings);
}

}  // namespace vamu::comments
