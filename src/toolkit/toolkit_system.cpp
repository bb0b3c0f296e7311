#include "toolkit/toolkit_system.h"

namespace vamu::toolkit {

std::optional<Qt::CursorShape> cursorShapeForId(int id) {
    switch (static_cast<CursorId>(id)) {
    case CursorId::Arrow:
        return Qt::ArrowCursor;
    case CursorId::IBeam:
        return Qt::IBeamCursor;
    case CursorId::Wait:
        return Qt::WaitCursor;
    case CursorId::Cross:
        return Qt::CrossCursor;
    case CursorId::UpArrow:
        return Qt::UpArrowCursor;
    case CursorId::SizeNwse:
        return Qt::SizeFDiagCursor;
    case CursorId::SizeNesw:
        return Qt::SizeBDiagCursor;
    case CursorId::SizeWe:
        return Qt::SizeHorCursor;
    case CursorId::SizeNs:
        return Qt::SizeVerCursor;
    case CursorId::SizeAll:
        return Qt::SizeAllCursor;
    case CursorId::No:
        return Qt::ForbiddenCursor;
    case CursorId::Hand:
        return Qt::PointingHandCursor;
    case CursorId::AppStarting:
        return Qt::BusyCursor;
    case CursorId::Help:
        return Qt::WhatsThisCursor;
    }
    return std::nullopt;
}

float systemVersionNumber(const SystemRelease& r) {
    const bool workstation = r.product == ProductType::Workstation;
    const auto is = [&r](unsigned major, unsigned minor) { return r.major == major && r.minor == minor; };
    if (is(5, 1)) return 5.0f;
    if (is(5, 2)) return workstation || r.is64BitProcessor ? 5.0f : 5.01f;
    if (is(6, 0)) return workstation ? 6.0f : 6.11f;
    if (is(6, 1)) return workstation ? 6.1f : 6.11f;
    if (is(6, 2)) return workstation ? 6.2f : 6.31f;
    if (is(6, 3)) return workstation ? 6.3f : 6.31f;
    if (is(6, 4) || is(10, 0)) return workstation ? 6.4f : 6.31f;
    if (r.major == 5) return 0.0f;  // 5.0 and 5.3 onwards were never told apart
    const float number = static_cast<float>(r.major) + static_cast<float>(r.minor) / 10.0f;
    return workstation ? number : number + 0.01f;
}

float runningSystemVersionNumber() { return systemVersionNumber({10, 0, ProductType::Workstation, true}); }

}  // namespace vamu::toolkit
