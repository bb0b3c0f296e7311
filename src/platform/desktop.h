#pragma once
// Handing addresses to the desktop: a web page opens in the user's browser, a
// "mailto:" address in the mail program, through the desktop's registered handler.
// Tests and tools replace the opener so that nothing is launched.

#include <QString>

#include <functional>

namespace vamu::platform {

// Opens the address with the desktop's handler; false when the desktop refused it or
// the address is not a valid URL. UI thread only.
bool openAddress(const QString& address);

// Replaces the opener (empty: the desktop's own again); returns the previous one.
using AddressOpener = std::function<bool(const QString&)>;
AddressOpener setAddressOpener(AddressOpener opener);

}  // namespace vamu::platform
