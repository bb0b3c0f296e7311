// Gallery page: the message box in each of its button sets, with and without an
// owner's skin, from a worker thread, and the tray icon with its handler codes and
// balloon. The page lives as long as its window.
#include "gallery_pages.h"

#include <QBuffer>
#include <QPainter>
#include <memory>
#include <thread>

#include "platform/ui_thread.h"
#include "toolkit/controls/button.h"
#include "toolkit/controls/control.h"
#include "toolkit/controls/label.h"
#include "toolkit/host_window.h"
#include "toolkit/message_box.h"
#include "toolkit/tray_icon.h"

namespace vamu::gallery {

using namespace vamu::toolkit;

namespace {

struct PageState {
    HostWindow* window = nullptr;
    ControlHandle status;
    TrayIcon tray;
    QStringList trayCodes;  // the latest codes of the tray icon's handler
    std::jthread worker;

    void show(const QString& text) {
        if (auto* label = resolveControlAs<Label>(status)) label->setText(text);
    }
};

// A button that runs the action on each click.
void addButton(HostWindow& window, const QRect& rect, const QString& text, std::function<void()> action) {
    ButtonSetup face;
    face.text = text;
    if (Button* button = Button::create(window, rect, face)) {
        button->bindClick([action = std::move(action)](const Event&) {
            action();
            return false;
        });
    }
}

QString resultName(int result) {
    static const char* const kNames[] = {"确认", "取消或关闭", "放弃", "重试", "忽略", "是", "否"};
    return result >= 0 && result <= 6 ? QString::fromUtf8(kNames[result]) : QString::number(result);
}

QByteArray trayPicture() {
    QImage image(32, 32, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0x2B, 0x7C, 0xD3));
        painter.drawEllipse(QRectF(2, 2, 28, 28));
        painter.setBrush(Qt::white);
        painter.drawEllipse(QRectF(11, 11, 10, 10));
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

}  // namespace

// Builds the page into a window of at least 440 x 300.
void buildMessageBoxPage(HostWindow& window) {
    const QRect area(16, 40, 400, 240);
    // Owned by the page's buttons, so it goes with the window's controls.
    auto state = std::make_shared<PageState>();
    state->window = &window;
    LabelSetup statusLook;
    if (Label* status = Label::create(window, QRect(area.x(), area.bottom() - 24, area.width(), 22), statusLook)) {
        state->status = status->handle();
    }

    struct Sample {
        const char* caption;
        MessageButtons set;
        int icon;
        const char* text;
    };
    static const Sample kSamples[] = {
        {"确认", MessageButtons::Ok, message_icon::kInformation, "歌曲已经下载完成，保存在音乐文件夹中。"},
        {"确认 取消", MessageButtons::OkCancel, message_icon::kQuestion, "要退出吗？"},
        {"放弃 重试 忽略", MessageButtons::AbortRetryIgnore, message_icon::kStop, "网络连接失败。"},
        {"是 否 取消", MessageButtons::YesNoCancel, message_icon::kExclamation, "收藏列表已改动，要同步吗？"},
        {"是 否", MessageButtons::YesNo, message_icon::kQuestion, "删除这首歌曲吗？"},
        {"重试 取消", MessageButtons::RetryCancel, message_icon::kUser, "登录失败，请重试。"},
    };
    const int columnWidth = 128;
    for (int i = 0; i < 6; ++i) {
        const Sample& sample = kSamples[i];
        const QRect rect(area.x() + (i % 3) * (columnWidth + 8), area.y() + (i / 3) * 34, columnWidth, 26);
        addButton(window, rect, QString::fromUtf8(sample.caption), [state, &sample] {
            MessageBoxOptions options;
            options.buttons = sample.set;
            options.icon = sample.icon;
            options.defaultResult = sample.set == MessageButtons::Ok ? message_result::kOk : message_result::kCancel;
            const int result = messageBox(state->window->windowHandle(), QString::fromUtf8(sample.text), options);
            state->show(QStringLiteral("结果：%1（%2）").arg(result).arg(resultName(result)));
        });
    }

    const int row = area.y() + 76;
    addButton(window, QRect(area.x(), row, columnWidth, 26), QStringLiteral("自己的皮肤"), [state] {
        const int result = messageBox({}, QStringLiteral("没有主窗口的消息框用自己的蓝色半透明皮肤。"));
        state->show(QStringLiteral("结果：%1（%2）").arg(result).arg(resultName(result)));
    });
    addButton(window, QRect(area.x() + columnWidth + 8, row, columnWidth, 26), QStringLiteral("长文字"), [state] {
        MessageBoxOptions options;
        options.width = 360;
        options.icon = message_icon::kInformation;
        const int result =
            messageBox(state->window->windowHandle(),
                       QStringLiteral("给定宽度的消息框把文字折成多行，框的高度随文字增长。").repeated(4), options);
        state->show(QStringLiteral("结果：%1（%2）").arg(result).arg(resultName(result)));
    });
    addButton(window, QRect(area.x() + 2 * (columnWidth + 8), row, columnWidth, 26), QStringLiteral("工作线程"),
              [state] {
                  const platform::WindowHandle owner = state->window->windowHandle();
                  state->show(QStringLiteral("工作线程在等待结果……"));
                  // The worker holds the page weakly: the page (and its thread) end on the UI thread.
                  state->worker = std::jthread([page = std::weak_ptr<PageState>(state), owner](std::stop_token stop) {
                      MessageBoxOptions options;
                      options.buttons = MessageButtons::YesNo;
                      options.defaultResult = message_result::kYes;
                      const int result = messageBox(owner, QStringLiteral("这个消息框由工作线程弹出。"), options, stop);
                      platform::post(owner, [page, result] {
                          if (const auto state = page.lock()) {
                              state->show(QStringLiteral("工作线程得到：%1（%2）").arg(result).arg(resultName(result)));
                          }
                      });
                  });
              });

    const int trayRow = row + 44;
    addButton(window, QRect(area.x(), trayRow, columnWidth, 26), QStringLiteral("托盘图标"), [state] {
        const bool shown = state->tray.add(state->window->windowHandle(), QStringLiteral("VAMU"), trayPicture());
        // Weakly: the handler lives in the page's own tray icon.
        state->tray.setEventHandler([page = std::weak_ptr<PageState>(state)](int code) {
            const auto state = page.lock();
            if (!state) return;
            if (code == tray::kTrayHostCreated) {
                state->tray.add(state->window->windowHandle(), QStringLiteral("VAMU"), trayPicture());
            }
            state->trayCodes.append(QString::number(code));
            while (state->trayCodes.size() > 6) state->trayCodes.removeFirst();
            state->show(QStringLiteral("托盘图标的消息：") + state->trayCodes.join(' '));
        });
        state->show(shown ? QStringLiteral("图标已在托盘中，点它试试。")
                          : QStringLiteral("没有托盘，图标在托盘出现时显示。"));
    });
    addButton(window, QRect(area.x() + columnWidth + 8, trayRow, columnWidth, 26), QStringLiteral("气泡提示"), [state] {
        const bool shown = state->tray.showBalloon(QStringLiteral("下载完成"),
                                                   QStringLiteral("歌曲已保存到音乐文件夹。"), balloon::kInformation);
        if (!shown) state->show(QStringLiteral("图标不在托盘中，没有气泡。"));
    });
    addButton(window, QRect(area.x() + 2 * (columnWidth + 8), trayRow, columnWidth, 26), QStringLiteral("移除图标"),
              [state] {
                  state->tray.remove();
                  state->show(QStringLiteral("图标已移除。"));
              });
    state->show(QStringLiteral("点按钮打开消息框。"));
}

}  // namespace vamu::gallery
