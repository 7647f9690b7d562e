// The control in DorvaneWidget on a dorvane-data folder: the host's property
// reads, the highlighted row drawn at its place, and real Qt keys reaching the
// control's own handlers (list keys; with entry editing, Enter moving on and
// "?" opening the search dialog that Esc or a double-clicked row closes); and
// the control and its dialog as a screen reader reads them through Qt's
// accessibility: roles, names, values, states, lists of rows and the focus
// events that real keys raise.
#include "frontends/qt/dorvane_widget.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <vector>

#include "frontends/qt/accessibility.h"
#include "qt_test_support.h"

namespace {

using qttest::CentreOf;
using qttest::StoredColourAt;

constexpr uint32_t kYellow = 0x0000FFFF;
constexpr uint32_t kWhite = 0x00FFFFFF;

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
std::vector<std::pair<QAccessible::Event, QString>>* heard = nullptr;
void Listen(QAccessibleEvent* event) {
  if (heard == nullptr || event->accessibleInterface() == nullptr) return;
  if (event->type() == QAccessible::Focus || event->type() == QAccessible::Selection ||
      event->type() == QAccessible::TextUpdated) {
    heard->emplace_back(event->type(), event->accessibleInterface()->text(QAccessible::Name));
  }
}

class DorvaneWidgetTest : public qttest::WidgetWindowTest {
 protected:
  void SetUp() override {
    WidgetWindowTest::SetUp();
    Folder("data", "6");
    widget = AddWidget();
    ASSERT_NO_FATAL_FAILURE(qttest::ShowActive(*window, *widget));
  }

  void Open() { widget->SetPathText(scratch.File("data")); }
  QWidget* KeyTarget() const { return WidgetWindowTest::KeyTarget(widget); }
  std::string State(const std::string& field) { return WidgetWindowTest::State(*widget, field); }
  // The colour of row r of the page, in the job name column.
  uint32_t RowColour(int r) {
    const QPoint p = CentreOf(2145, 660 + 270 * r, 6030, 285);
    return StoredColourAt(Picture(*widget), p.x() + 150, p.y());
  }

  qtfront::DorvaneWidget* widget = nullptr;
};

TEST_F(DorvaneWidgetTest, AHostThatNeverSetsPathTextReadsTheInitialValues) {
  EXPECT_EQ(widget->SelectedBPETAG(), 0);
  EXPECT_EQ(widget->SelectedEPETAG(), 0);
  EXPECT_EQ(widget->SelectedBPEDATE(), "");
  EXPECT_EQ(widget->SelectedEPEDATE(), "");
  EXPECT_EQ(widget->IsListOK(), -1);
  EXPECT_EQ(widget->ArePEDatesOK(), 0);
  EXPECT_EQ(widget->sizeHint(), QSize(569, 209));
  EXPECT_TRUE(screen::UserControlHasFocus()) << "the Qt focus gave the control the focus";
}

TEST_F(DorvaneWidgetTest, TheHighlightedRowIsDrawnAtItsPlaceAndFollowsTheKeys) {
  Open();
  EXPECT_TRUE(desktop.AnsweredBoxes().empty());
  EXPECT_EQ(RowColour(0), kYellow);
  EXPECT_EQ(RowColour(1), kWhite);
  QTest::keyClick(KeyTarget(), Qt::Key_Down);
  EXPECT_EQ(State("CurrentRow"), "1");
  EXPECT_EQ(RowColour(0), kWhite);
  EXPECT_EQ(RowColour(1), kYellow);
  // The arrow picture button does the same with the mouse.
  auto* view = &widget->View();
  auto* up = widget->Control().Find("cmdHKBUPARROW");
  ASSERT_NE(up, nullptr);
  QTest::mouseClick(view->WidgetOf(*up), Qt::LeftButton);
  EXPECT_EQ(RowColour(0), kYellow);
}

TEST_F(DorvaneWidgetTest, TagPresetsReachTheControl) {
  Open();
  widget->SetSelectedBPETAG(3);  // 01/05/2024 in the sample's PELIST
  EXPECT_EQ(widget->SelectedBPETAG(), 3);
  EXPECT_EQ(widget->SelectedBPEDATE(), "01/05/2024");
  // A tag that is not in PELIST is the control's business: no exception
  // reaches the Qt host, whatever the control makes of it.
  widget->SetSelectedEPETAG(-5);
  EXPECT_EQ(widget->SelectedBPETAG(), 3);
}

TEST_F(DorvaneWidgetTest,
       QuestionMarkOpensTheSearchThatEscOrADoubleClickedRowClosesAndEnterMovesOn) {
  Open();
  QTest::keyClick(KeyTarget(), Qt::Key_A);
  ASSERT_EQ(State("EntryMode"), "A") << "A on the list starts an add";
  auto* txtCONO = widget->Control().Find("txtCONO");
  auto* txtJOBNO = widget->Control().Find("txtJOBNO");
  ASSERT_EQ(screen::FocusedControl(), txtCONO);
  EXPECT_EQ(QApplication::focusWidget(), widget->View().WidgetOf(*txtCONO));
  // "?" opens the company search; Esc, typed into the dialog's window, closes it.
  QString caption;
  qttest::WhenDialogOpen([&caption](QWidget* window) {
    caption = window->windowTitle();
    QTest::keyClick(window, Qt::Key_Escape);
  });
  QTest::keyClick(KeyTarget(), Qt::Key_Question);
  EXPECT_FALSE(caption.isEmpty()) << "a dialog window was open";
  EXPECT_EQ(screen::ActiveModalForm(), nullptr);
  EXPECT_EQ(qtfront::TopFormWindow(), nullptr);
  // "?" again; a double click on the third row of the grid picks its company.
  std::string picked;
  qttest::WhenDialogOpen([&picked](QWidget* window) {
    screen::Control* row = screen::ActiveModalForm()->Find("lblCOL0", 2);
    auto* view = window->findChild<qtfront::ContainerView*>();
    ASSERT_TRUE(row != nullptr && view != nullptr);
    picked = static_cast<screen::Label*>(row)->Caption();
    QTest::mouseClick(view->WidgetOf(*row), Qt::LeftButton);
    QTest::mouseDClick(view->WidgetOf(*row), Qt::LeftButton);
    if (screen::ActiveModalForm() != nullptr) {
      ADD_FAILURE() << "the double click left the dialog open";
      QTest::keyClick(window, Qt::Key_Escape);
    }
  });
  QTest::keyClick(KeyTarget(), Qt::Key_Question);
  QTest::mouseRelease(widget, Qt::LeftButton);  // the end of the double click
  ASSERT_FALSE(picked.empty()) << "a dialog window was open";
  EXPECT_EQ(screen::ActiveModalForm(), nullptr);
  auto trimmed = [](const std::string& text) {
    const size_t start = text.find_first_not_of(' ');
    return start == std::string::npos ? std::string() : text.substr(start);
  };
  EXPECT_EQ(trimmed(static_cast<screen::TextBox*>(txtCONO)->Text()), trimmed(picked));
  EXPECT_EQ(screen::FocusedControl(), txtCONO);
  // A company number and Enter: the focus moves on to the job box.
  QTest::keyClicks(KeyTarget(), "1");
  QTest::keyClick(KeyTarget(), Qt::Key_Return);
  EXPECT_EQ(screen::FocusedControl(), txtJOBNO);
  EXPECT_EQ(QApplication::focusWidget(), widget->View().WidgetOf(*txtJOBNO));
  EXPECT_EQ(widget->IsListOK(), 0);
}

}  // namespace

namespace {

TEST_F(DorvaneWidgetTest, AScreenReaderReadsTheControlAndItsDialogAndHearsTheKeys) {
  Open();
  std::vector<std::pair<QAccessible::Event, QString>> events;
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
  const std::vector<std::pair<QAccessible::Event, QString>> expected = {
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
  EXPECT_EQ(events, (std::vector<std::pair<QAccessible::Event, QString>>{
                        {QAccessible::TextUpdated, "Beginning PE"}}));
  QTest::keyClick(KeyTarget(), Qt::Key_Escape);
  qtfront::SetAccessibilityListener(nullptr);
  heard = nullptr;
}

}  // namespace
