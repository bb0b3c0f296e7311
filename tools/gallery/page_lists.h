#pragma once
// The gallery page of the range controls and the list view.

#include "toolkit/controls/control_types.h"

namespace vamu::gallery {

// Builds the page into the parent (a host window or a page control), in an area of
// about 420 x 330 pixels from its top-left corner.
void buildListsPage(toolkit::ControlParent parent);

}  // namespace vamu::gallery
