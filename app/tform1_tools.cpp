// Placeholder handlers until the colour list, sampling, band erase and fill land.
#include "app/tform1.h"

namespace huesift {

void TForm1::SpeedButton1Click() {}
void TForm1::SpeedButton4Click() {}
void TForm1::SpeedButton4MouseDown(Qt::MouseButton) {}
void TForm1::Colors1Click() {}
void TForm1::White1Click() {}
void TForm1::Black1Click() {}
void TForm1::Image1MouseDown(Qt::MouseButton, Qt::KeyboardModifiers, int, int) {}
void TForm1::Image1MouseMove(Qt::MouseButtons, Qt::KeyboardModifiers, int, int) {}
void TForm1::Image1MouseUp(Qt::MouseButton, Qt::KeyboardModifiers, int, int) {}

}  // namespace huesift
