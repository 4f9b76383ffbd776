// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractButton>
#include <QButtonGroup>

namespace huesift {

// Puts a toggle up, even when it is the checked button of an exclusive group (which Qt would
// otherwise refuse to uncheck).
inline void ReleaseButton(QAbstractButton* button) {
  if (!button || !button->isChecked()) return;
  QButtonGroup* group = button->group();
  const bool exclusive = group && group->exclusive();
  if (exclusive) group->setExclusive(false);
  button->setChecked(false);
  if (exclusive) group->setExclusive(true);
}

}  // namespace huesift
