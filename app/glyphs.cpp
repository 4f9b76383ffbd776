// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/glyphs.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygon>
#include <array>

#include "app/window_icon.h"

namespace huesift {
namespace {

const QColor kOutline(0, 0, 0);
const QColor kOrange(255, 140, 0);
const QColor kRed(220, 0, 0);
const QColor kDarkBlue(0, 0, 170);

// Rows of short black dashes, like lines of text, inside area.
void DrawTextLines(QPainter& p, const QRect& area, int rowStep, int dashHeight) {
  static constexpr std::array<int, 6> kDashes = {3, 5, 2, 4, 6, 3};
  int k = 0;
  for (int y = area.top() + 1; y + dashHeight <= area.bottom(); y += rowStep) {
    int x = area.left() + 1;
    while (x < area.right() - 1) {
      const int len = std::min(kDashes[k++ % kDashes.size()], area.right() - x);
      p.fillRect(x, y, len, dashHeight, Qt::black);
      x += len + 1;
    }
  }
}

void DrawStripes(QPainter& p, const QRect& bar) {
  static const std::array<QColor, 7> kStripes = {
      QColor(230, 0, 0),   QColor(255, 140, 0), QColor(250, 230, 0), QColor(0, 170, 0),
      QColor(0, 190, 230), QColor(0, 0, 220),   QColor(190, 0, 190)};
  const int n = static_cast<int>(kStripes.size());
  for (int i = 0; i < n; ++i) {
    const int x0 = bar.left() + bar.width() * i / n;
    const int x1 = bar.left() + bar.width() * (i + 1) / n;
    p.fillRect(x0, bar.top(), x1 - x0, bar.height(), kStripes[i]);
  }
  p.setPen(kOutline);
  p.setBrush(Qt::NoBrush);
  p.drawRect(bar.adjusted(0, 0, -1, -1));
}

void DrawCamera(QPainter& p) {
  p.setPen(kOutline);
  p.setBrush(QColor(200, 200, 200));
  p.drawRect(5, 3, 5, 2);  // viewfinder hump
  p.setBrush(QColor(70, 70, 70));
  p.drawRect(1, 5, 15, 10);                        // body
  p.fillRect(13, 6, 2, 2, QColor(255, 255, 200));  // flash window
  p.setRenderHint(QPainter::Antialiasing);
  p.setBrush(Qt::black);
  p.drawEllipse(QPointF(8.5, 10.5), 4.2, 4.2);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(90, 140, 220));
  p.drawEllipse(QPointF(8.5, 10.5), 2.6, 2.6);
  p.setBrush(Qt::white);
  p.drawEllipse(QPointF(7.5, 9.5), 0.9, 0.9);
}

void DrawProcess(QPainter& p) {
  p.fillRect(1, 1, 16, 8, Qt::white);
  p.fillRect(1, 9, 16, 8, kOrange);
  DrawTextLines(p, QRect(1, 1, 16, 8), 2, 1);
  DrawTextLines(p, QRect(1, 9, 16, 8), 2, 1);
  p.setPen(kOutline);
  p.setBrush(Qt::NoBrush);
  p.drawRect(0, 0, 17, 17);
}

QPolygonF Octagon(double cx, double cy, double r) {
  const double c = r * 0.4142;  // tan(22.5 degrees): the flat sides are all equally long
  return QPolygonF({{cx - c, cy - r},
                    {cx + c, cy - r},
                    {cx + r, cy - c},
                    {cx + r, cy + c},
                    {cx + c, cy + r},
                    {cx - c, cy + r},
                    {cx - r, cy + c},
                    {cx - r, cy - c}});
}

void DrawStop(QPainter& p) {
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(120, 0, 0), 1));
  p.setBrush(kRed);
  p.drawPolygon(Octagon(9, 9, 8.3));
  p.setPen(QPen(Qt::white, 1));
  p.setBrush(Qt::NoBrush);
  p.drawPolygon(Octagon(9, 9, 6.6));
  p.setRenderHint(QPainter::Antialiasing, false);
  p.fillRect(5, 8, 8, 2, Qt::white);
}

void DrawAddColour(QPainter& p) {
  DrawStripes(p, QRect(1, 4, 16, 10));
}

void DrawUndo(QPainter& p) {
  // A U-turn: up the right side, over the top, and back down on the left into the head.
  p.setRenderHint(QPainter::Antialiasing);
  QPainterPath path;
  path.moveTo(14, 16);
  path.lineTo(14, 8);
  path.arcTo(QRectF(5, 3, 9, 9), 0, 180);
  p.setPen(QPen(kDarkBlue, 2.4, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin));
  p.setBrush(Qt::NoBrush);
  p.drawPath(path);
  p.setPen(Qt::NoPen);
  p.setBrush(kDarkBlue);
  p.drawPolygon(QPolygonF({{1.0, 8.5}, {9.0, 8.5}, {5.0, 14.0}}));
}

void DrawFill(QPainter& p) {
  p.setRenderHint(QPainter::Antialiasing);
  // Paint running out of the tipped can's mouth into a puddle.
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0, 60, 230));
  p.drawEllipse(QRectF(0.5, 14, 8, 3.5));
  p.setPen(QPen(QColor(0, 60, 230), 2, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(3.5, 8), QPointF(3.5, 15));

  p.save();
  p.translate(10.5, 8.5);
  p.rotate(-40);
  p.setPen(QPen(kOutline, 1));
  p.setBrush(QColor(190, 190, 190));
  p.drawRect(QRectF(-4.5, -4, 9, 10));  // the can
  p.setBrush(QColor(0, 60, 230));
  p.drawEllipse(QRectF(-4.5, -5.5, 9, 3));  // its open top, full of paint
  p.setBrush(Qt::NoBrush);
  p.drawArc(QRectF(-3.5, -8.5, 7, 7), 0, 180 * 16);  // handle
  p.restore();
}

void DrawReverse(QPainter& p) {
  const QPolygon arrow({{1, 9}, {8, 2}, {8, 6}, {16, 6}, {16, 12}, {8, 12}, {8, 16}});
  p.setPen(kOutline);
  p.setBrush(QColor(0, 70, 230));
  p.drawPolygon(arrow);
}

void DrawPrint(QPainter& p) {
  p.setPen(kOutline);
  p.setBrush(Qt::white);
  p.drawRect(5, 1, 8, 6);  // paper going in
  p.setBrush(QColor(170, 170, 170));
  p.drawRect(1, 6, 16, 7);  // body
  p.fillRect(2, 7, 15, 2, QColor(215, 215, 215));
  p.fillRect(13, 10, 2, 1, QColor(0, 200, 0));  // power light
  p.setBrush(Qt::white);
  p.drawRect(4, 11, 10, 6);  // the printed sheet
  p.fillRect(6, 13, 6, 1, Qt::black);
  p.fillRect(6, 15, 4, 1, Qt::black);
}

void DrawReset(QPainter& p) {
  DrawStripes(p, QRect(2, 5, 14, 8));
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(kRed, 2.2));
  p.setBrush(Qt::NoBrush);
  p.drawEllipse(QPointF(9, 9), 7.4, 7.4);
  p.drawLine(QPointF(4.0, 4.0), QPointF(14.0, 14.0));
}

void DrawQuit(QPainter& p) {
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(kRed, 3.2, Qt::SolidLine, Qt::SquareCap));
  p.drawLine(QPointF(3, 3), QPointF(13, 13));
  p.drawLine(QPointF(13, 3), QPointF(3, 13));
}

void DrawHelp(QPainter& p) {
  p.setRenderHint(QPainter::Antialiasing);
  QPainterPath hook;
  hook.moveTo(4.3, 5.5);
  hook.arcTo(QRectF(4.3, 1.5, 7.4, 7.0), 180, -270);  // round over the top and down the right
  hook.quadTo(QPointF(8, 8.5), QPointF(8, 11));
  p.setPen(QPen(kDarkBlue, 2.2, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin));
  p.setBrush(Qt::NoBrush);
  p.drawPath(hook);
  p.setPen(Qt::NoPen);
  p.setBrush(kDarkBlue);
  p.drawRect(QRectF(6.9, 12.5, 2.3, 2.3));
}

QImage Blank(QSize size) {
  QImage image(size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  return image;
}

}  // namespace

QSize GlyphSize(Glyph glyph) {
  return (glyph == Glyph::Quit || glyph == Glyph::Help) ? QSize(16, 16) : QSize(18, 18);
}

QPixmap GlyphFace(Glyph glyph) {
  QImage image = Blank(GlyphSize(glyph));
  QPainter p(&image);
  switch (glyph) {
    case Glyph::Camera:
      DrawCamera(p);
      break;
    case Glyph::Process:
      DrawProcess(p);
      break;
    case Glyph::Stop:
      DrawStop(p);
      break;
    case Glyph::AddColour:
      DrawAddColour(p);
      break;
    case Glyph::Undo:
      DrawUndo(p);
      break;
    case Glyph::Fill:
      DrawFill(p);
      break;
    case Glyph::Reverse:
      DrawReverse(p);
      break;
    case Glyph::Print:
      DrawPrint(p);
      break;
    case Glyph::Reset:
      DrawReset(p);
      break;
    case Glyph::Quit:
      DrawQuit(p);
      break;
    case Glyph::Help:
      DrawHelp(p);
      break;
  }
  p.end();
  return QPixmap::fromImage(image);
}

bool HasDisabledFace(Glyph glyph) {
  return glyph == Glyph::Undo || glyph == Glyph::Reverse || glyph == Glyph::Quit ||
         glyph == Glyph::Help;
}

QPixmap GlyphDisabledFace(Glyph glyph) {
  // The classic engraved look: the shape in white one pixel down and right, grey on top.
  const QImage face = GlyphFace(glyph).toImage();
  QImage mask = Blank(face.size());
  QImage out = Blank(face.size());
  for (int y = 0; y < face.height(); ++y) {
    for (int x = 0; x < face.width(); ++x) {
      if (qAlpha(face.pixel(x, y)) >= 128) mask.setPixel(x, y, 0xFF000000u);
    }
  }
  QPainter p(&out);
  auto tinted = [&](QColor colour) {
    QImage t = mask;
    QPainter tp(&t);
    tp.setCompositionMode(QPainter::CompositionMode_SourceIn);
    tp.fillRect(t.rect(), colour);
    return t;
  };
  p.drawImage(1, 1, tinted(Qt::white));
  p.drawImage(0, 0, tinted(QColor(128, 128, 128)));
  p.end();
  return QPixmap::fromImage(out);
}

QIcon GlyphIcon(Glyph glyph) {
  QIcon icon;
  icon.addPixmap(GlyphFace(glyph), QIcon::Normal);
  if (HasDisabledFace(glyph)) icon.addPixmap(GlyphDisabledFace(glyph), QIcon::Disabled);
  return icon;
}

QIcon WindowIcon() {
  return QIcon(QPixmap::fromImage(DrawWindowIcon(32)));
}

}  // namespace huesift
