#pragma once
// The push button, template of the button family: the skin "Button" drawn by visual
// state as a nine-grid, an icon and a one-line text placed by IconFlag inside the
// skin's "margin" area, and cross-fades of 8 frames at 25 ms when the mouse enters
// or leaves (a press soon after is faded too). Enter and Space on the focused button
// and its "&" access key click it like the mouse does.
//
// Derived buttons hook into painting: paintBackground() replaces the skin,
// afterDraw() may move the laid-out rectangles and draw extras, paintText() may
// draw the text itself. Their order: background, layout, afterDraw, icon, text.

#include "toolkit/controls/control.h"
#include "toolkit/controls/control_properties.h"
#include "toolkit/controls/text_paint.h"

#include <QImage>

#include <optional>

namespace vamu::toolkit {

class ThemePack;

// The visual states of the button family (also the skin state keys' flags).
namespace button_state {
inline constexpr std::uint32_t kNormal = 0;
inline constexpr std::uint32_t kPressed = state::kPressed;
inline constexpr std::uint32_t kHot = state::kHot;
}  // namespace button_state

struct ButtonLayout {
    QRect icon;  // empty: no icon is drawn
    QRect text;
};

// Places the icon (natural size) and the text (measured size) in the area:
// 0 icon, gap and text in a centred row; 1 text then icon; 2 icon above the text;
// 3 both centred on each other; 4 icon at the left edge, text after it; 5 text from
// the left, icon after it; 6 icon at the top edge, text below. Any other flag draws
// no icon and gives the text the whole area. Coordinates truncate towards zero.
[[nodiscard]] ButtonLayout layoutButton(const QRect& area, QSize icon, QSizeF text, int iconFlag, QPoint offset,
                                        int splitter);

struct ButtonSetup {
    QString text;
    QRgb textColour = 0xFF000000;
    QString fontName;   // empty: the toolkit font's face
    int fontSize = 12;  // pixels
    int fontStyle = 0;  // font_style bits
    QImage icon;
    std::optional<QRgb> effectColour;  // none: automatic
    bool visible = true;
};

class Button : public BaseControl, public PropertyHolder {
public:
    static Button* create(ControlParent parent, const QRect& rect, const ButtonSetup& setup = {});

    [[nodiscard]] const QString& text() const { return m_text; }
    void setText(const QString& text);
    [[nodiscard]] QRgb textColour() const { return m_textColour; }
    void setTextColour(QRgb colour);
    [[nodiscard]] int textEffect() const { return m_textEffect; }
    void setTextEffect(int effect);
    void setEffectColour(std::optional<QRgb> colour);
    [[nodiscard]] const QImage& icon() const { return m_icon; }
    void setIcon(const QImage& icon);
    [[nodiscard]] int iconFlag() const { return m_iconFlag; }
    void setIconFlag(int flag);
    // OffsetX, OffsetY and Splitter of the layout.
    void setLayoutOffsets(QPoint offset, int splitter);
    void setFormat(const paint::TextFormat& format);
    [[nodiscard]] const paint::TextFormat& format() const { return m_format; }

    // 0 normal, 8 pressed, 128 hot; and the rectangles of the last paint.
    [[nodiscard]] std::uint32_t visualState() const { return m_visualState; }
    [[nodiscard]] const ButtonLayout& lastLayout() const { return m_lastLayout; }

    std::optional<PropertyValues> property(std::string_view name, const PropertyValues* set) override;

protected:
    Button() = default;
    // Creation shared by the family: takes the creation values, creates with the kind and the
    // button options (focusable, mouse tracking, 25 ms animation frames).
    template <class T>
    static T* createAs(std::unique_ptr<T> button, ControlParent parent, const QRect& rect, const ButtonSetup& setup,
                       int kind, std::string_view className, bool drawTabStop = true) {
        button->takeSpec(setup);
        T* created = BaseControl::create(std::move(button), parent, rect, kind, className, options(setup, drawTabStop));
        if (created) created->registerText();
        return created;
    }

    // Answers true when it drew the background; the layout area is then the whole
    // control.
    virtual bool paintBackground(QPainter&, std::uint32_t /*visualState*/) { return false; }
    virtual void afterDraw(QPainter&, ButtonLayout& /*layout*/, std::uint32_t /*visualState*/) {}
    // Answers true when it drew the text.
    virtual bool paintText(QPainter&, const QRect& /*rect*/) { return false; }

    // The whole look in a visual state, onto any painter.
    void render(QPainter& painter, std::uint32_t visualState);
    // Stores the state and paints; the painting protocol fades when frames are set.
    void paintState(std::uint32_t visualState);
    void setFocusRect(const QRect& rect) { m_focusRect = rect; }
    [[nodiscard]] const ThemePack* theme() const;
    void takeSpec(const ButtonSetup& setup);
    void registerText();

    std::intptr_t classProc(const Message& message) override;
    QRect adjustFocusRect(const QRect& rect) const override;
    void onCreate(int createData) override;
    void onCreated() override;
    void onPaint(QPainter& painter, const PaintContext& context) override;
    void onMouseEnter(ControlHandle previous) override;
    void onMouseLeave(ControlHandle next) override;
    void onFocusOut(ControlHandle next) override;
    void onLeftDown(QPoint local, int modifiers) override;
    void onLeftUp(QPoint local, int modifiers) override;
    void onAnimationEnd() override;

private:
    static CreateOptions options(const ButtonSetup& setup, bool drawTabStop);

    std::uint32_t m_visualState = button_state::kNormal;
    QString m_text;
    int m_textEffect = paint::effect::kNone;
    QRgb m_textColour = 0xFF000000;
    paint::TextFormat m_format;
    std::optional<QRgb> m_effectColour;
    QImage m_icon;
    QByteArray m_iconBytes;
    int m_iconFlag = 0;
    QPoint m_offset;
    int m_splitter = 0;
    std::optional<QFont> m_createFont;
    QRect m_focusRect;
    ButtonLayout m_lastLayout;
};

// The string format buttons start with: one line, near alignment, no trimming,
// access-key underlines shown.
[[nodiscard]] paint::TextFormat buttonTextFormat();

}  // namespace vamu::toolkit
