// The control tree: creation, destruction, z-order, Tab chain, event binding,
// handles and re-parenting.
#include "toolkit/test_support.h"
#include "toolkit/recording_control.h"
#include "toolkit/controls/page.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace vamu::toolkit::test {
namespace {

std::vector<std::string> names(const std::vector<std::unique_ptr<BaseControl>>& list) {
    std::vector<std::string> result;
    for (const auto& control : list) result.push_back(control->flags().toStdString());
    return result;
}

RecordingControl* named(ControlParent parent, const std::string& name, Log* log, QRect rect = {0, 0, 10, 10},
                        CreateOptions options = {}) {
    RecordingControl* control = RecordingControl::make(parent, rect, name, log, 0xFF2060A0, options);
    control->setFlags(QString::fromStdString(name));
    return control;
}

TEST(ControlModel, CreationDispatchesCreateThenPaintAndLinksInOrder) {
    Log log;
    TestHost t;
    RecordingControl* a = named(t.host(), "a", &log);
    RecordingControl* b = named(t.host(), "b", &log);
    RecordingControl* child = named(*a, "c", &log, {2, 3, 4, 4});
    ASSERT_TRUE(a && b && child);
    EXPECT_EQ(log, (Log{"a:create", "b:create", "c:create"}));
    EXPECT_TRUE(a->isCreated());
    EXPECT_EQ(names(t.host().controls().controls()), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(child->parent(), a);
    EXPECT_EQ(child->absoluteRect(), QRect(4 + 2, 3 + 3, 4, 4));
    EXPECT_EQ(a->nextSibling(), b);
    EXPECT_EQ(b->previousSibling(), a);
    EXPECT_EQ(a->surface().format(), QImage::Format_ARGB32_Premultiplied);
}

TEST(ControlModel, CreationUnderADestroyedParentFails) {
    Log log;
    TestHost t;
    RecordingControl* parent = named(t.host(), "p", &log);
    bool refused = false;
    // While it is being destroyed, the parent takes no new children.
    parent->bindDestroyed([&](const Event&) {
        refused = RecordingControl::make(parent, QRect(0, 0, 5, 5), "x", &log) == nullptr;
        return false;
    });
    parent->destroy();
    EXPECT_TRUE(refused);
    HostWindow unattached;
    EXPECT_EQ(RecordingControl::make(unattached, QRect(0, 0, 5, 5), "y", &log), nullptr);
}

TEST(ControlModel, DestructionRaisesParentFirstThenDescendantsDeepestFirst) {
    Log log;
    TestHost t;
    RecordingControl* parent = named(t.host(), "p", &log, {0, 0, 50, 50});
    RecordingControl* child = named(*parent, "c", &log);
    RecordingControl* grandchild = named(*child, "g", &log);
    RecordingControl* sibling = named(*parent, "s", &log);
    const ControlHandle handles[] = {parent->handle(), child->handle(), grandchild->handle(), sibling->handle()};
    std::vector<ControlHandle> destroyed;
    for (RecordingControl* c : {parent, child, grandchild, sibling}) {
        c->bindDestroyed([&destroyed](const Event& e) {
            destroyed.push_back(e.control);
            return false;
        });
    }
    log.clear();
    parent->destroy();
    EXPECT_EQ(destroyed, (std::vector<ControlHandle>{handles[0], handles[2], handles[1], handles[3]}));
    EXPECT_EQ(log, (Log{"p:destroy", "g:destroy", "c:destroy", "s:destroy"}));
    for (const ControlHandle h : handles) EXPECT_EQ(resolveControl(h), nullptr);
    EXPECT_TRUE(t.host().controls().controls().empty());
}

TEST(ControlModel, ZOrderPositionsKeepTheListConsistent) {
    struct Case {
        std::string control;
        ZOrder position;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"c", ZOrder::Bottom, {"c", "a", "b", "d"}},
        {"b", ZOrder::Top, {"a", "c", "d", "b"}},
        {"c", ZOrder::Down, {"a", "c", "b", "d"}},
        {"b", ZOrder::Up, {"a", "c", "b", "d"}},
        {"d", ZOrder::SecondFromBottom, {"a", "d", "b", "c"}},
        {"a", ZOrder::SecondFromTop, {"b", "c", "a", "d"}},
        {"a", ZOrder::Down, {"a", "b", "c", "d"}},
        {"d", ZOrder::Up, {"a", "b", "c", "d"}},
    };
    for (const Case& c : cases) {
        Log log;
        TestHost t;
        std::map<std::string, RecordingControl*> controls;
        for (const char* name : {"a", "b", "c", "d"}) controls[name] = named(t.host(), name, &log);
        controls[c.control]->setZOrder(c.position);
        EXPECT_EQ(names(t.host().controls().controls()), c.expected) << c.control << static_cast<int>(c.position);
        EXPECT_EQ(controls[c.expected.front()]->previousSibling(), nullptr);
        EXPECT_EQ(controls[c.expected.back()]->nextSibling(), nullptr);
    }
}

TEST(ControlModel, TabChainOrdersByIndexButNeverDisplacesTheHead) {
    Log log;
    TestHost t;
    auto make = [&](const std::string& name, int index) {
        CreateOptions options;
        options.tabStopIndex = index;
        return named(t.host(), name, &log, {0, 0, 10, 10}, options)->handle();
    };
    const ControlHandle head = make("head", 5);
    const ControlHandle low = make("low", 1);  // smaller than the head: second
    const ControlHandle high = make("high", 9);
    const ControlHandle same = make("same", 5);  // equal indexes keep creation order
    const ControlHandle mid = make("mid", 7);
    EXPECT_EQ(t.host().controls().tabChain(), (std::vector<ControlHandle>{head, low, same, mid, high}));
    resolveControl(high)->setTabStopIndex(2);
    EXPECT_EQ(t.host().controls().tabChain(), (std::vector<ControlHandle>{head, low, high, same, mid}));
    resolveControl(head)->destroy();
    EXPECT_EQ(t.host().controls().tabChain(), (std::vector<ControlHandle>{low, high, same, mid}));
}

TEST(ControlModel, SecondBindingWinsAndUnbindingRemovesIt) {
    Log log;
    TestHost t;
    RecordingControl* control = named(t.host(), "a", &log, {0, 0, 30, 30});
    std::string fired;
    control->bindClick([&](const Event&) {
        fired += "first";
        return false;
    });
    control->bindClick([&](const Event&) {
        fired += "second";
        return false;
    });
    t.click({10, 10});
    EXPECT_EQ(fired, "second");
    control->unbind(tkm::kClick);
    t.click({10, 10});
    EXPECT_EQ(fired, "second");
}

TEST(ControlModel, HandlerAnsweringTrueStopsTheClassProcedure) {
    Log log;
    TestHost t;
    RecordingControl* control = named(t.host(), "a", &log, {0, 0, 30, 30});
    control->bindLeftDown([](const Event& e) { return e.x == 6 && e.y == 7; });
    log.clear();
    t.press({4 + 6, 3 + 7});
    t.release({4 + 6, 3 + 7});
    EXPECT_EQ(std::count(log.begin(), log.end(), "a:down"), 0);
    EXPECT_EQ(std::count(log.begin(), log.end(), "a:up"), 1);
    t.press({4 + 8, 3 + 7});
    EXPECT_EQ(std::count(log.begin(), log.end(), "a:down"), 1);
}

TEST(ControlModel, StaleHandlesResolveToNoControl) {
    Log log;
    TestHost t;
    const ControlHandle handle = named(t.host(), "a", &log)->handle();
    ASSERT_NE(resolveControl(handle), nullptr);
    resolveControl(handle)->destroy();
    EXPECT_EQ(resolveControl(handle), nullptr);
    EXPECT_EQ(resolveControl(ControlHandle{}), nullptr);
    const ControlHandle next = named(t.host(), "b", &log)->handle();
    EXPECT_NE(next, handle);  // handles are never reused
}

TEST(ControlModel, DestroyingTheHostWindowDestroysEveryControl) {
    Log log;
    ControlHandle handle;
    {
        TestHost t;
        handle = named(t.host(), "a", &log)->handle();
        named(*resolveControl(handle), "b", &log);
        log.clear();
    }
    EXPECT_EQ(log, (Log{"a:destroy", "b:destroy"}));
    EXPECT_EQ(resolveControl(handle), nullptr);
}

TEST(ControlModel, SetParentMovesTheControlAndItsChildrenFollow) {
    Log log;
    TestHost t;
    RecordingControl* left = named(t.host(), "left", &log, {0, 0, 100, 100});
    RecordingControl* right = named(t.host(), "right", &log, {200, 50, 100, 100});
    RecordingControl* moving = named(*left, "m", &log, {10, 10, 30, 30});
    RecordingControl* inner = named(*moving, "i", &log, {5, 5, 5, 5});
    moving->setParent(*right);
    EXPECT_EQ(moving->parent(), right);
    EXPECT_TRUE(left->children().empty());
    EXPECT_EQ(moving->absoluteRect(), QRect(4 + 210, 3 + 60, 30, 30));
    EXPECT_EQ(inner->absoluteRect(), QRect(4 + 215, 3 + 65, 5, 5));
    moving->setParent(static_cast<BaseControl*>(nullptr));
    EXPECT_EQ(moving->parent(), nullptr);
    EXPECT_EQ(names(t.host().controls().controls()), (std::vector<std::string>{"left", "right", "m"}));
    EXPECT_EQ(inner->absoluteRect(), QRect(4 + 15, 3 + 15, 5, 5));
    inner->setParent(*inner);  // refused: never under itself
    EXPECT_EQ(inner->parent(), moving);
}

TEST(ControlModel, MovingAParentKeepsChildrenInStep) {
    Log log;
    TestHost t;
    RecordingControl* parent = named(t.host(), "p", &log, {10, 10, 100, 100});
    RecordingControl* child = named(*parent, "c", &log, {5, 5, 10, 10});
    RecordingControl* grandchild = named(*child, "g", &log, {1, 1, 2, 2});
    parent->move(40, 20);
    EXPECT_EQ(child->absoluteRect(), QRect(4 + 45, 3 + 25, 10, 10));
    EXPECT_EQ(grandchild->absoluteRect(), QRect(4 + 46, 3 + 26, 2, 2));
    parent->move(std::nullopt, std::nullopt, 60, 60);
    EXPECT_EQ(parent->surface().size(), QSize(60, 60));
}

// A page draws nothing itself: moving it recomposes its children's old and new
// places, not the empty space between them, and the result is the same picture.
TEST(ControlModel, MovingAPageRecomposesOnlyItsChildrensPlaces) {
    Log log;
    TestHost t;
    Page* page = Page::create(t.host(), QRect(0, 0, 400, 100));
    named(*page, "a", &log, {10, 10, 20, 20});
    named(*page, "b", &log, {300, 10, 20, 20});
    RecordingControl* hidden = named(*page, "h", &log, {150, 10, 20, 20});
    hidden->setVisible(false);
    t.pixel(0, 0);  // composes what creating them left pending
    page->move(-2, std::nullopt);
    const QPoint origin = t.host().controls().origin();
    const QRegion expected =
        QRegion(QRect(8, 10, 22, 20).translated(origin)) + QRect(298, 10, 22, 20).translated(origin);
    EXPECT_EQ(t.host().controls().pending(), expected);
    EXPECT_EQ(t.pixel(origin.x() + 8, origin.y() + 15), 0xFF2060A0u);
    EXPECT_NE(t.pixel(origin.x() + 28, origin.y() + 15), 0xFF2060A0u) << "the old place was not cleared";
    // Resized, it is recomposed whole as before.
    page->move(std::nullopt, std::nullopt, 390, std::nullopt);
    EXPECT_TRUE(t.host().controls().pending().contains(QRect(150, 50, 10, 10).translated(origin)));
}

TEST(ControlModel, ACallbackThatDestroysItsOwnControlIsSafe) {
    Log log;
    TestHost t;
    RecordingControl* control = named(t.host(), "a", &log, {0, 0, 30, 30});
    const ControlHandle handle = control->handle();
    control->bindClick([control](const Event&) {
        control->destroy();
        return false;
    });
    control->bindLeftUp([control](const Event&) {
        control->setColour(0xFF00FF00);
        return false;
    });
    t.click({10, 10});
    EXPECT_EQ(resolveControl(handle), nullptr);
    // A second click lands on empty area.
    t.click({10, 10});
    EXPECT_EQ(std::count(log.begin(), log.end(), "a:destroy"), 1);
}

TEST(ControlModel, ParentDestroyedFromAChildsHandlerIsSafe) {
    Log log;
    TestHost t;
    RecordingControl* parent = named(t.host(), "p", &log, {0, 0, 100, 100});
    RecordingControl* child = named(*parent, "c", &log, {10, 10, 20, 20});
    const ControlHandle parentHandle = parent->handle();
    child->bindMouseEnter([parent](const Event&) {
        parent->destroy();
        return false;
    });
    t.move({4 + 15, 3 + 15});
    t.move({4 + 16, 3 + 16});
    EXPECT_EQ(resolveControl(parentHandle), nullptr);
    EXPECT_EQ(t.host().controls().hovered(), ControlHandle{});
}

}  // namespace
}  // namespace vamu::toolkit::test
