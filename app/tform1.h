// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAction>
#include <QComboBox>
#include <QFrame>
#include <QMenu>
#include <QToolButton>
#include <QWidget>
#include <memory>
#include <optional>

#include "colours/colour_box.h"
#include "colours/retained_color_list.h"
#include "engine/working_state.h"
#include "platform/outline_layer.h"
#include "platform/picture_control.h"
#include "platform/services.h"

namespace huesift {

class Gauge;
class ImageTools;
class ProcessController;
class TForm2;
class THelp;

// The main window. Handlers are short forwarders into the subsystem classes; the component
// and handler names follow the window's numbered components.
class TForm1 : public QWidget {
  Q_OBJECT
 public:
  explicit TForm1(Services& services, QWidget* parent = nullptr);
  ~TForm1() override;

  void setOverlay(TForm2* overlay) { form2_ = overlay; }
  void setHelp(THelp* help) { help_ = help; }

  WorkingState state;
  Services& services;

  // Pictures: working, sample square, blank, clipboard scratch, undo.
  PictureControl* Image1 = nullptr;
  PictureControl* Image2 = nullptr;
  PictureControl* Image3 = nullptr;
  PictureControl* Image4 = nullptr;
  PictureControl* Image5 = nullptr;

  // The band's dotted outline, drawn over the picture area of the window's surface.
  OutlineLayer* BandLayer = nullptr;

  QWidget* ToolBar1 = nullptr;
  QFrame* Panel2 = nullptr;      // strip under the toolbar
  QFrame* Panel7 = nullptr;      // strip over the toolbar's top edge
  ColourBox* Panel12 = nullptr;  // the "Retain which color?" box

  QToolButton* SpeedButton1 = nullptr;     // Add Color (toggle, group with Fill)
  QToolButton* SpeedButton2 = nullptr;     // Capture
  QToolButton* SpeedButton3 = nullptr;     // Print
  QToolButton* SpeedButton4 = nullptr;     // Fill (toggle, group with Add Color)
  QToolButton* SpeedButton5 = nullptr;     // Process
  QToolButton* SpeedButton6 = nullptr;     // Quit
  QToolButton* SpeedButton7 = nullptr;     // Help
  QToolButton* SpeedButton9 = nullptr;     // Reset
  QToolButton* SpeedButton10 = nullptr;    // Stop (toggle)
  QToolButton* SpeedButton11 = nullptr;    // Undo
  QToolButton* SpeedButton12 = nullptr;    // Reverse Process (toggle)
  RetainedColorList* ComboBox1 = nullptr;  // Retained Colors
  Gauge* Gauge1 = nullptr;

  QMenu* PopupMenu1 = nullptr;  // picture: Copy
  QMenu* PopupMenu2 = nullptr;  // Fill: Color..., White, Black
  QMenu* PopupMenu3 =
      nullptr;  // Process: Process Color..., Convert White to Color, Convert to Color
  QMenu* PopupMenu4 = nullptr;  // Capture: Paste
  QMenu* PopupMenu5 = nullptr;  // Print: Print 1/3 Size
  QAction* Paste1 = nullptr;    // "Copy" on the picture's menu (the item kept its first name)
  QAction* Colors1 = nullptr;
  QAction* White1 = nullptr;
  QAction* Black1 = nullptr;
  QAction* ProcessColor1 = nullptr;
  QAction* Convertwhitetocolor1 = nullptr;
  QAction* ConverttoColor1 = nullptr;
  QAction* Paste2 = nullptr;  // "Paste" on the Capture button's menu
  QAction* Print13Size1 = nullptr;
  QAction* OpenPicture1 = nullptr;    // "Open Picture..." on the Capture button's menu
  QAction* SavePictureAs1 = nullptr;  // "Save Picture As..." on the picture's menu

  // The colour chooser shared by "Process Color..." and the fill colour remembers the last
  // colour confirmed in it.
  Colour lastChosenColour = kBlack;
  // The file dialogs start beside the last picture file opened or saved in this session.
  QString lastPictureFile;

 public slots:
  void FormCreate();
  void FormActivate();

  void SpeedButton2Click();   // Capture
  void SpeedButton5Click();   // Process
  void SpeedButton10Click();  // Stop
  void SpeedButton1Click();   // Add Color
  void SpeedButton11Click();  // Undo
  void SpeedButton4Click();   // Fill
  void SpeedButton12Click();  // Reverse Process
  void SpeedButton3Click();   // Print
  void SpeedButton9Click();   // Reset
  void SpeedButton6Click();   // Quit
  void SpeedButton7Click();   // Help

  void SpeedButton2MouseDown(Qt::MouseButton button);
  void SpeedButton5MouseDown(Qt::MouseButton button);
  void SpeedButton4MouseDown(Qt::MouseButton button);
  void SpeedButton3MouseDown(Qt::MouseButton button);

  void ProcessColor1Click();
  void Convertwhitetocolor1Click();
  void ConverttoColor1Click();
  void Colors1Click();
  void White1Click();
  void Black1Click();
  void Paste2Click();  // Paste
  void Paste1Click();  // Copy
  void Print13Size1Click();
  void OpenPicture1Click();
  void SavePictureAs1Click();
  // A picture file named on the command line or dropped on the window: opened as soon as the
  // event loop is free, refused while busy, failures shown in one message box.
  void openPictureFileLater(const QString& path);

  void Image1MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);
  void Image1MouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, int x, int y);
  void Image1MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);

  void ComboBox1Click();
  void ComboBox1DropDown();
  void ComboBox1Change(int index);
  void ListBox1Click();
  void SpeedButton8Click();  // the colour box's "X"
  void Panel12MouseDown(Qt::MouseButton button, const QPoint& globalPos);

  // Hides the colour box and forgets its candidates.
  void DismissColourBox();

 signals:
  // The main window has closed: the program ends.
  void closed();

 public:
  // The busy gate: while Process runs (until its handler has returned, whatever runState
  // says after a Stop) or while a window opened by a toolbar button is up, a gated toolbar
  // button is put back up and its click goes no further. True when the click was refused.
  bool refusedWhileBusy(QToolButton* own);
  bool busy() const;
  // Opens a toolbar button's menu below it, dx pixels left of the button's left edge.
  void popupButtonMenu(QMenu* menu, QToolButton* button, int dx);

 protected:
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool event(QEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void buildLayout();
  void connectSignals();
  void connectTick(QAction* item, void (TForm1::*handler)());
  void fitToWorkArea();
  void fitFrameTo(const QRect& area);
  // Shows a window of a toolbar button (capture overlay, help) with the gate closed, so
  // clicks queued before it cannot open another window inside it.
  template <typename Show>
  void withWindowOpen(Show&& show) {
    ++windowsOpen_;
    struct Close {
      int& depth;
      ~Close() { --depth; }
    } close{windowsOpen_};
    show();
  }
  template <typename Sender, typename Signal, typename... Args>
  void connectHandler(Sender* sender, Signal signal, void (TForm1::*handler)(Args...));

  int windowsOpen_ = 0;

  TForm2* form2_ = nullptr;
  THelp* help_ = nullptr;
  bool activated_ = false;
  // The work area of the first fit, kept until the window manager has framed the window.
  std::optional<QRect> frameFitPending_;
  std::unique_ptr<ProcessController> process_;
  ImageTools& tools();
  ImageTools* tools_ = nullptr;  // created on first use, owned as a child
};

}  // namespace huesift
