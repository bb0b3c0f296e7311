#pragma once
// The text label: one line placed at the top, middle or bottom (VertAlignMode), or
// text wrapped over the whole area (AutoCutLine), 2 pixels in from every edge; an
// optional gradient background (LineType) and border. With AutoSetColor the text is
// white over a dark part of the window's background picture and black elsewhere.
//
// A label takes neither the focus nor the mouse: a press on it acts on the window
// below (a movable window is dragged by it). Its text is shown as it is, ampersands
// included, and gives it no access key.

#include "toolkit/controls/control.h"
#include "toolkit/controls/control_properties.h"
#include "toolkit/controls/text_paint.h"

#include <optional>

namespace vamu::toolkit {

struct LabelSetup {
    QString text;
    QRgb textColour = 0xFF000000;
    int lineType = -1;  // -1 no background, else the gradient mode (0 horizontal, 1 vertical, 2, 3 diagonal)
    QRgb background1 = 0;
    QRgb background2 = 0;
    bool autoCutLine = false;
    bool autoSetColour = false;
    QString fontName;  // empty: the toolkit font's face
    int fontSize = 12;
    int fontStyle = 0;
    int horzAlignMode = 0;  // 0 near, 1 centre, 2 far
    int trimming = 0;       // 0 none, 1 character, 2 word, 3..5 with an ellipsis
    int textEffect = paint::effect::kNone;
    std::optional<QRgb> effectColour;  // none: automatic
    long long border = 0;              // 0 none, 1..4 a border style, otherwise a colour
    bool visible = true;
};

class Label : public BaseControl, public PropertyHolder {
public:
    static Label* create(ControlParent parent, const QRect& rect, const LabelSetup& setup = {});

    [[nodiscard]] const QString& text() const { return m_text; }
    void setText(const QString& text);
    [[nodiscard]] QRgb textColour() const { return m_textColour; }
    void setTextColour(QRgb colour);
    void setBackground(int lineType, QRgb from, QRgb to);
    void setBorder(long long border);
    void setAutoCutLine(bool on);
    void setAutoSetColour(bool on);
    // 0 top, 1 middle, 2 bottom (one-line text only).
    void setVertAlignMode(int mode);
    void setHorzAlignMode(int mode);
    void setTrimming(int trimming);
    void setTextEffect(int effect, std::optional<QRgb> colour = std::nullopt);
    // The colour the text is painted in now (AutoSetColor decides it at paint time).
    [[nodiscard]] QRgb paintedTextColour() const;
    [[nodiscard]] paint::TextFormat textFormat() const;

    std::optional<PropertyValues> property(std::string_view name, const PropertyValues* set) override;

protected:
    Label() = default;
    template <class T>
    static T* createAs(std::unique_ptr<T> label, ControlParent parent, const QRect& rect, const LabelSetup& setup,
                       int kind, std::string_view className, const CreateOptions& options) {
        label->takeSpec(setup);
        T* created = BaseControl::create(std::move(label), parent, rect, kind, className, options);
        if (created) created->registerText();
        return created;
    }
    void takeSpec(const LabelSetup& setup);
    void registerText();
    // Links show and register their "&" access key; a plain label shows its text as
    // it is (song titles hold ampersands) and never claims an access key.
    void setAccessKeys(bool on) { m_accessKeys = on; }

    std::intptr_t classProc(const Message& message) override;
    void onCreate(int createData) override;
    void onPaint(QPainter& painter, const PaintContext& context) override;

private:
    // Whether most of eight points round the text area lie on a dark part of the
    // window's background picture.
    [[nodiscard]] bool overDarkBackground(const QRect& textArea) const;

    QString m_text;
    QRgb m_textColour = 0xFF000000;
    int m_lineType = -1;
    QRgb m_background1 = 0;
    QRgb m_background2 = 0;
    bool m_autoCutLine = false;
    int m_vertAlignMode = 1;
    int m_horzAlignMode = 0;
    int m_trimming = 0;
    int m_textEffect = paint::effect::kNone;
    long long m_border = 0;
    bool m_autoSetColour = false;
    std::optional<QRgb> m_effectColour;
    std::optional<QFont> m_createFont;
    bool m_accessKeys = false;
};

}  // namespace vamu::toolkit
