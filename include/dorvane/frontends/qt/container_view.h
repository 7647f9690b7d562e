// ContainerView: the Qt widget that shows one toolkit container (the user
// control's surface or a dialog form). Every control of the container is
// mirrored by a child widget placed at twips / 15 pixels; Sync brings them up
// to date from the model, which stays the truth. Qt keys and mouse clicks on
// the view become toolkit events (PressKey, ClickControl, the DblClick); the
// Qt focus follows the toolkit's focus, never the other way round, except
// that a view of the user control can report the host's focus moves
// (FocusUserControl / FocusHost) when asked to; such a view hands Tab at its
// control's last tab stop (Shift+Tab at the first) to the host's neighbouring
// widget, and Tab from the host enters at the first (last) stop. Several views
// of user controls may share one screen; each talks to the screen its
// container is on. Each view answers Qt's accessibility (accessibility.h).
// Threads: the GUI thread only.
// Relies on QtWidgets, the toolkit and the front end's painting and keys.
#pragma once

#include <QWidget>
#include <memory>
#include <vector>

#include "services/screen/screen.h"

class QKeyEvent;

namespace qtfront {

class ControlWidget;
class ViewAccessibility;

class ContainerView : public QWidget {
 public:
  // Builds one child widget per control; labels lie below the other kinds (as
  // windowless controls do), each group in design order.
  explicit ContainerView(screen::Container& container, QWidget* parent = nullptr);
  ~ContainerView() override;
  ContainerView(const ContainerView&) = delete;
  ContainerView& operator=(const ContainerView&) = delete;

  // The container shown, or nullptr once Detach has run.
  screen::Container* Model() const { return container_; }
  // The screen (host window) the container is on: where it is placed or
  // shown, else the current one.
  screen::Screen& Screen() const;
  // Brings size, colours, child positions, visibility, tooltips and the Qt
  // focus up to date from the model and schedules a repaint.
  void Sync();
  // The widget that mirrors control, or nullptr when it is not on this view.
  QWidget* WidgetOf(const screen::Control& control) const;
  // The control a child widget mirrors, or nullptr (not one, or detached).
  screen::Control* ControlOf(const QWidget* widget) const;
  // The control widgets in the design order of the container.
  std::vector<QWidget*> ControlWidgets() const;
  // What assistive technology has been told about this view.
  ViewAccessibility& Accessibility() const { return *accessibility_; }
  // The size of the container's surface in pixels (its Width and Height; a
  // zero Height takes the lowest control plus a margin).
  QSize SurfaceSize() const;
  QSize sizeHint() const override { return SurfaceSize(); }

  // When on (a view of the placed user control in a real host), Qt focus
  // entering the view gives the control the focus and leaving it for another
  // widget of the same window gives the focus to the host.
  void SetFollowsHostFocus(bool on) { followsHostFocus_ = on; }

  // Sends a Qt key press to the toolkit; false for keys it does not know.
  bool ForwardKey(QKeyEvent* event);
  // A click (or the DblClick of a double click) on a control of this view.
  void ClickFrom(screen::Control& control);
  void DoubleClickFrom(screen::Control& control);
  // True when the Alt+letter key is the access key of a visible, enabled
  // button of the container (it must beat the host's shortcuts).
  bool IsAccessKey(QKeyEvent* event) const;

  // Forgets the model (it is going away): no more painting or input.
  void Detach();

 protected:
  bool event(QEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  // Follows Qt focus changes into and out of the view (see SetFollowsHostFocus).
  void OnQtFocusChanged(QWidget* old, QWidget* now);
  bool Contains(const QWidget* widget) const;
  // Gives the Qt focus to the nearest widget after (before) the view in the
  // window's focus chain that takes Tab focus, as Qt's own Tab would; false
  // when there is none outside the view.
  bool FocusNeighbour(bool next);

  screen::Container* container_;
  std::vector<ControlWidget*> widgets_;  // design order of the container
  std::unique_ptr<ViewAccessibility> accessibility_;
  bool followsHostFocus_ = false;
  bool syncing_ = false;
  // How the Qt focus last came into the view (Tab, Shift+Tab, other).
  Qt::FocusReason entryReason_ = Qt::OtherFocusReason;
};

}  // namespace qtfront
