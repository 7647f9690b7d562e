// The control and its search dialog in a DorvaneWidget as a screen reader
// reads them through Qt's accessibility: roles, names, values, states, lists
// of rows, and the focus, selection and text events that real keys raise.
#include "frontends/qt/accessibility.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <vector>

#include "qt_test_support.h"

namespace {

// Every accessible object below iface, depth first.
void Walk(QAccessibleInterface* iface, std::vector<QAccessibleInterface*>& out) {
  for (int i = 0; i < iface->childCount(); ++i) {
    QAccessibleInterface* child = iface->child(i);
    if (child == nullptr) continue;
    EXPECT_EQ(child->parent(), iface) << child->text(QAccessible::Name).toStdString();
    out.push_back(child);
    Walk(child, out);
  }
}
std::vector<QAccessibleInterface*> Tree(QWidget* top) {
  std::vector<QAccessibleInterface*> all;
  Walk(QAccessible::queryAccessibleInterface(top), all);
  return all;
}
// The first object of that role and name, or nullptr.
QAccessibleInterface* Find(const std::vector<QAccessibleInterface*>& tree, QAccessible::Role role,
                           const QString& name) {
  for (QAccessibleInterface* i : tree) {
    if (i->role() == role && i->text(QAccessible::Name) == name) return i;
  }
  return nullptr;
}

// The focus and selection events assistive technology receives.
using Heard = std::vector<std::pair<QAccessible::Event, QString>>;
Heard* heard = nullptr;
void Listen(QAccessibleEvent* event) {
  if (heard == nullptr || event->accessibleInterface() == nullptr) return;
  if (event->type() == QAccessible::Focus || event->type() == QAccessible::Selection ||
      event->type() == QAccessible::TextUpdated) {
    heard->emplace_back(event->type(), event->accessibleInterface()->text(QAccessible::Name));
  }
}

class AccessibilityTest : public qttest::WidgetWindowTest {
 protected:
  void SetUp() override {
    WidgetWindowTest::SetUp();
    widget = AddWidget();
    ASSERT_NO_FATAL_FAILURE(qttest::ShowActive(*window, *widget));
    widget->SetPathText(Folder("data", "6"));
  }
  QWidget* KeyTarget() const { return WidgetWindowTest::KeyTarget(widget); }

  qtfront::DorvaneWidget* widget = nullptr;
};

TEST_F(AccessibilityTest, AScreenReaderReadsTheControlAndItsDialogAndHearsTheKeys) {
  Heard events;
  heard = &events;
  qtfront::SetAccessibilityListener(Listen);
  auto tree = Tree(&widget->View());
  ASSERT_GE(tree.size(), 46u);
  for (QAccessibleInterface* i : tree) EXPECT_NE(i->role(), QAccessible::Client);
  QAccessibleInterface* add = Find(tree, QAccessible::PushButton, "Add");
  ASSERT_NE(add, nullptr) << "the caption without its access-key mark";
  EXPECT_FALSE(add->state().disabled);
  EXPECT_NE(Find(tree, QAccessible::PushButton, "Up"), nullptr) << "a picture button";
  EXPECT_NE(Find(tree, QAccessible::ScrollBar, ""), nullptr);
  QAccessibleInterface* from = Find(tree, QAccessible::EditableText, "Beginning PE");
  ASSERT_NE(from, nullptr) << "a text box is named by its label";
  EXPECT_EQ(from->text(QAccessible::Value).toStdString(), widget->SelectedBPEDATE());
  EXPECT_NE(from->text(QAccessible::Description).indexOf("PE Date"), -1) << "the tooltip";
  QAccessibleInterface* company = Find(tree, QAccessible::EditableText, "Co. #");
  ASSERT_NE(company, nullptr) << "named by its column header";
  EXPECT_TRUE(company->state().invisible) << "shown only while a row is edited";
  // The page is a list of four rows, the highlighted one selected.
  QAccessibleInterface* list = Find(tree, QAccessible::List, "Target job list");
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(list->childCount(), 4);
  EXPECT_TRUE(list->child(0)->state().selected);
  EXPECT_TRUE(list->child(0)->state().focused) << "the list keys reach it";
  EXPECT_FALSE(list->child(1)->state().selected);
  const QString row1 = list->child(1)->text(QAccessible::Name);
  EXPECT_TRUE(row1.startsWith(
      QString::fromStdString(
          static_cast<screen::Label*>(widget->Control().Find("lblCONO", 1))->Caption())
          .trimmed()))
      << row1.toStdString();
  // Down selects the next row and moves the reader there; Tab moves the focus.
  QTest::keyClick(KeyTarget(), Qt::Key_Down);
  EXPECT_TRUE(list->child(1)->state().selected);
  EXPECT_FALSE(list->child(0)->state().selected);
  QTest::keyClick(KeyTarget(), Qt::Key_Tab);
  const Heard expected = {
      {QAccessible::Selection, row1}, {QAccessible::Focus, row1}, {QAccessible::Focus, "Add"}};
  EXPECT_EQ(events, expected);
  EXPECT_TRUE(add->state().focused);
  widget->SetControlsEnabled(false);
  EXPECT_TRUE(from->state().disabled);
  widget->SetControlsEnabled(true);
  // The search dialog's grid is a list too, its first row selected.
  QTest::keyClick(KeyTarget(), Qt::Key_A);
  QString firstRow;
  int rows = 0;
  qttest::WhenDialogOpen([&](QWidget* window) {
    auto dialogTree = Tree(window->findChild<qtfront::ContainerView*>());
    if (QAccessibleInterface* grid = Find(dialogTree, QAccessible::List, "Search results")) {
      rows = grid->childCount();
      if (grid->child(0)->state().selected) firstRow = grid->child(0)->text(QAccessible::Name);
    }
    QTest::keyClick(window, Qt::Key_Escape);
  });
  QTest::keyClick(KeyTarget(), Qt::Key_Question);
  EXPECT_EQ(rows, 12);
  EXPECT_FALSE(firstRow.isEmpty());
  // "+" in the date box steps the date: the reader hears the new text.
  QTest::keyClick(KeyTarget(), Qt::Key_C, Qt::AltModifier);  // Cancel ends the add
  widget->SetSelectedBPETAG(3);
  QTest::mouseClick(widget->View().WidgetOf(*widget->Control().Find("txtBPEDATE")), Qt::LeftButton);
  ASSERT_TRUE(from->state().focused);
  events.clear();
  const QString before = from->text(QAccessible::Value);
  QTest::keyClick(KeyTarget(), Qt::Key_Plus);
  EXPECT_NE(from->text(QAccessible::Value), before);
  EXPECT_EQ(events, (Heard{{QAccessible::TextUpdated, "Beginning PE"}}));
  QTest::keyClick(KeyTarget(), Qt::Key_Escape);
  qtfront::SetAccessibilityListener(nullptr);
  heard = nullptr;
}

}  // namespace
