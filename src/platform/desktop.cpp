#include "platform/desktop.h"

#include <QDesktopServices>
#include <QUrl>

namespace vamu::platform {
namespace {

AddressOpener& openerSlot() {
    static AddressOpener opener;
    return opener;
}

bool openWithDesktop(const QString& address) {
    // Tolerant parsing: the addresses come from layouts and servers, not from users
    // typing exact URLs, so spaces and non-ASCII characters are encoded here.
    const QUrl url = QUrl::fromUserInput(address);
    if (!url.isValid() || url.isEmpty()) return false;
    return QDesktopServices::openUrl(url);
}

}  // namespace

bool openAddress(const QString& address) {
    if (address.trimmed().isEmpty()) return false;
    if (const AddressOpener& opener = openerSlot()) return opener(address);
    return openWithDesktop(address);
}

AddressOpener setAddressOpener(AddressOpener opener) {
    AddressOpener previous = std::move(openerSlot());
    openerSlot() = std::move(opener);
    return previous;
}

}  // namespace vamu::platform
