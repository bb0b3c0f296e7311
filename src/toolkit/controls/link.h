#pragma once
// The link: a one-line label that takes the focus and the mouse, underlines itself
// and turns crHighlight while the mouse is over it, and on a click (mouse, Enter,
// Space or its access key) turns crVisited and hands LinkAddress to the desktop:
// with LinkType 0 as a mail address ("mailto:" in front), otherwise as it is.

#include "toolkit/controls/label.h"

namespace vamu::toolkit {

struct LinkSetup {
    LabelSetup label;
    QString address;
    int linkType = 0;  // 0 a mail address, otherwise any address the desktop opens
};

class Link final : public Label {
public:
    static Link* create(ControlParent parent, const QRect& rect, const LinkSetup& setup = {});

    [[nodiscard]] const QString& address() const { return m_address; }
    void setAddress(const QString& address) { m_address = address; }
    [[nodiscard]] int linkType() const { return m_linkType; }
    void setLinkType(int type) { m_linkType = type; }
    void setColours(QRgb normal, QRgb highlight, QRgb visited);
    [[nodiscard]] bool visited() const { return m_visited; }

    // What a click hands to the desktop for an address and link type.
    [[nodiscard]] static QString openedAddress(const QString& address, int linkType);

    std::optional<PropertyValues> property(std::string_view name, const PropertyValues* set) override;

private:
    Link() = default;
    void onMouseEnter(ControlHandle previous) override;
    void onMouseLeave(ControlHandle next) override;
    void onClick(QPoint local, int modifiers) override;
    void restyle(bool underline, QRgb colour);

    QString m_address;
    QRgb m_normal = 0xFF000000;
    QRgb m_highlight = qRgb(0, 96, 192);
    QRgb m_visitedColour = qRgb(128, 0, 0);
    bool m_visited = false;
    int m_linkType = 0;
};

}  // namespace vamu::toolkit
