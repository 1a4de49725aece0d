// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QRandomGenerator>

// Verification codes and their pictures. Letters and digits that are easily confused (0/O,
// 1/I/L) are left out so a code can be read back without doubt.
namespace code_image {

inline constexpr int kWidth = 120;
inline constexpr int kHeight = 44;

QByteArray random_code(QRandomGenerator &random, int length = 4);

// The code drawn legibly with a little noise, as a BMP file image. Needs a QGuiApplication.
QByteArray draw_bmp(const QByteArray &code, QRandomGenerator &random);

} // namespace code_image
