#include "app/huesift_application.h"
#include "app/startup_messages.h"
#include "app/tform1.h"
#include "app/thelp.h"
#include "io/tform2.h"
#include "platform/qt_services.h"

int main(int argc, char** argv) {
  huesift::HoldStartupMessages();
  huesift::HuesiftApplication app(argc, argv);
  huesift::ReleaseStartupMessages();
  huesift::QtServices services;
  app.setErrorServices(&services);

  huesift::TForm1 form1(services);
  huesift::TForm2 form2(services, form1.state,
                        {&form1, form1.Image1, form1.SpeedButton1, form1.SpeedButton3,
                         form1.SpeedButton4, form1.SpeedButton5});
  form1.setOverlay(&form2);
  huesift::THelp help;
  form1.setHelp(&help);

  form1.show();
  return app.exec();
}
