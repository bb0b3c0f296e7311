#include "platform/keys.h"

#include <Qt>

namespace vamu::platform {

int virtualKeyFromQt(int qtKey) {
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) return 'A' + (qtKey - Qt::Key_A);
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) return '0' + (qtKey - Qt::Key_0);
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) return vk::kF1 + (qtKey - Qt::Key_F1);
    switch (qtKey) {
    case Qt::Key_Backspace:
        return vk::kBack;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return vk::kTab;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return vk::kReturn;
    case Qt::Key_Shift:
        return vk::kShift;
    case Qt::Key_Control:
        return vk::kControl;
    case Qt::Key_Alt:
        return vk::kMenu;
    case Qt::Key_Pause:
        return vk::kPause;
    case Qt::Key_CapsLock:
        return vk::kCapital;
    case Qt::Key_Escape:
        return vk::kEscape;
    case Qt::Key_Space:
        return vk::kSpace;
    case Qt::Key_PageUp:
        return vk::kPrior;
    case Qt::Key_PageDown:
        return vk::kNext;
    case Qt::Key_End:
        return vk::kEnd;
    case Qt::Key_Home:
        return vk::kHome;
    case Qt::Key_Left:
        return vk::kLeft;
    case Qt::Key_Up:
        return vk::kUp;
    case Qt::Key_Right:
        return vk::kRight;
    case Qt::Key_Down:
        return vk::kDown;
    case Qt::Key_Insert:
        return vk::kInsert;
    case Qt::Key_Delete:
        return vk::kDelete;
    case Qt::Key_Semicolon:
        return 0xBA;
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        return 0xBB;
    case Qt::Key_Comma:
        return 0xBC;
    case Qt::Key_Minus:
        return 0xBD;
    case Qt::Key_Period:
        return 0xBE;
    case Qt::Key_Slash:
        return 0xBF;
    default:
        return 0;
    }
}

}  // namespace vamu::platform
