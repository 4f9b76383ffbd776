// Placeholder handlers until screen capture, clipboard and printing land.
#include "app/tform1.h"

namespace huesift {

void TForm1::SpeedButton2Click() {}
void TForm1::SpeedButton2MouseDown(Qt::MouseButton) {}
void TForm1::SpeedButton3Click() {}
void TForm1::SpeedButton3MouseDown(Qt::MouseButton) {}
void TForm1::Paste1Click() {}
void TForm1::Copy1Click() {}
void TForm1::Print13Size1Click() {}

}  // namespace huesift
