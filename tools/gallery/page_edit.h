#pragma once
// The gallery's page of edit boxes and the popup menu.

#include "toolkit/controls/control_types.h"

namespace vamu::gallery {

// Builds the page's controls under the parent, inside a 440 x 300 area from (0, 0).
void buildEditPage(toolkit::ControlParent parent);

}  // namespace vamu::gallery
