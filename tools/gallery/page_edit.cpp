// The gallery's page of edit boxes and the popup menu: a search box with a hint, a
// password box, a digits-only box of eight, a wrapping multi-line box with its
// scroll bar, a read-only rich box like the song details, and a button that opens a
// menu with check marks, a disabled item, separators and a submenu.
#include "gallery_pages.h"

#include "toolkit/accessibility.h"
#include "toolkit/controls/button.h"
#include "toolkit/controls/control.h"
#include "toolkit/controls/edit.h"
#include "toolkit/controls/label.h"
#include "toolkit/controls/page.h"
#include "toolkit/host_window.h"
#include "toolkit/popup_menu.h"

#include <memory>

namespace vamu::gallery {
namespace {

using namespace vamu::toolkit;

constexpr QRgb kHintColour = 0xFF808080;  // red, green and blue 128
constexpr QRgb kTextColour = 0xF0000000;
constexpr QRgb kLabelColour = 0xFF2B3A4A;

Label* label(ControlParent parent, QRect rect, const QString& text) {
    LabelSetup setup;
    setup.text = text;
    setup.textColour = kLabelColour;
    Label* made = Label::create(parent, rect, setup);
    if (made) made->setVertAlignMode(1);
    return made;
}

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

std::shared_ptr<PopupMenu> makeMenu(Label* status) {
    auto say = [status](QString text) {
        return [status, text = std::move(text)] { status->setText(QStringLiteral("选择了: ") + text); };
    };
    auto mode = std::make_shared<PopupMenu>();
    mode->addAction(QStringLiteral("顺序播放(&S)"), say(QStringLiteral("顺序播放")), menu_state::kChecked);
    mode->addAction(QStringLiteral("单曲循环(&R)"), say(QStringLiteral("单曲循环")));
    mode->addAction(QStringLiteral("随机播放"), say(QStringLiteral("随机播放")), menu_state::kDisabled);
    auto menu = std::make_shared<PopupMenu>();
    // Its own colour (a Windows colour value, red in the low byte): a blue highlight
    // with white text, where the edit box's menu takes the window's light colour.
    menu->setBackgroundColour(0xD37C2B);
    mode->setBackgroundColour(0xD37C2B);
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

void buildEditPage(HostWindow& window) {
    Page* parent = Page::create(window, QRect(16, 36, 440, 240));
    label(parent, QRect(0, 0, 60, 28), QStringLiteral("搜索:"));
    Edit* search = Edit::create(parent, QRect(60, 0, 180, 28));
    addHint(*search, QStringLiteral("搜索歌曲"));

    label(parent, QRect(0, 36, 60, 28), QStringLiteral("密码:"));
    EditOptions password;
    password.inputType = input_type::kPassword;
    Edit::create(parent, QRect(60, 36, 180, 28), password)->setText(QStringLiteral("vamu2015"));

    label(parent, QRect(0, 72, 60, 28), QStringLiteral("音乐ID:"));
    EditOptions digits;
    digits.inputType = input_type::kDigits;
    digits.limitLen = 8;
    addHint(*Edit::create(parent, QRect(60, 72, 100, 28), digits), QStringLiteral("音乐ID"));

    Label* status = label(parent, QRect(250, 72, 190, 28), QStringLiteral("还没有选择"));
    auto menu = makeMenu(status);
    Button* opener =
        Button::create(parent, QRect(250, 0, 120, 28), ButtonSetup{.text = QStringLiteral("弹出菜单(&U)")});
    const ControlHandle openerHandle = opener->handle();
    opener->bindClick([menu, openerHandle](const Event&) {
        BaseControl* button = resolveControl(openerHandle);
        if (!button) return false;
        const QPoint below = button->host()->geometry().topLeft() + button->absoluteRect().bottomLeft() + QPoint(0, 2);
        menu->popup(button->hostWindowHandle(), {}, below);
        return false;
    });

    EditOptions notes;
    notes.multiline = true;
    notes.scroll = edit_scroll::kWrapVertical;
    notes.text = QStringLiteral(
        "多行编辑框: 回车换行, 文字按词折行。\n"
        "Type here: Ctrl+A selects all, Ctrl+Z undoes, the right button opens the edit menu.\n"
        "第三行\n第四行\n第五行\n第六行, 滚轮或滚动条可以上下移动。");
    accessibility::setName(*Edit::create(parent, QRect(0, 112, 215, 110), notes), QStringLiteral("多行编辑框"));

    EditOptions details;
    details.multiline = true;
    details.scroll = edit_scroll::kWrapVertical;
    details.inputType = input_type::kReadOnly;
    details.rich = true;
    Edit* about = Edit::create(parent, QRect(225, 112, 215, 110), details);
    accessibility::setName(*about, QStringLiteral("歌曲介绍"));
    about->setHtml(
        QStringLiteral("<p><b>用户[小明]于2015年03月07日上传</b></p>"
                       "<p>一首写给夏天的歌, 吉他和口琴。<a href=\"song:4242\">查看同一作者的歌</a></p>"
                       "<p style=\"color:#607080\">只读的富文本框: 可以选择和复制, 不能修改。</p>"));
    about->bind(tkm::kEditLink, [status](const Event&) {
        status->setText(QStringLiteral("点了链接"));
        return false;
    });
}

}  // namespace vamu::gallery
