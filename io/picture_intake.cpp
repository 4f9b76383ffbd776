// SPDX-License-Identifier: GPL-3.0-or-later
#include "io/picture_intake.h"

namespace huesift {

void PictureIntake::take(Picture raster, QSize displaySize, const QString& name) {
  p_.transitions.pictureComing();
  spare_ = p_.picture->release();
  p_.state.runState = RunState::Idle;
  p_.transitions.pictureArrived(displaySize.height() > 0, name);
  p_.picture->setDisplaySize(displaySize);
  p_.state.pictureWidth = p_.picture->displayWidth();
  p_.state.pictureHeight = p_.picture->displayHeight();
  p_.picture->setPicture(std::move(raster));
}

}  // namespace huesift
