#pragma once
// Start-up values that are pure lookups: the system cursor numbers that controls and
// layout descriptions name, and the version number the host window consults before it
// asks for window effects.

#include <Qt>

#include <optional>

namespace vamu::toolkit {

// System cursor numbers, as layout descriptions and control options give them.
enum class CursorId : int {
    Arrow = 32512,
    IBeam = 32513,
    Wait = 32514,
    Cross = 32515,
    UpArrow = 32516,
    SizeNwse = 32642,
    SizeNesw = 32643,
    SizeWe = 32644,
    SizeNs = 32645,
    SizeAll = 32646,
    No = 32648,
    Hand = 32649,
    AppStarting = 32650,
    Help = 32651,
};

// The platform cursor for a system cursor number; nullopt for a number that names none.
[[nodiscard]] std::optional<Qt::CursorShape> cursorShapeForId(int id);

enum class ProductType { Workstation = 1, DomainController = 2, Server = 3 };

struct SystemRelease {
    unsigned major = 0;
    unsigned minor = 0;
    ProductType product = ProductType::Workstation;
    bool is64BitProcessor = false;
};

// The version number of a release: 5.0 and 5.3 and above of major 5 give 0 (unknown);
// 6.0 to 6.4 and 10.0 keep their known values; later releases give major + minor / 10
// (+ 0.01 for servers).
[[nodiscard]] float systemVersionNumber(const SystemRelease& release);

// The number this program runs under: a current workstation (10.0), so 6.4, which
// leaves out the blur effects of the early composited desktops.
[[nodiscard]] float runningSystemVersionNumber();

}  // namespace vamu::toolkit
