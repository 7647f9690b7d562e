// Drawing of the toolkit's controls in the classic look: sunken text boxes,
// raised buttons with their access key underlined, flat labels in their
// design colours, and arrow pictures drawn with QPainter. Text boxes show
// their caret and selection only while they hold the focus.
// Relies on QtGui and the toolkit's controls.
#include "frontends/qt/control_painting.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPolygon>
#include <QString>
#include <algorithm>
#include <cctype>
#include <cmath>

#include "services/base/text_case.h"

namespace qtfront {
namespace {

const QColor kButtonFace(192, 192, 192);
const QColor kShadow(128, 128, 128);
const QColor kDarkShadow(0, 0, 0);
const QColor kHighlight(255, 255, 255);
const QColor kGreyText(128, 128, 128);
const QColor kSelection(0, 0, 128);

// The first count characters (UTF-8 code points) of text.
QString CharacterPrefix(const std::string& text, int count) {
  size_t bytes = 0;
  int seen = 0;
  while (bytes < text.size()) {
    const auto byte = static_cast<unsigned char>(text[bytes]);
    if ((byte & 0xC0) != 0x80) {
      if (seen == count) break;
      ++seen;
    }
    ++bytes;
  }
  return QString::fromStdString(text.substr(0, bytes));
}

// Qt alignment of the toolkit's 0 left, 1 right, 2 centre.
Qt::Alignment HorizontalAlignment(int16_t alignment) {
  if (alignment == 1) return Qt::AlignRight;
  if (alignment == 2) return Qt::AlignHCenter;
  return Qt::AlignLeft;
}

// A two-pixel 3D frame: outer and inner colours of the top-left and the
// bottom-right edges.
void Frame(QPainter& p, const QRect& r, const QColor& outerTopLeft, const QColor& outerBottomRight,
           const QColor& innerTopLeft, const QColor& innerBottomRight) {
  auto edge = [&p](const QRect& box, const QColor& topLeft, const QColor& bottomRight) {
    p.setPen(topLeft);
    p.drawLine(box.topLeft(), box.topRight());
    p.drawLine(box.topLeft(), box.bottomLeft());
    p.setPen(bottomRight);
    p.drawLine(box.bottomLeft(), box.bottomRight());
    p.drawLine(box.topRight(), box.bottomRight());
  };
  edge(r, outerTopLeft, outerBottomRight);
  if (r.width() > 4 && r.height() > 4) {
    edge(r.adjusted(1, 1, -1, -1), innerTopLeft, innerBottomRight);
  }
}

// A label: its colour, then the caption from the top; a label with room for
// more than one line wraps its words, a one-line label is cut at its edge.
void PaintLabel(QPainter& p, const screen::Label& label, const QRect& r) {
  p.fillRect(r, ColorOf(label.BackColor()));
  const QFont font = FontOf(label);
  p.setFont(font);
  p.setPen(label.Enabled() ? QColor(0, 0, 0) : kGreyText);
  int flags = HorizontalAlignment(label.Alignment()) | Qt::AlignTop;
  if (r.height() >= 2 * QFontMetrics(font).height()) flags |= Qt::TextWordWrap;
  p.save();
  p.setClipRect(r);
  p.drawText(r.adjusted(1, 0, -1, 0), flags, QString::fromStdString(label.Caption()));
  p.restore();
}

// A text box: sunken frame, the text on one line, and while focused the
// selection in reverse colours or the caret.
void PaintTextBox(QPainter& p, const screen::TextBox& box, const QRect& r, bool focused) {
  p.fillRect(r, ColorOf(box.BackColor()));
  Frame(p, r, kShadow, kHighlight, kDarkShadow, kButtonFace);
  const QRect inner = r.adjusted(3, 2, -3, -2);
  const QFont font = FontOf(box);
  const QFontMetrics metrics(font);
  p.setFont(font);
  const QString text = QString::fromStdString(box.Text());
  const int textWidth = metrics.horizontalAdvance(text);
  int x = inner.left();
  if (box.Alignment() == 1) x = inner.right() + 1 - textWidth;
  if (box.Alignment() == 2) x = inner.left() + (inner.width() - textWidth) / 2;
  const int top = inner.top() + std::max(0, (inner.height() - metrics.height()) / 2);
  const int baseline = top + metrics.ascent();
  p.save();
  p.setClipRect(inner);
  p.setPen(box.Enabled() ? QColor(0, 0, 0) : kGreyText);
  p.drawText(x, baseline, text);
  if (focused) {
    const int start = x + metrics.horizontalAdvance(CharacterPrefix(box.Text(), box.SelStart()));
    if (box.SelLength() > 0) {
      const QString selected = CharacterPrefix(box.Text(), box.SelStart() + box.SelLength())
                                   .mid(CharacterPrefix(box.Text(), box.SelStart()).size());
      const QRect band(start, top, metrics.horizontalAdvance(selected), metrics.height());
      p.fillRect(band, kSelection);
      p.setPen(kHighlight);
      p.drawText(start, baseline, selected);
    } else {
      p.setPen(QColor(0, 0, 0));
      p.drawLine(start, top, start, top + metrics.height() - 1);
    }
  }
  p.restore();
}

// A command button: raised (sunken while pressed), the default or focused
// button with a black outline, the caption with its access key underlined or
// the arrow picture, and a dotted focus rectangle.
void PaintButton(QPainter& p, const screen::CommandButton& button, const QRect& r,
                 const PaintState& state) {
  p.fillRect(r, kButtonFace);
  QRect body = r;
  if (button.Default() || state.focused) {
    p.setPen(kDarkShadow);
    p.drawRect(r.adjusted(0, 0, -1, -1));
    body = r.adjusted(1, 1, -1, -1);
  }
  if (state.pressed) {
    p.setPen(kShadow);
    p.drawRect(body.adjusted(0, 0, -1, -1));
  } else {
    Frame(p, body, kHighlight, kDarkShadow, kButtonFace, kShadow);
  }
  const QPoint shift = state.pressed ? QPoint(1, 1) : QPoint(0, 0);
  const ArrowPicture picture =
      button.Picture().empty() ? ArrowPicture::None : PictureOf(button.Picture(), button.Name());
  if (picture != ArrowPicture::None) {
    const QImage image = ArrowImage(picture, button.Enabled());
    const QPoint at = r.center() - QPoint(image.width() / 2, image.height() / 2) + QPoint(1, 1);
    p.drawImage(at + shift, image);
  } else {
    p.setFont(FontOf(button));
    const QString caption = QString::fromStdString(button.Caption());
    const QRect textBox = body.adjusted(2, 2, -2, -2).translated(shift);
    const int flags = Qt::AlignCenter | Qt::TextShowMnemonic;
    if (!button.Enabled()) {
      p.setPen(kHighlight);
      p.drawText(textBox.translated(1, 1), flags, caption);
    }
    p.setPen(button.Enabled() ? QColor(0, 0, 0) : kShadow);
    p.drawText(textBox, flags, caption);
  }
  if (state.focused && body.width() > 8 && body.height() > 8) {
    p.setPen(QPen(QColor(0, 0, 0), 1, Qt::DotLine));
    p.drawRect(body.adjusted(3, 3, -4, -4));
  }
}

// A scroll bar: a trough with its two end boxes (it is usually tiny here).
void PaintScrollBar(QPainter& p, const QRect& r) {
  p.fillRect(r, QColor(224, 224, 224));
  const int box = std::min(r.height(), r.width() / 2);
  if (box >= 6) {
    Frame(p, QRect(r.left(), r.top(), box, r.height()), kHighlight, kDarkShadow, kButtonFace,
          kShadow);
    Frame(p, QRect(r.right() - box + 1, r.top(), box, r.height()), kHighlight, kDarkShadow,
          kButtonFace, kShadow);
  } else {
    p.fillRect(r, kShadow);
  }
}

// True when upper contains word.
bool Names(const std::string& upper, const char* word) {
  return upper.find(word) != std::string::npos;
}

// The arrow one name stands for.
ArrowPicture PictureOfName(const std::string& name) {
  std::string upper(name);
  for (char& ch : upper) ch = base::UpperAscii(ch);
  if (Names(upper, "PGUP") || Names(upper, "PAGEUP")) return ArrowPicture::PageUp;
  if (Names(upper, "PGDN") || Names(upper, "PAGEDOWN") || Names(upper, "PGDOWN")) {
    return ArrowPicture::PageDown;
  }
  if (Names(upper, "HOME") || Names(upper, "FIRST")) return ArrowPicture::First;
  if (Names(upper, "END") || Names(upper, "LAST")) return ArrowPicture::Last;
  if (Names(upper, "UP")) return ArrowPicture::Up;
  if (Names(upper, "DN") || Names(upper, "DOWN")) return ArrowPicture::Down;
  if (Names(upper, "ACTION") || Names(upper, "SELECT")) return ArrowPicture::Action;
  return ArrowPicture::None;
}

// A triangle pointing up (or down) with its apex at apexY, 11 pixels wide.
QPolygon Triangle(int apexY, bool down) {
  const int baseY = down ? apexY - 5 : apexY + 5;
  return QPolygon({QPoint(9, apexY), QPoint(4, baseY), QPoint(14, baseY)});
}

}  // namespace

int Pixels(int32_t twips) {
  return static_cast<int>(std::lround(static_cast<double>(twips) / kTwipsPerPixel));
}

// &H00BBGGRR holds blue in the high byte; system colours use the classic set.
QColor ColorOf(uint32_t stored) {
  if (stored & 0x80000000u) {
    switch (stored & 0xFFu) {
      case 5:  // window background
        return QColor(255, 255, 255);
      case 8:   // window text
      case 18:  // button text
        return QColor(0, 0, 0);
      case 16:  // button shadow
        return kShadow;
      default:  // button face and the rest
        return kButtonFace;
    }
  }
  return QColor(static_cast<int>(stored & 0xFF), static_cast<int>((stored >> 8) & 0xFF),
                static_cast<int>((stored >> 16) & 0xFF));
}

// A point is 20 twips, so size x 20 / 15 pixels. The classic faces are
// narrow: when the named one is missing, a narrow sans-serif face stands in.
QFont FontOf(const screen::Control& control) {
  QFont font;
  font.setFamilies({QString::fromStdString(control.FontName()), QStringLiteral("Arial"),
                    QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans Condensed")});
  font.setStyleHint(QFont::SansSerif);
  const double points = control.FontSize() > 0 ? control.FontSize() : 8.25;
  font.setPixelSize(std::max(1, static_cast<int>(std::lround(points * 20.0 / kTwipsPerPixel))));
  return font;
}

ArrowPicture PictureOf(const std::string& pictureName, const std::string& controlName) {
  const ArrowPicture picture = PictureOfName(pictureName);
  return picture != ArrowPicture::None ? picture : PictureOfName(controlName);
}

// Solid black (or grey) shapes on 18 x 16 pixels, without antialiasing so
// they stay crisp at their small size.
QImage ArrowImage(ArrowPicture picture, bool enabled) {
  QImage image(18, 16, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  const QColor ink = enabled ? QColor(0, 0, 0) : kShadow;
  p.setPen(ink);
  p.setBrush(ink);
  switch (picture) {
    case ArrowPicture::Up:
      p.drawPolygon(Triangle(5, false));
      break;
    case ArrowPicture::Down:
      p.drawPolygon(Triangle(10, true));
      break;
    case ArrowPicture::PageUp:
      p.drawPolygon(Triangle(2, false));
      p.drawPolygon(Triangle(8, false));
      break;
    case ArrowPicture::PageDown:
      p.drawPolygon(Triangle(7, true));
      p.drawPolygon(Triangle(13, true));
      break;
    case ArrowPicture::First:
      p.drawRect(4, 2, 10, 1);
      p.drawPolygon(Triangle(6, false));
      break;
    case ArrowPicture::Last:
      p.drawPolygon(Triangle(9, true));
      p.drawRect(4, 12, 10, 1);
      break;
    case ArrowPicture::Action:
      p.drawPolygon(QPolygon({QPoint(6, 3), QPoint(12, 8), QPoint(6, 13)}));
      break;
    case ArrowPicture::None:
      break;
  }
  return image;
}

void PaintControl(QPainter& painter, const screen::Control& control, const PaintState& state) {
  const QRect r(0, 0, std::max(1, Pixels(control.Width())), std::max(1, Pixels(control.Height())));
  switch (control.Kind()) {
    case screen::ControlKind::Label:
      PaintLabel(painter, static_cast<const screen::Label&>(control), r);
      break;
    case screen::ControlKind::TextBox:
      PaintTextBox(painter, static_cast<const screen::TextBox&>(control), r, state.focused);
      break;
    case screen::ControlKind::CommandButton:
      PaintButton(painter, static_cast<const screen::CommandButton&>(control), r, state);
      break;
    case screen::ControlKind::HScrollBar:
      PaintScrollBar(painter, r);
      break;
  }
}

}  // namespace qtfront
