// Two controls side by side on one host window, each on its own data folder:
// typing, an add and a saved list in one never change the other's screen,
// state or files. Also the control made with no desktop installed. Clicks
// across, a search modal for the window and each window's boxes are tested on
// the toolkit (tests/screen/screens_test.cpp) and with two widgets in one Qt
// window (tests/qt/two_widgets_test.cpp).
#include <sstream>

#include "control_fixture.h"

namespace {

class TwoControlsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testsupport::StartScreen(processDesktop);
    window.SetDesktop(&desktop);
    screen::Screen::Use use(window);
    left = std::make_unique<ztDorvane>();
    right = std::make_unique<ztDorvane>();
    window.Place(*left);
    window.Place(*right);
    leftData =
        testsupport::MakeDataFolder(root.File("left"), {"--list", "5", "--today", "2024-03-06"});
    rightData = testsupport::MakeDataFolder(
        root.File("right"),
        {"--list", "3", "--saved", "2", "--seed", "7", "--today", "2024-03-06"});
    left->SetPathText(leftData);
    right->SetPathText(rightData);
  }

  void TearDown() override {
    left.reset();
    right.reset();
    testsupport::EndScreen();
  }

  void Type(const std::string& text) { testsupport::TypeText(text, &window); }

  // Everything a user sees of a control, and its remembered focus, as text.
  static std::string Picture(const ztDorvane& control) {
    std::ostringstream out;
    for (const screen::Control* c : control.Controls()) {
      out << c->QualifiedName() << (c->Visible() ? " v" : " h") << (c->Enabled() ? "e" : "d") << " "
          << c->Top() << " " << c->BackColor();
      if (c->Kind() == screen::ControlKind::TextBox) {
        out << " [" << static_cast<const screen::TextBox*>(c)->Text() << "]";
      } else if (c->Kind() == screen::ControlKind::Label) {
        out << " [" << static_cast<const screen::Label*>(c)->Caption() << "]";
      }
      out << "\n";
    }
    const screen::Control* focus = control.ActiveControl();
    out << "focus " << (focus != nullptr ? focus->QualifiedName() : "(none)") << "\n";
    return out.str();
  }

  // Every row of the list tables of a folder's MAIN.MDB, as text.
  static std::string Lists(const std::string& folder) {
    return testsupport::SqlFile(folder + "/MAIN.MDB", SQLITE_OPEN_READONLY)
        .DumpTables({"TJLIST", "TJLGROUPS", "TJLITEMS", "SYSTAGS"});
  }

  static std::string State(ztDorvane& control, const std::string& name) {
    auto value = control.StateField(name);
    return value ? value->ToString() : "(none)";
  }

  testsupport::TempFolder root{"dorvane-two"};
  screen::HeadlessDesktop processDesktop;
  screen::HeadlessDesktop desktop;
  screen::Screen window;
  std::unique_ptr<ztDorvane> left;
  std::unique_ptr<ztDorvane> right;
  std::string leftData;
  std::string rightData;
};

TEST_F(TwoControlsTest, AnAddAndASaveInOneLeaveTheOtherAlone) {
  window.Focus(*left);
  const std::string rightPicture = Picture(*right);
  const std::string rightLists = Lists(rightData);
  Type("A");
  ASSERT_EQ(State(*left, "EntryMode"), "A");
  const std::string job = "SELECT CONO || char(13) || trim(JOBNO) FROM JOBLIST WHERE rowid = 3";
  Type(testsupport::SqlFile(leftData + "/MAIN.MDB").Rows(job)[0][0] + "\r\r");
  EXPECT_EQ(testsupport::SqlFile(leftData + "/MAIN.MDB").Rows("SELECT count(*) FROM TJLIST")[0][0],
            "6");
  window.PressKey('S', screen::kAltMask, 0);
  ASSERT_EQ(State(*left, "IsSavingList"), "True");
  Type("Left side");
  EXPECT_TRUE(window.Click(*left->Find("cmdUpdate", -1)));
  EXPECT_EQ(testsupport::SqlFile(leftData + "/MAIN.MDB")
                .Rows("SELECT count(*) FROM TJLGROUPS WHERE TJLNAME LIKE 'Left side%'")[0][0],
            "1");
  EXPECT_EQ(Picture(*right), rightPicture);
  EXPECT_EQ(Lists(rightData), rightLists);
  EXPECT_EQ(State(*right, "EntryMode"), " ");
  EXPECT_EQ(State(*right, "IsSavingList"), "False");
  EXPECT_TRUE(desktop.errors.empty());
}

TEST(ControlWithoutDesktopTest, IsRefusedAtConstructionWithAClearMessage) {
  screen::SetDesktop(nullptr);
  ASSERT_FALSE(screen::DesktopInstalled());
  try {
    ztDorvane control;
    ADD_FAILURE() << "a control was made without a desktop";
  } catch (const base::RuntimeError& error) {
    EXPECT_NE(error.Description().find("SetDesktop"), std::string::npos) << error.Description();
  }
  screen::HeadlessDesktop desktop;
  screen::Screen window;
  window.SetDesktop(&desktop);
  screen::Screen::Use use(window);
  EXPECT_NO_THROW(ztDorvane());
}

}  // namespace
