// Gallery page of the buttons, labels and pictures: every kind with its looks, and a
// status line that names what was clicked.
//
// buttons_spinner.gif beside this file is an 8-frame ImageMagick animation (dots in
// a ring, 90 ms a frame), embedded by the gallery as vamu::gallery::resources::spinner.
#include "gallery_pages.h"

#include "platform/desktop.h"
#include "toolkit/accessibility.h"
#include "toolkit/controls/button.h"
#include "toolkit/controls/check_button.h"
#include "toolkit/controls/group_box.h"
#include "toolkit/controls/image_box.h"
#include "toolkit/controls/image_button.h"
#include "toolkit/controls/label.h"
#include "toolkit/controls/link.h"
#include "toolkit/controls/new_obj.h"
#include "toolkit/controls/page.h"
#include "toolkit/controls/paint.h"
#include "toolkit/controls/sys_button.h"
#include "toolkit/controls/thunder_button.h"
#include "toolkit/host_window.h"
#include "toolkit/toolkit.h"

#include <embedded/vamu_gallery_data.h>

#include <QBuffer>
#include <QPainter>
#include <QPainterPath>

#include <array>

namespace vamu::gallery {

using namespace toolkit;

namespace {

QImage canvas(QSize size) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

QImage playIcon() {
    QImage icon = canvas(QSize(16, 16));
    QPainter painter(&icon);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath triangle;
    triangle.moveTo(4, 2);
    triangle.lineTo(14, 8);
    triangle.lineTo(4, 14);
    triangle.closeSubpath();
    painter.fillPath(triangle, QColor(0x2B, 0x7C, 0xD3));
    return icon;
}

QImage downloadIcon() {
    QImage icon = canvas(QSize(20, 20));
    QPainter painter(&icon);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0x2E, 0x8B, 0x57), 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawLine(QPointF(10, 2), QPointF(10, 13));
    painter.drawPolyline(QPolygonF({{5, 9}, {10, 14}, {15, 9}}));
    painter.drawLine(QPointF(3, 18), QPointF(17, 18));
    return icon;
}

// A round-cornered tile in one colour with a symbol, for the picture buttons.
QImage tile(QSize size, QColor colour, const QString& symbol) {
    QImage image = canvas(size);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    path.addRoundedRect(QRectF(0.5, 0.5, size.width() - 1, size.height() - 1), 5, 5);
    painter.fillPath(path, colour);
    painter.setPen(Qt::white);
    painter.setFont(makeFont(toolkitFont().family(), 14, font_style::kBold));
    painter.drawText(QRect(QPoint(0, 0), size), Qt::AlignCenter, symbol);
    return image;
}

// Four cells side by side: normal, hot, pressed, disabled.
QImage strip() {
    const std::array<QColor, 4> colours{QColor(0x5B, 0x8D, 0xC9), QColor(0x3F, 0xA3, 0xE8), QColor(0x2A, 0x5E, 0x9A),
                                        QColor(0xA8, 0xAE, 0xB5)};
    QImage image = canvas(QSize(4 * 36, 28));
    QPainter painter(&image);
    for (int i = 0; i < 4; ++i)
        painter.drawImage(QPoint(i * 36, 0), tile(QSize(36, 28), colours[i], QStringLiteral("♪")));
    return image;
}

QByteArray pngOf(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// A stand-in avatar: a face in a gradient circle.
QByteArray avatar(QColor from, QColor to) {
    QImage image(96, 96, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient fill(0, 0, 96, 96);
    fill.setColorAt(0, from);
    fill.setColorAt(1, to);
    painter.fillRect(image.rect(), fill);
    painter.setBrush(QColor(255, 255, 255, 220));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QRectF(30, 18, 36, 36));
    painter.drawEllipse(QRectF(14, 58, 68, 60));
    return pngOf(image);
}

QByteArray spinner() {
    const auto bytes = resources::spinner();
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
}

LabelSetup heading(const QString& text) {
    LabelSetup setup;
    setup.text = text;
    setup.textColour = 0xFF2B3A4A;
    setup.fontSize = 13;
    setup.fontStyle = font_style::kBold;
    return setup;
}

}  // namespace

void buildButtonsPage(HostWindow& window) {
    LabelSetup statusSpec;
    statusSpec.text = QStringLiteral("点一点各个控件；Tab 在按钮之间移动，空格或回车点击，Alt+O 点“确定”。");
    statusSpec.textColour = 0xFF44546A;
    Label* status = Label::create(window, QRect(16, 430, 600, 20), statusSpec);
    const ControlHandle statusHandle = status->handle();
    // Every click names its control in the status line.
    const auto report = [statusHandle](const QString& what) {
        return [statusHandle, what](const Event&) {
            if (auto* line = resolveControlAs<Label>(statusHandle)) line->setText(QStringLiteral("点击了：") + what);
            return false;
        };
    };

    Label::create(window, QRect(16, 34, 200, 20), heading(QStringLiteral("按钮")));
    Button* ok = Button::create(window, QRect(16, 58, 84, 26), {.text = QStringLiteral("确定(&O)")});
    ok->bindClick(report(QStringLiteral("确定")));
    ok->setTips(QStringLiteral("悬停与按下都会渐变"));
    Button* play = Button::create(window, QRect(108, 58, 84, 26), {.text = QStringLiteral("播放"), .icon = playIcon()});
    play->setLayoutOffsets(QPoint(), 4);
    play->bindClick(report(QStringLiteral("播放")));
    Button* download =
        Button::create(window, QRect(200, 44, 64, 54), {.text = QStringLiteral("下载"), .icon = downloadIcon()});
    download->setIconFlag(2);
    download->setLayoutOffsets(QPoint(), 2);
    download->bindClick(report(QStringLiteral("下载")));
    Button* disabled = Button::create(window, QRect(272, 58, 76, 26), {.text = QStringLiteral("不可用")});
    disabled->setDisabled(true);
    ThunderButton* thunder = ThunderButton::create(window, QRect(356, 57, 96, 28), {.text = QStringLiteral("雷按钮")});
    thunder->bindClick(report(QStringLiteral("雷按钮")));
    ThunderButton* spot =
        ThunderButton::create(window, QRect(460, 57, 124, 28), {.text = QStringLiteral("聚焦看光点")});
    spot->bindClick(report(QStringLiteral("聚焦看光点")));

    CheckButton* comments = CheckButton::create(window, QRect(16, 106, 110, 22), {.text = QStringLiteral("显示弹幕")});
    comments->setChecked(true);
    comments->bindClick(report(QStringLiteral("显示弹幕")));
    CheckButton* startup = CheckButton::create(window, QRect(130, 106, 110, 22), {.text = QStringLiteral("开机启动")});
    startup->bindClick(report(QStringLiteral("开机启动")));

    GroupBox* mode =
        GroupBox::create(window, QRect(16, 138, 190, 112), {.text = QStringLiteral("播放模式"), .border = 0xFFA0A8B4});
    const std::array<QString, 3> modes{QStringLiteral("顺序播放"), QStringLiteral("单曲循环"),
                                       QStringLiteral("随机播放")};
    for (int i = 0; i < 3; ++i) {
        RadioButton* radio = RadioButton::create(mode, QRect(12, 24 + i * 26, 150, 22), {.text = modes[i]});
        radio->bindClick(report(modes[i]));
        if (i == 0) radio->setChecked(true);
    }

    GroupBox* pictures = GroupBox::create(window, QRect(216, 138, 176, 112),
                                          {.text = QStringLiteral("图片按钮"),
                                           .border = 0xFF7A9CC6,
                                           .cornerDiameter = 10,
                                           .background = 0x40FFFFFF,
                                           .align = 1});
    ImageButton* picture = ImageButton::create(pictures, QRect(16, 30, 64, 28));
    picture->setImage(ImageButton::Look::Normal, tile(QSize(64, 28), QColor(0x6C, 0x9E, 0x4F), QStringLiteral("赞")));
    picture->setImage(ImageButton::Look::Highlight,
                      tile(QSize(64, 28), QColor(0x82, 0xBA, 0x60), QStringLiteral("赞")));
    picture->setImage(ImageButton::Look::Down, tile(QSize(64, 28), QColor(0x4E, 0x7A, 0x37), QStringLiteral("赞")));
    picture->setFill(paint::fill::kStretch);
    picture->bindClick(report(QStringLiteral("图片按钮")));
    accessibility::setName(*picture, QStringLiteral("赞"));
    ImageListButton* strips = ImageListButton::create(pictures, QRect(96, 30, 36, 28));
    strips->setStrip(strip(), 4);
    strips->bindClick(report(QStringLiteral("图片条按钮")));
    accessibility::setName(*strips, QStringLiteral("图片条按钮"));
    ImageListButton* stripsOff = ImageListButton::create(pictures, QRect(96, 68, 36, 28));
    stripsOff->setStrip(strip(), 4);
    stripsOff->setDisabled(true);
    accessibility::setName(*stripsOff, QStringLiteral("不可用的图片条按钮"));
    Label::create(pictures, QRect(16, 70, 76, 24), {.text = QStringLiteral("条目不可用→"), .textColour = 0xFF6A7A8A});

    Label::create(window, QRect(404, 100, 200, 20), heading(QStringLiteral("图片")));
    ImageBox::create(window, QRect(404, 126, 48, 48), spinner(), {.fillType = paint::fill::kNatural});
    const std::array<QByteArray, 2> faces{avatar(QColor(0xF0, 0x9A, 0x5A), QColor(0xC8, 0x4B, 0x6A)),
                                          avatar(QColor(0x4A, 0xA8, 0xD8), QColor(0x3A, 0x5A, 0xB8))};
    NewObj* face = NewObj::create(window, QRect(470, 116, 68, 68),
                                  {.picture = faces[0],
                                   .ringNormal = 0xFFFFFFFF,
                                   .ringHot = 0xFFFFC83C,
                                   .ringPressed = 0xFF5ACB7A,
                                   .ringWidth = 3});
    face->setTips(QStringLiteral("点我换头像（渐变）；透明的角落点不到我"));
    const ControlHandle faceHandle = face->handle();
    face->bindClick([faceHandle, faces, report](const Event& event) {
        if (auto* round = resolveControlAs<NewObj>(faceHandle)) {
            round->setPicture(round->pictureBytes() == faces[0] ? faces[1] : faces[0]);
        }
        return report(QStringLiteral("圆形头像"))(event);
    });
    ImageBox::create(window, QRect(552, 126, 48, 48),
                     pngOf(tile(QSize(24, 24), QColor(0xD8, 0x6A, 0x3A), QStringLiteral("框"))),
                     {.background = 0xFFFFF4E0, .border = 0xFFD8A070, .fillType = paint::fill::kCentre});

    Label::create(window, QRect(16, 262, 200, 20), heading(QStringLiteral("标签与链接")));
    LabelSetup gradient;
    gradient.text = QStringLiteral("渐变背景与边框");
    gradient.textColour = 0xFFFFFFFF;
    gradient.lineType = 0;
    gradient.background1 = 0xFF2B7CD3;
    gradient.background2 = 0xFF7A4FC4;
    gradient.border = 0xFF1A3E6E;
    gradient.horzAlignMode = 1;
    gradient.textEffect = paint::effect::kGlow;
    gradient.effectColour = 0x90000000;
    Label::create(window, QRect(16, 286, 180, 28), gradient);
    LabelSetup wrapped;
    wrapped.text = QStringLiteral("这是一段会自动换行的文字：宽度不够时折到下一行，超出部分被裁掉。");
    wrapped.autoCutLine = true;
    wrapped.textColour = 0xFF33414F;
    wrapped.border = 1;
    Label::create(window, QRect(206, 286, 190, 52), wrapped);
    LabelSetup bottom;
    bottom.text = QStringLiteral("靠下对齐");
    bottom.border = 0xFFB0BCC8;
    Label* bottomLabel = Label::create(window, QRect(16, 320, 86, 40), bottom);
    bottomLabel->setVertAlignMode(2);
    LabelSetup top = bottom;
    top.text = QStringLiteral("靠上对齐");
    Label* topLabel = Label::create(window, QRect(110, 320, 86, 40), top);
    topLabel->setVertAlignMode(0);

    LabelSetup automatic;
    automatic.autoSetColour = true;
    automatic.horzAlignMode = 1;
    automatic.text = QStringLiteral("自动颜色：深底白字");
    Label::create(window, QRect(406, 382, 200, 24), automatic);
    automatic.text = QStringLiteral("自动颜色：浅底黑字");
    Label::create(window, QRect(406, 250, 200, 24), automatic);

    Link* mail = Link::create(
        window, QRect(206, 346, 120, 20),
        {.label = {.text = QStringLiteral("写信给我们(&M)")}, .address = QStringLiteral("feedback@example.org")});
    mail->bindClick(report(QStringLiteral("写信链接（mailto:）")));
    Link* web = Link::create(window, QRect(330, 346, 80, 20),
                             {.label = {.text = QStringLiteral("项目主页")},
                              .address = QStringLiteral("http://127.0.0.1:8960/"),
                              .linkType = 1});
    web->bindClick(report(QStringLiteral("网页链接")));

    // A page holds controls that come and go together.
    Page* page = Page::create(window, QRect(16, 372, 380, 52), false);
    GroupBox::create(page, QRect(0, 0, 380, 52), {.text = QStringLiteral("第二页"), .border = 0xFF9AA8B8});
    Label::create(page, QRect(12, 22, 200, 22), {.text = QStringLiteral("页里的标签和按钮一起显示和隐藏")});
    Button::create(page, QRect(290, 20, 76, 26), {.text = QStringLiteral("页内按钮")})
        ->bindClick(report(QStringLiteral("页内按钮")));
    CheckButton* showPage =
        CheckButton::create(window, QRect(250, 106, 130, 22), {.text = QStringLiteral("显示第二页")});
    const ControlHandle pageHandle = page->handle();
    showPage->bindClick([pageHandle, showPage](const Event&) {
        if (BaseControl* p = resolveControl(pageHandle)) p->setVisible(showPage->isChecked());
        return false;
    });

    // The caption buttons the application binds.
    const std::array<std::pair<unsigned, const char*>, 4> bound{
        {{caption::kMenu, "菜单"}, {caption::kSkin, "换肤"}, {caption::kReport, "反馈"}, {caption::kSetting, "设置"}}};
    for (const auto& [flag, name] : bound) {
        if (BaseControl* button = window.captionControl(flag)) button->bindClick(report(QString::fromUtf8(name)));
    }
}

}  // namespace vamu::gallery
