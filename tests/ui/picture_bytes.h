// SPDX-License-Identifier: GPL-3.0-or-later
// Picture files as the tests make them: written by Qt as another program would, or changed
// by hand with their checksums put right.
#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QImage>

namespace huesift::test {

// An image file's bytes, as another program would offer them.
inline QByteArray Encoded(const QImage& image, const char* format) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, format);
  return bytes;
}

// CRC-32 a bit at a time, the check each PNG chunk carries: what a test that changes a chunk
// writes for it, so that readers look past the checksum at the change itself.
inline quint32 Crc32(const char* data, int size) {
  quint32 crc = 0xFFFFFFFFu;
  for (int i = 0; i < size; ++i) {
    crc ^= static_cast<quint8>(data[i]);
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

}  // namespace huesift::test
