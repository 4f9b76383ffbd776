// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAction>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QToolButton>
#include <QWidget>
#include <memory>
#include <optional>
#include <vector>

#include "app/toolbar.h"
#include "colours/colour_box.h"
#include "colours/retained_colour_list.h"
#include "engine/working_state.h"
#include "platform/outline_layer.h"
#include "platform/picture_control.h"
#include "platform/picture_view.h"
#include "platform/services.h"
#include "platform/window_states.h"

namespace huesift {

class Capture;
class CaptureOverlay;
class ColourLists;
class Copy;
class Gauge;
class HelpWindow;
class ImageTools;
class Paste;
class PictureFiles;
class PictureIntake;
class Print;
class ProcessController;

// The main window: the toolbar over the working picture. Handlers are short forwarders into
// the subsystem classes.
class MainWindow : public QWidget, private WindowStates {
  Q_OBJECT
 public:
  // Builds this window, the capture overlay and every subsystem the toolbar drives, once,
  // for the window's lifetime. The help window follows when it is first needed.
  explicit MainWindow(Services& services, QWidget* parent = nullptr);
  ~MainWindow() override;

  CaptureOverlay& overlay() { return *overlay_; }
  // The one way a new picture comes in (capture, paste, a file).
  PictureIntake& intake() { return *intake_; }
  // Laying out its page (the text measured to fit, the pictures drawn) took a tenth of the
  // time from start to the painted window; on the first Help click nobody notices it.
  HelpWindow& help();

  WorkingState state;
  Services& services;

  PictureView* pictureView = nullptr;      // scrolls the working picture below the toolbar
  PictureControl* picture = nullptr;       // the working picture
  PictureControl* sampleSquare = nullptr;  // the 9 x 9 pixels around a sampling click
  PictureControl* blankPicture = nullptr;  // white, hidden
  PictureControl* copyScratch = nullptr;   // what Copy last put on the clipboard
  PictureControl* undoPicture = nullptr;   // what Undo brings back

  // The band's dotted outline, drawn over the picture area of the window's surface.
  OutlineLayer* bandLayer = nullptr;

  QWidget* toolbar = nullptr;
  QFrame* toolbarBottomLine = nullptr;  // strip under the toolbar
  QFrame* toolbarTopLine = nullptr;     // strip over the toolbar's top edge
  QLabel* emptyHint = nullptr;          // how to bring a picture in, until the first comes
  ColourBox* colourBox = nullptr;       // the "Retain which color?" box

  QToolButton* addColourButton = nullptr;  // Add Color (toggle, group with Fill)
  QToolButton* captureButton = nullptr;
  QToolButton* printButton = nullptr;
  QToolButton* fillButton = nullptr;  // Fill (toggle, group with Add Color)
  QToolButton* processButton = nullptr;
  QToolButton* quitButton = nullptr;
  QToolButton* helpButton = nullptr;
  QToolButton* resetButton = nullptr;
  QToolButton* stopButton = nullptr;  // Stop (toggle)
  QToolButton* undoButton = nullptr;
  QToolButton* reverseButton = nullptr;  // Reverse Process (toggle)
  RetainedColourList* retainedList = nullptr;
  Gauge* gauge = nullptr;

  QMenu* pictureMenu = nullptr;   // picture: Copy
  QMenu* fillMenu = nullptr;      // Fill: Color..., White, Black
  QMenu* processMenu = nullptr;   // Process: Process Color..., the two ticks, Similar Colors...
  QMenu* captureMenu = nullptr;   // Capture: Paste
  QMenu* printMenu = nullptr;     // Print: Print 1/3 Size
  QAction* copyAction = nullptr;  // "Copy" on the picture's menu
  QAction* fillColourAction = nullptr;
  QAction* fillWhiteAction = nullptr;
  QAction* fillBlackAction = nullptr;
  QAction* processColourAction = nullptr;
  QAction* convertWhiteAction = nullptr;
  QAction* convertToColourAction = nullptr;
  QAction* similarColoursAction = nullptr;
  QAction* pasteAction = nullptr;  // "Paste" on the Capture button's menu
  QAction* smallPrintAction = nullptr;
  QAction* openAction = nullptr;    // "Open Picture..." on the Capture button's menu
  QAction* saveAsAction = nullptr;  // "Save Picture As..." on the picture's menu

  // The colour chooser shared by "Process Color..." and the fill colour remembers the last
  // colour confirmed in it.
  Colour lastChosenColour = kBlack;
  // The file dialogs start beside the last picture file opened or saved in this session.
  QString lastPictureFile;

 public slots:
  void initialise();
  void fitOnFirstShow();

  void onCaptureClicked();
  void onProcessClicked();
  void onStopClicked();
  void onAddColourClicked();
  void onUndoClicked();
  void onFillClicked();
  void onReverseClicked();
  void onPrintClicked();
  void onResetClicked();
  void onQuitClicked();
  void onHelpClicked();

  void onCaptureButtonPressed(Qt::MouseButton button);
  void onProcessButtonPressed(Qt::MouseButton button);
  void onFillButtonPressed(Qt::MouseButton button);
  void onPrintButtonPressed(Qt::MouseButton button);

  void onChooseProcessColour();
  void onChooseSimilarColours();
  void onChooseFillColour();
  void onFillWhite();
  void onFillBlack();
  void onPaste();
  void onCopy();
  void onOpenPicture();
  void onSavePictureAs();
  // A picture file named on the command line or dropped on the window: opened as soon as the
  // event loop is free, refused while busy, failures shown in one message box. The name is
  // bytes, as the shell gives it.
  void openPictureFileLater(const QByteArray& path);

  void onPicturePressed(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);
  void onPictureMoved(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, int x, int y);
  void onPictureReleased(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);

  void onRetainedListClicked();
  void onRetainedListDroppedDown();
  void onRetainedListChanged(int index);
  void onCandidateChosen();
  void onRetainAllClicked();       // the colour box's "Retain All"
  void onColourBoxCloseClicked();  // the colour box's "X"
  void onColourBoxPressed(Qt::MouseButton button, const QPoint& globalPos);

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
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool event(QEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  // The window's state changes, each setting every enabled state it implies.
  void pictureComing() override;
  void pictureArrived(bool hasRows, const QString& name) override;
  void undoOffered() override;
  void undoWithdrawn() override;
  void runStarted() override;
  void runStopped() override;
  void runFinished(bool undoable) override;
  void pasteUnderWay() override;
  void pasteOver() override;
  void dismissColourBox() override;
  // What a new picture and a run both begin with: the tool toggles up, Undo withdrawn, the
  // colour box closed, the default cursor.
  void putToolsAway();

  void buildLayout();
  void createSubsystems();
  void connectSignals();
  void fitToWorkArea();
  void placePictureView();
  void placeEmptyHint();
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
  void connectHandler(Sender* sender, Signal signal, void (MainWindow::*handler)(Args...));

  int windowsOpen_ = 0;

  bool activated_ = false;
  bool painted_ = false;  // the first paint has come, and with it the clipboard's preparation
  // The work area of the first fit, kept until the window manager has framed the window.
  std::optional<QRect> frameFitPending_;
  // Each toolbar key and the button it clicks.
  std::vector<ToolbarKey> toolbarKeys_;

  std::unique_ptr<CaptureOverlay> overlay_;
  std::unique_ptr<HelpWindow> help_;
  std::unique_ptr<ProcessController> process_;
  std::unique_ptr<ColourLists> colourLists_;
  std::unique_ptr<ImageTools> tools_;
  std::unique_ptr<PictureIntake> intake_;
  std::unique_ptr<Paste> paste_;
  std::unique_ptr<Copy> copy_;
  std::unique_ptr<Capture> capture_;
  std::unique_ptr<PictureFiles> files_;
  std::unique_ptr<Print> print_;
};

}  // namespace huesift
