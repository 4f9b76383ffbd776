// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QPalette>

namespace huesift {

// The contrast ratio of two colours as WCAG defines it, from 1 (the same) to 21 (black on white).
double ContrastRatio(const QColor& a, const QColor& b);

// The wanted colour where it reads on the background with at least the minimum contrast,
// else the nearest mix of it with white or black (whichever the background needs) that does.
QColor ReadableOn(const QColor& wanted, const QColor& background, double minimum);

// Whether a palette is a dark colour scheme: its text lighter than its window.
bool IsDark(const QPalette& palette);

}  // namespace huesift
