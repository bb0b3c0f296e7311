#include "toolkit/controls/control_text.h"

#include "toolkit/controls/control.h"
#include "toolkit/host_window.h"
#include "toolkit/toolkit.h"

namespace vamu::toolkit {

int mnemonicKey(const QString& text) {
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != u'&') continue;
        if (text[i + 1] == u'&') {
            ++i;  // a literal ampersand
            continue;
        }
        return text[i + 1].toUpper().unicode();
    }
    return 0;
}

void registerMnemonic(BaseControl& control, const QString& text) {
    if (HostWindow* host = control.host()) {
        host->send(Message{tkm::kSetMnemonic, static_cast<std::uintptr_t>(mnemonicKey(text)),
                           static_cast<std::intptr_t>(control.handle().value)});
    }
}

std::optional<QFont> requestedFont(const QString& face, int pixelSize, int style) {
    const QFont& standard = toolkitFont();
    const QString family = face.isEmpty() ? standard.family() : face;
    if (family == standard.family() && pixelSize == standard.pixelSize() && style == fontStyleOf(standard)) {
        return std::nullopt;
    }
    return makeFont(family, pixelSize, style);
}

}  // namespace vamu::toolkit
