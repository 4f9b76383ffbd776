// The main window's capture, clipboard and print handlers, forwarded to the io classes.
#include "app/tform1.h"
#include "io/capture.h"
#include "io/clipboard_transfer.h"
#include "io/printing.h"

namespace huesift {

namespace {

Capture CaptureOf(TForm1& f, TForm2& overlay) {
  return Capture(f.state, f.services, overlay,
                 {&f, f.Image1, f.Image5, f.SpeedButton2, f.SpeedButton1, f.SpeedButton4,
                  f.SpeedButton11, f.SpeedButton12, [&f] { f.DismissColourBox(); }});
}

Print PrintOf(TForm1& f) {
  return Print(f.state, f.services,
               {&f, f.Image1, f.SpeedButton3, f.SpeedButton1, f.SpeedButton4, f.Print13Size1,
                [&f] { f.DismissColourBox(); }});
}

}  // namespace

void TForm1::SpeedButton2Click() {
  if (refusedWhileBusy(SpeedButton2)) return;
  if (form2_) withWindowOpen([this] { CaptureOf(*this, *form2_).click(); });
}

void TForm1::SpeedButton2MouseDown(Qt::MouseButton button) {
  if (button == Qt::RightButton) popupButtonMenu(PopupMenu4, SpeedButton2, 9);
}

void TForm1::Paste2Click() {
  // A paste under a run, or inside a capture or the help window, is not taken.
  if (busy()) return;
  Paste(state, services,
        {this, Image1, SpeedButton1, SpeedButton3, SpeedButton4, SpeedButton5, SpeedButton11,
         SpeedButton12, [this] { DismissColourBox(); }})
      .click();
}

void TForm1::Paste1Click() {
  // The picture's menu opens only over a picture while no run is going; Ctrl+C keeps to the
  // same, so it never empties the clipboard for want of a picture.
  if (state.runState != 0) return;
  Copy(state, services, *Image1, *Image4).click();
}

void TForm1::SpeedButton3Click() {
  if (refusedWhileBusy(SpeedButton3)) return;
  PrintOf(*this).click();
}

void TForm1::SpeedButton3MouseDown(Qt::MouseButton button) {
  if (button == Qt::RightButton) popupButtonMenu(PopupMenu5, SpeedButton3, 15);
}

void TForm1::Print13Size1Click() {
  PrintOf(*this).toggleSmallSize();
}

}  // namespace huesift
