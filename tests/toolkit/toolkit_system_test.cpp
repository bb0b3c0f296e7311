#include "toolkit/toolkit_system.h"

#include <gtest/gtest.h>

namespace vamu::toolkit {
namespace {

TEST(SystemVersion, MapsEveryRowOfTheTable) {
    using enum ProductType;
    const struct {
        SystemRelease release;
        float expected;
    } cases[] = {
        {{5, 1, Workstation, false}, 5.0f},       {{5, 1, Server, false}, 5.0f},
        {{5, 2, Workstation, false}, 5.0f},       {{5, 2, Server, true}, 5.0f},
        {{5, 2, Server, false}, 5.01f},           {{6, 0, Workstation, false}, 6.0f},
        {{6, 0, Server, false}, 6.11f},           {{6, 1, Workstation, false}, 6.1f},
        {{6, 1, DomainController, false}, 6.11f}, {{6, 2, Workstation, false}, 6.2f},
        {{6, 2, Server, false}, 6.31f},           {{6, 3, Workstation, false}, 6.3f},
        {{6, 3, Server, false}, 6.31f},           {{6, 4, Workstation, false}, 6.4f},
        {{6, 4, Server, false}, 6.31f},           {{10, 0, Workstation, true}, 6.4f},
        {{10, 0, Server, true}, 6.31f},           {{6, 5, Workstation, false}, 6.5f},
        {{6, 5, Server, false}, 6.51f},           {{10, 1, Workstation, false}, 10.1f},
        {{10, 1, Server, false}, 10.11f},         {{11, 0, Workstation, false}, 11.0f},
        {{4, 0, Workstation, false}, 4.0f},       {{5, 0, Workstation, false}, 0.0f},
        {{5, 3, Workstation, false}, 0.0f},       {{5, 9, Server, false}, 0.0f},
    };
    for (const auto& c : cases)
        EXPECT_FLOAT_EQ(systemVersionNumber(c.release), c.expected)
            << c.release.major << "." << c.release.minor << " product " << static_cast<int>(c.release.product);
    EXPECT_FLOAT_EQ(runningSystemVersionNumber(), 6.4f);
}

TEST(Cursors, SystemNumbersMapToShapes) {
    EXPECT_EQ(cursorShapeForId(32512), Qt::ArrowCursor);
    EXPECT_EQ(cursorShapeForId(32513), Qt::IBeamCursor);
    EXPECT_EQ(cursorShapeForId(32649), Qt::PointingHandCursor);
    // The sizing zones of a host window's border.
    EXPECT_EQ(cursorShapeForId(32644), Qt::SizeHorCursor);
    EXPECT_EQ(cursorShapeForId(32645), Qt::SizeVerCursor);
    EXPECT_EQ(cursorShapeForId(32642), Qt::SizeFDiagCursor);
    EXPECT_EQ(cursorShapeForId(32643), Qt::SizeBDiagCursor);
    for (int unknown : {0, 1, 32511, 32517, 32647, 40000})
        EXPECT_EQ(cursorShapeForId(unknown), std::nullopt) << unknown;
}

}  // namespace
}  // namespace vamu::toolkit
