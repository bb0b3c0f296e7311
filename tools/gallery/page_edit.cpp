// The gallery's page of edit boxes and the popup menu: a search box with a hint, a
// password box, a digits-only box of eight, a wrapping multi-line box with its
// scroll bar, a read-only rich box like the song details, and a button that opens a
// menu with check marks, a disabled item, separators and a submenu.
#include "page_edit.h"

#include "toolkit/controls/control.h"
#include "toolkit/controls/edit.h"
#include "toolkit/controls/paint.h"
#include "toolkit/controls/text_paint.h"
#include "toolkit/host_window.h"
#include "toolkit/popup_menu.h"

#include <memory>

namespace vamu::gallery {
namespace {

using namespace vamu::toolkit;

constexpr QRgb kHintColour = 0xFF808080;  // red, green and blue 128
constexpr QRgb kTextColour = 0xF0000000;
constexpr QRgb kLabelColour = 0xFF2B3A4A;

// A line of text; presses fall through to the window.
class PageLabel final : public BaseControl {
public:
    static PageLabel* make(ControlParent parent, QRect rect, QString text) {
        CreateOptions options;
        options.mouseTrack = false;
        options.focusable = false;
        return BaseControl::create(std::make_unique<PageLabel>(std::move(text)), parent, rect, kind::kLabel, "Label",
                                   options);
    }
    explicit PageLabel(QString text) : m_text(std::move(text)) {}
    void setText(const QString& text) {
        m_text = text;
        redraw();
    }

protected:
    void onPaint(QPainter& painter, const PaintContext& context) override {
        paint::TextFormat format;
        format.alignment = Qt::AlignLeft | Qt::AlignVCenter;
        paint::drawText(painter, QRectF(context.whole), m_text, font(), kLabelColour, format);
    }

private:
    QString m_text;
};

// A push button in the theme's "Button" skin.
class PageButton final : public BaseControl {
public:
    static PageButton* make(ControlParent parent, QRect rect, QString text, std::function<void(PageButton&)> clicked) {
        return BaseControl::create(std::make_unique<PageButton>(std::move(text), std::move(clicked)), parent, rect,
                                   kind::kButton, "Button");
    }
    PageButton(QString text, std::function<void(PageButton&)> clicked)
        : m_text(std::move(text)), m_clicked(std::move(clicked)) {}

protected:
    void onPaint(QPainter& painter, const PaintContext& context) override {
        const ThemePack* theme = host() ? host()->theme() : nullptr;
        paint::drawSkinState(painter, theme, "Button", QRectF(context.whole), context.state);
        paint::TextFormat format;
        format.alignment = Qt::AlignCenter;
        format.prefix = paint::HotkeyPrefix::Show;
        paint::drawText(painter, QRectF(context.whole.adjusted(0, 0, 0, -2)), m_text, font(), 0xFF000000, format);
    }
    void onMouseEnter(ControlHandle) override { redraw(); }
    void onMouseLeave(ControlHandle) override { redraw(); }
    void onLeftDown(QPoint, int) override { redraw(); }
    void onLeftUp(QPoint, int) override { redraw(); }
    void onFocusIn(ControlHandle, bool) override { redraw(); }
    void onFocusOut(ControlHandle) override { redraw(); }
    void onClick(QPoint, int) override {
        if (m_clicked) m_clicked(*this);
    }
    QRect adjustFocusRect(const QRect& rect) const override { return rect.adjusted(3, 3, -3, -5); }

private:
    QString m_text;
    std::function<void(PageButton&)> m_clicked;
};

// A grey hint that goes when the box gets the focus and comes back when it is left
// empty.
void addHint(Edit& edit, const QString& hint) {
    edit.setText(hint);
    edit.setColours(kHintColour);
    edit.bindFocusIn([&edit, hint](const Event&) {
        if (edit.text() == hint) {
            edit.setText(QString());
            edit.setColours(kTextColour);
        }
        return false;
    });
    edit.bindFocusOut([&edit, hint](const Event&) {
        if (edit.text().isEmpty()) {
            edit.setText(hint);
            edit.setColours(kHintColour);
        }
        return false;
    });
}

std::shared_ptr<PopupMenu> makeMenu(PageLabel* status) {
    auto say = [status](QString text) {
        return [status, text = std::move(text)] { status->setText(QStringLiteral("选择了: ") + text); };
    };
    auto mode = std::make_shared<PopupMenu>();
    mode->addAction(QStringLiteral("顺序播放(&S)"), say(QStringLiteral("顺序播放")), menu_state::kChecked);
    mode->addAction(QStringLiteral("单曲循环(&R)"), say(QStringLiteral("单曲循环")));
    mode->addAction(QStringLiteral("随机播放"), say(QStringLiteral("随机播放")), menu_state::kDisabled);
    auto menu = std::make_shared<PopupMenu>();
    menu->addAction(QStringLiteral("播放(&P)"), say(QStringLiteral("播放")));
    menu->addAction(QStringLiteral("收藏(&F)"), say(QStringLiteral("收藏")), menu_state::kChecked);
    menu->addAction(QStringLiteral("删除(&D)"), say(QStringLiteral("删除")), menu_state::kDisabled);
    menu->addSeparator();
    menu->addSubmenu(QStringLiteral("播放模式(&M)"), mode);
    menu->addSeparator();
    menu->addAction(QStringLiteral("关于 vamu"), say(QStringLiteral("关于")));
    return menu;
}

}  // namespace

void buildEditPage(ControlParent parent) {
    PageLabel::make(parent, QRect(0, 0, 60, 28), QStringLiteral("搜索:"));
    Edit* search = Edit::create(parent, QRect(60, 0, 180, 28));
    addHint(*search, QStringLiteral("搜索歌曲"));

    PageLabel::make(parent, QRect(0, 36, 60, 28), QStringLiteral("密码:"));
    EditOptions password;
    password.inputType = input_type::kPassword;
    Edit::create(parent, QRect(60, 36, 180, 28), password)->setText(QStringLiteral("vamu2015"));

    PageLabel::make(parent, QRect(0, 72, 60, 28), QStringLiteral("音乐ID:"));
    EditOptions digits;
    digits.inputType = input_type::kDigits;
    digits.limitLen = 8;
    addHint(*Edit::create(parent, QRect(60, 72, 100, 28), digits), QStringLiteral("音乐ID"));

    PageLabel* status = PageLabel::make(parent, QRect(250, 72, 190, 28), QStringLiteral("还没有选择"));
    auto menu = makeMenu(status);
    PageButton::make(parent, QRect(250, 0, 120, 28), QStringLiteral("弹出菜单(&U)"), [menu](PageButton& button) {
        const QPoint below = button.host()->geometry().topLeft() + button.absoluteRect().bottomLeft() + QPoint(0, 2);
        menu->popup(button.hostWindowHandle(), {}, below);
    });

    EditOptions notes;
    notes.multiline = true;
    notes.scroll = edit_scroll::kWrapVertical;
    notes.text = QStringLiteral(
        "多行编辑框: 回车换行, 文字按词折行。\n"
        "Type here: Ctrl+A selects all, Ctrl+Z undoes, the right button opens the edit menu.\n"
        "第三行\n第四行\n第五行\n第六行, 滚轮或滚动条可以上下移动。");
    Edit::create(parent, QRect(0, 112, 215, 110), notes);

    EditOptions details;
    details.multiline = true;
    details.scroll = edit_scroll::kWrapVertical;
    details.inputType = input_type::kReadOnly;
    details.rich = true;
    Edit* about = Edit::create(parent, QRect(225, 112, 215, 110), details);
    about->setHtml(QStringLiteral(
        "<p><b>用户[小明]于2015年03月07日上传</b></p>"
        "<p>一首写给夏天的歌, 吉他和口琴。<a href=\"song:4242\">查看同一作者的歌</a></p>"
        "<p style=\"color:#607080\">只读的富文本框: 可以选择和复制, 不能修改。</p>"));
    about->bind(tkm::kEditLink, [status](const Event&) {
        status->setText(QStringLiteral("点了链接"));
        return false;
    });
}

}  // namespace vamu::gallery
