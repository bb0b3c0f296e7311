#pragma once
// The gallery's pages: each shows one family of controls in a skinned window of its own.

#include "toolkit/host_window.h"

#include <QString>

#include <memory>
#include <span>
#include <string_view>

namespace vamu::gallery {

void buildButtonsPage(toolkit::HostWindow& window);
void buildListsPage(toolkit::HostWindow& window);
void buildEditPage(toolkit::HostWindow& window);
void buildMessageBoxPage(toolkit::HostWindow& window);

struct PageSetup {
    std::string_view name;  // as given to --page
    QString title;          // the page window's caption and its button in the main window
    QSize size;
    void (*build)(toolkit::HostWindow&) = nullptr;
};

[[nodiscard]] std::span<const PageSetup> pages();
[[nodiscard]] const PageSetup* findPage(std::string_view name);

// A skinned window (blue caption band over a light body) holding the page, not yet shown.
[[nodiscard]] std::unique_ptr<toolkit::HostWindow> makePageWindow(const PageSetup& page, QPoint topLeft);

// The gallery's window picture: a blue caption band over a light body, drawn as a
// nine-grid with skinGrid() as its centre, so that a window of another size (a message
// box taking its owner's skin) keeps the band's height.
[[nodiscard]] QImage paintSkin(QSize size);
[[nodiscard]] QRect skinGrid(QSize size);

// The gallery's icon: a blue disc with a white dot.
[[nodiscard]] QImage galleryIcon();

}  // namespace vamu::gallery
