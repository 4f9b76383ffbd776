#include <cstring>

#include "app/huesift_application.h"
#include "app/tform1.h"
#include "app/thelp.h"
#include "io/tform2.h"
#include "platform/clipboard_reader.h"
#include "platform/qt_services.h"

int main(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], huesift::kClipboardReaderFlag) == 0)
    return huesift::RunClipboardReader(argc, argv);
  huesift::HuesiftApplication app(argc, argv);
  huesift::QtServices services;
  app.setErrorServices(&services);

  huesift::TForm1 form1(services);
  huesift::TForm2 form2(services, form1.state,
                        {&form1, form1.Image1, form1.SpeedButton1, form1.SpeedButton3,
                         form1.SpeedButton4, form1.SpeedButton5});
  form1.setOverlay(&form2);
  huesift::THelp help;
  form1.setHelp(&help);

  // The program ends with its main window and only then.
  QObject::connect(&form1, &huesift::TForm1::closed, &app, [] { QCoreApplication::exit(0); });
  form1.show();
  return app.exec();
}
