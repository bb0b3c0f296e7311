#pragma once
// Screen-reader support. Every host window and its windowless controls are offered
// to assistive technology through Qt's accessibility layer: a host window answers
// for its Qt window, each control (and each row of a list view) gets an interface of
// its own, keyed by its handle, with role, name, state, screen rectangle, actions
// and values.
//
// Nothing is built before a client asks: Qt makes interfaces on request, and the
// notifications below only test whether anyone listens before they do any work, so
// a session without assistive technology pays one flag test per change.
// UI thread only.

#include <QString>

#include <functional>

class QAccessibleEvent;
class QAccessibleInterface;

namespace vamu::toolkit {

class BaseControl;
class HostWindow;

namespace accessibility {

// Installs the interface factory for host windows; more calls do nothing.
// toolkitStartup() calls it.
void install();

// Whether changes are reported: an assistive technology listens, or an observer is set.
[[nodiscard]] bool active();

// An in-process observer of every reported event (diagnostics and tests); it sees the
// events whether or not a platform client listens. Empty removes it.
using Observer = std::function<void(QAccessibleEvent& event)>;
void setObserver(Observer observer);

// The interfaces (owned by Qt's cache); nullptr when the window or control is not usable.
[[nodiscard]] QAccessibleInterface* interfaceFor(HostWindow& host);
[[nodiscard]] QAccessibleInterface* interfaceFor(BaseControl& control);

// The name a reader gives the control, ahead of its text and tooltip: for controls
// of the program's own classes and for picture-only buttons ("&" access marks are
// dropped as in control texts). Empty removes it.
void setName(BaseControl& control, const QString& name);

// Reports from the toolkit. Each returns at once when nobody listens.
void focusMoved(BaseControl& control);
void textChanged(BaseControl& control);
enum class StateChange { Checked, Disabled, Visible };
void stateChanged(BaseControl& control, StateChange change);
void valueChanged(BaseControl& control);
// An edit's text changed from `before` (taken only while active()), or its caret moved.
void editChanged(BaseControl& edit, const QString& before);
void caretMoved(BaseControl& edit);
void titleChanged(HostWindow& host);
// The window became active (readers then hear its focused control) or inactive.
void activationChanged(HostWindow& host, bool active);
// Frees the control's interfaces (its rows' too) once it is destroyed.
void controlDestroyed(BaseControl& control);

}  // namespace accessibility
}  // namespace vamu::toolkit
