// How the front end draws toolkit controls: twips to pixels, the &H00BBGGRR
// colours, fonts, the small arrow pictures of the navigation buttons (drawn
// here, no image files) and one paint routine for every kind of control.
// Relies on QtGui and the toolkit's controls.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <cstdint>
#include <string>

#include "services/screen/controls.h"

class QPainter;

namespace qtfront {

// Twips per pixel of the front end's screen.
constexpr int kTwipsPerPixel = 15;

// Pixels of a length in twips, rounded to the nearest pixel.
int Pixels(int32_t twips);

// The colour of a stored &H00BBGGRR value; the classic system colours
// (&H80000000 plus an index) map to the classic palette.
QColor ColorOf(uint32_t stored);

// The control's font, sized in pixels at 20 twips a point.
QFont FontOf(const screen::Control& control);

// The arrow pictures of navigation buttons.
enum class ArrowPicture { None, Up, Down, PageUp, PageDown, First, Last, Action };

// The arrow a picture name stands for ("...PGUP...", "...UPARROW...", "...HOME...");
// when the picture name names none, the control's name decides.
ArrowPicture PictureOf(const std::string& pictureName, const std::string& controlName);

// An 18 x 16 image of the arrow on a transparent ground, grey when disabled.
QImage ArrowImage(ArrowPicture picture, bool enabled);

// What the widget knows beyond the model when it paints.
struct PaintState {
  bool focused = false;  // the control holds the toolkit's focus
  bool pressed = false;  // a mouse button is down on the control
};

// Paints the control into a painter whose origin is the control's top-left
// corner, at its size in pixels.
void PaintControl(QPainter& painter, const screen::Control& control, const PaintState& state);

}  // namespace qtfront
