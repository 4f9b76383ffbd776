// SPDX-License-Identifier: GPL-3.0-or-later
#include "colours/retained_colour_list.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QProxyStyle>
#include <QStylePainter>
#include <QWheelEvent>

#include "colours/colour_names.h"
#include "colours/swatch.h"
#include "engine/working_state.h"

namespace huesift {
namespace {

// Some styles open a drop-down list as a menu as tall as the screen; this one must show at
// most 30 entries and scroll the rest.
class ScrollingPopupStyle : public QProxyStyle {
 public:
  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* returnData) const override {
    if (hint == SH_ComboBox_Popup) return 0;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
  }
};

// "Retained Colors" as a screen reader meets it. Qt names a combo box on Linux after its
// current text, here a decimal colour value; this one keeps its name and gives the chosen
// entry's hex value and colour word as its value. Its one child is the dropped list, whose
// entries carry their own names.
class RetainedListAccessible : public QAccessibleWidget {
 public:
  explicit RetainedListAccessible(RetainedColourList* list)
      : QAccessibleWidget(list, QAccessible::ComboBox) {}

  int childCount() const override { return 1; }
  QAccessibleInterface* child(int index) const override {
    return index == 0 ? QAccessible::queryAccessibleInterface(list()->view()) : nullptr;
  }
  int indexOfChild(const QAccessibleInterface* child) const override {
    return child && child->object() == list()->view() ? 0 : -1;
  }
  QString text(QAccessible::Text t) const override {
    if (t != QAccessible::Value) return QAccessibleWidget::text(t);
    const int chosen = list()->currentIndex();
    return chosen < 0 ? QString() : list()->itemData(chosen, Qt::AccessibleTextRole).toString();
  }
  QAccessible::State state() const override {
    QAccessible::State s = QAccessibleWidget::state();
    s.expandable = true;
    s.expanded = list()->view()->isVisible();
    return s;
  }

  QStringList actionNames() const override {
    return QStringList{showMenuAction(), pressAction()} + QAccessibleWidget::actionNames();
  }
  void doAction(const QString& name) override {
    if (name != showMenuAction() && name != pressAction()) return QAccessibleWidget::doAction(name);
    if (list()->view()->isVisible()) {
      list()->hidePopup();
    } else {
      list()->showPopup();
    }
  }

 private:
  RetainedColourList* list() const { return static_cast<RetainedColourList*>(widget()); }
};

QAccessibleInterface* RetainedListAccessibleFactory(const QString& className, QObject* object) {
  if (className == QLatin1String(RetainedColourList::staticMetaObject.className()) &&
      object->isWidgetType())
    return new RetainedListAccessible(static_cast<RetainedColourList*>(object));
  return nullptr;
}

}  // namespace

RetainedColourList::RetainedColourList(QWidget* parent) : QComboBox(parent) {
  static const bool accessible =
      (QAccessible::installFactory(&RetainedListAccessibleFactory), true);
  (void)accessible;
  auto* style = new ScrollingPopupStyle;
  style->setParent(this);
  setStyle(style);
  setEditable(false);
  setItemDelegate(new SwatchDelegate(this));
  setMaxVisibleItems(30);
  // With a placeholder the first entry added to an empty list is not selected by itself;
  // the face is painted here, so the placeholder is never seen.
  setPlaceholderText(QStringLiteral(" "));
}

void RetainedColourList::appendColour(Colour c) {
  addItem(QString::fromStdString(ColourText(c)));
  setItemData(count() - 1, HexText(c), Qt::ToolTipRole);
  setItemData(count() - 1, AccessibleColourName(c), Qt::AccessibleTextRole);
}

Colour RetainedColourList::colourAt(int index) const {
  return ColourFromText(itemText(index).toStdString());
}

std::vector<std::string> RetainedColourList::entries() const {
  std::vector<std::string> out;
  out.reserve(count());
  for (int i = 0; i < count(); ++i) out.push_back(itemText(i).toStdString());
  return out;
}

void RetainedColourList::deleteEntry(int index) {
  removeItem(index);
  setCurrentIndex(-1);
}

// The tint is the control's base colour, so resetting the palette also takes it away.
void RetainedColourList::setBackgroundColour(Colour c) {
  QPalette tinted = palette();
  tinted.setColor(QPalette::Base, ToQColor(c));
  setPalette(tinted);
}

void RetainedColourList::resetBackgroundColour() {
  setPalette(QPalette());
}

QColor RetainedColourList::backgroundColour() const {
  return palette().color(QPalette::Base);
}

void RetainedColourList::showPopup() {
  emit droppedDown();
  QComboBox::showPopup();
}

void RetainedColourList::paintEvent(QPaintEvent*) {
  QStylePainter painter(this);
  QStyleOptionComboBox option;
  initStyleOption(&option);
  option.currentText.clear();
  option.currentIcon = QIcon();
  painter.drawComplexControl(QStyle::CC_ComboBox, option);
  const QRect face =
      style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
  if (currentIndex() >= 0) {
    DrawSwatch(painter, face, colourAt(currentIndex()));
  } else {
    painter.fillRect(face, backgroundColour());
  }
}

// Turning the wheel over the toolbar must not delete colours; only the pointer in the
// dropped list and the keyboard choose entries.
void RetainedColourList::wheelEvent(QWheelEvent* event) {
  event->ignore();
}

}  // namespace huesift
