// How controls are drawn: colours from &H00BBGGRR, twips to pixels, fonts,
// and the pixels of labels and text boxes.
#include <gtest/gtest.h>

#include <QPainter>

#include "frontends/qt/control_painting.h"
#include "qt_test_support.h"

namespace {

using qttest::StoredColourAt;

TEST(Painting, StoredColoursHoldBlueInTheHighByte) {
  EXPECT_EQ(qtfront::ColorOf(0x0000FFFF), QColor(255, 255, 0));    // yellow
  EXPECT_EQ(qtfront::ColorOf(0x00FFFFC0), QColor(192, 255, 255));  // pale cyan
  EXPECT_EQ(qtfront::ColorOf(0x008080FF), QColor(255, 128, 128));  // light red
  EXPECT_EQ(qtfront::ColorOf(0x80000005), QColor(255, 255, 255));  // system window colour
}

TEST(Painting, FifteenTwipsMakeOnePixel) {
  EXPECT_EQ(qtfront::Pixels(8535), 569);
  EXPECT_EQ(qtfront::Pixels(30), 2);
  EXPECT_EQ(qtfront::Pixels(7), 0);
  EXPECT_EQ(qtfront::Pixels(8), 1);
  screen::Label label("lblX");
  label.SetFont("Arial", 8.25);
  EXPECT_EQ(qtfront::FontOf(label).pixelSize(), 11);
  label.SetFont("MS Sans Serif", 9.75);
  EXPECT_EQ(qtfront::FontOf(label).pixelSize(), 13);
}

// Paints one control into an image of its size on a magenta ground.
QImage Paint(const screen::Control& control, qtfront::PaintState state = {}) {
  QImage image(qtfront::Pixels(control.Width()), qtfront::Pixels(control.Height()),
               QImage::Format_RGB32);
  image.fill(QColor(255, 0, 255));
  QPainter painter(&image);
  qtfront::PaintControl(painter, control, state);
  return image;
}

TEST(Painting, LabelsFillTheirColourAndTextBoxesShowTheirSelectionWhenFocused) {
  screen::Label label("lblRow");
  label.SetBounds(0, 0, 1500, 285);
  label.SetBackColor(0x0000FFFF);
  const QImage row = Paint(label);
  EXPECT_EQ(StoredColourAt(row, 0, 0), 0x0000FFFFu);
  EXPECT_EQ(StoredColourAt(row, 99, 18), 0x0000FFFFu);

  screen::TextBox box("txtA");
  box.SetBounds(0, 0, 1500, 300);
  box.SetBackColor(0x00FFFFC0);
  box.SetText("1234");
  box.SetSelStart(0);
  box.SetSelLength(4);
  const QImage unfocused = Paint(box);
  EXPECT_EQ(StoredColourAt(unfocused, 50, 10), 0x00FFFFC0u);
  qtfront::PaintState focused;
  focused.focused = true;
  const QImage selected = Paint(box, focused);
  bool navy = false;
  for (int x = 3; x < 40 && !navy; ++x) navy = StoredColourAt(selected, x, 10) == 0x00800000u;
  EXPECT_TRUE(navy) << "the selected text is drawn on the selection colour";
  for (int x = 0; x < 100; ++x) EXPECT_NE(StoredColourAt(unfocused, x, 10), 0x00800000u);
}

}  // namespace
