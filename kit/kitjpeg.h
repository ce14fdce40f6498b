#pragma once

// Pictures read without image-format plugins: JPEG pictures decoded with
// libjpeg straight into a QImage (the splash and Info page pictures), and
// pictures in a format Qt reads by itself (PNG, BMP).

#include <QtCore/QSize>
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

// Reads a file (also a Qt resource) in one of Qt's own formats, "png" or
// "bmp". A reader left to guess the format first asks every installed
// image-format plugin whether it reads the file, and so loads all of them
// into the program for good; this one goes straight to Qt's own reader. A
// missing or unreadable file gives a null image.
QImage LoadBuiltInImage(const QString& path, const char* format);
// The same picture's size, read from its header alone; invalid when the
// file cannot be read.
QSize BuiltInImageSize(const QString& path, const char* format);

} // namespace fegolin
