#pragma once

// JPEG pictures decoded with libjpeg straight into a QImage, so the program
// needs no image-format plugin for its splash and Info page pictures.

#include <QtGui/QImage>
#include <QtCore/QString>

#include <cstddef>
#include <span>

namespace fegolin {

// Decodes a complete JPEG stream. Grey-scale and colour pictures come back as
// QImage::Format_RGB32; damaged or unsupported data gives a null image.
QImage DecodeJpeg(std::span<const std::byte> data);

// Reads and decodes a JPEG file (also a Qt resource path such as ":/...").
// A missing or unreadable file gives a null image.
QImage LoadJpegFile(const QString& path);

} // namespace fegolin
