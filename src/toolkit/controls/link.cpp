#include "toolkit/controls/link.h"

#include "platform/desktop.h"
#include "toolkit/controls/class_names.h"
#include "toolkit/toolkit.h"

namespace vamu::toolkit {
namespace {

constexpr int kFadeFrames = 8;
constexpr int kFrameInterval = 25;
constexpr auto kMailScheme = QLatin1String("mailto:");

}  // namespace

Link* Link::create(ControlParent parent, const QRect& rect, const LinkSetup& setup) {
    LabelSetup label = setup.label;
    label.autoCutLine = false;
    CreateOptions options;
    options.visible = label.visible;
    options.focusable = true;
    options.mouseTrack = true;
    options.tabStop = true;
    options.drawTabStop = true;
    options.animationInterval = kFrameInterval;
    options.cursor = platform::CursorShape::Hand;
    auto link = std::unique_ptr<Link>(new Link);
    link->m_address = setup.address;
    link->m_linkType = setup.linkType;
    link->m_normal = label.textColour;
    link->setAccessKeys(true);
    return createAs(std::move(link), parent, rect, label, kind::kLink, names::kLink, options);
}

QString Link::openedAddress(const QString& address, int linkType) {
    // A mail link already written with its scheme is not given a second one.
    if (linkType != 0 || address.startsWith(kMailScheme, Qt::CaseInsensitive)) return address;
    return kMailScheme + address;
}

void Link::setColours(QRgb normal, QRgb highlight, QRgb visited) {
    m_normal = normal;
    m_highlight = highlight;
    m_visitedColour = visited;
    const QRgb resting = m_visited ? m_visitedColour : m_normal;
    setTextColour((state() & state::kHot) ? m_highlight : resting);
}

void Link::restyle(bool underline, QRgb colour) {
    int style = fontStyleOf(font());
    style = underline ? (style | font_style::kUnderline) : (style & ~font_style::kUnderline);
    // One paint for both changes, so the fade runs once.
    setFont(makeFont(font().family(), font().pixelSize(), style), false);
    if (colour == textColour())
        redraw();
    else
        setTextColour(colour);
}

void Link::onMouseEnter(ControlHandle) {
    setAnimationFramesAndTimer(kFadeFrames, animationInterval());
    restyle(true, m_highlight);
}

void Link::onMouseLeave(ControlHandle) { restyle(false, m_visited ? m_visitedColour : m_normal); }

void Link::onClick(QPoint, int) {
    m_visited = true;
    setTextColour(m_visitedColour);
    if (!m_address.isEmpty()) platform::openAddress(openedAddress(m_address, m_linkType));
}

std::optional<PropertyValues> Link::property(std::string_view name, const PropertyValues* set) {
    const auto colour = [&] { return static_cast<QRgb>(intArgument(*set, 0)); };
    if (name == "LinkAddress") {
        if (set) setAddress(textArgument(*set, 0));
        return PropertyValues{m_address};
    }
    if (name == "LinkType") {
        if (set) setLinkType(static_cast<int>(intArgument(*set, 0)));
        return PropertyValues{static_cast<long long>(m_linkType)};
    }
    if (name == "crNormal") {
        if (set) setColours(colour(), m_highlight, m_visitedColour);
        return PropertyValues{static_cast<long long>(m_normal)};
    }
    if (name == "crHighlight") {
        if (set) setColours(m_normal, colour(), m_visitedColour);
        return PropertyValues{static_cast<long long>(m_highlight)};
    }
    if (name == "crVisited") {
        if (set) setColours(m_normal, m_highlight, colour());
        return PropertyValues{static_cast<long long>(m_visitedColour)};
    }
    return Label::property(name, set);
}

}  // namespace vamu::toolkit
