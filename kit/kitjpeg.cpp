#include "kit/kitjpeg.h"

#include <QtCore/QByteArray>
#include <QtCore/QFile>
#include <QtGui/QImageReader>

#include <csetjmp>
#include <cstdio>
#include <memory>

#include <jpeglib.h>

namespace fegolin {
namespace {

// libjpeg reports fatal errors through error_exit, which must not return.
// A C++ exception cannot travel through the library's C frames, so the
// decoder jumps back to DecodeInto instead. Everything the jump crosses
// lives in DecodeState on the heap, never in automatic variables that
// change after setjmp.
struct DecodeState {
  jpeg_decompress_struct cinfo{};
  jpeg_error_mgr errorManager{};
  std::jmp_buf jumpBuffer{};
  QImage rows; // filled scanline by scanline; the jump may leave it half done
  QImage image;
};

[[noreturn]] void OnJpegError(j_common_ptr cinfo) {
  auto* state = static_cast<DecodeState*>(cinfo->client_data);
  std::longjmp(state->jumpBuffer, 1);
}

// Warnings about slightly damaged data are not worth a line on stderr.
void OnJpegMessage(j_common_ptr /*cinfo*/) {}

void CopyScanlines(DecodeState& state) {
  jpeg_decompress_struct& cinfo = state.cinfo;
  const auto width = static_cast<int>(cinfo.output_width);
  const auto height = static_cast<int>(cinfo.output_height);
  state.rows = QImage(width, height, QImage::Format_RGB888);
  if (state.rows.isNull()) {
    return;
  }
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = state.rows.scanLine(static_cast<int>(cinfo.output_scanline));
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  state.image = state.rows.convertToFormat(QImage::Format_RGB32);
}

bool DecodeInto(DecodeState& state, std::span<const std::byte> data) {
  jpeg_decompress_struct& cinfo = state.cinfo;
  cinfo.err = jpeg_std_error(&state.errorManager);
  state.errorManager.error_exit = OnJpegError;
  state.errorManager.output_message = OnJpegMessage;
  cinfo.client_data = &state;
  if (setjmp(state.jumpBuffer) != 0) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  jpeg_create_decompress(&cinfo);
  // jpeg_mem_src takes a non-const pointer for historical reasons; it only reads.
  jpeg_mem_src(&cinfo,
               const_cast<unsigned char*>(reinterpret_cast<const unsigned char*>(data.data())),
               static_cast<unsigned long>(data.size()));
  jpeg_read_header(&cinfo, TRUE);
  cinfo.out_color_space = JCS_RGB; // grey pictures are widened; CMYK fails cleanly
  jpeg_start_decompress(&cinfo);
  CopyScanlines(state);
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return !state.image.isNull();
}

} // namespace

QImage DecodeJpeg(std::span<const std::byte> data) {
  if (data.empty()) {
    return {};
  }
  const auto state = std::make_unique<DecodeState>();
  if (!DecodeInto(*state, data)) {
    return {};
  }
  return std::move(state->image);
}

QImage LoadJpegFile(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    return {};
  }
  const QByteArray bytes = file.readAll();
  return DecodeJpeg(
      std::as_bytes(std::span(bytes.constData(), static_cast<std::size_t>(bytes.size()))));
}

QImage LoadBuiltInImage(const QString& path, const char* format) {
  QImageReader reader(path, format);
  reader.setAutoDetectImageFormat(false);
  return reader.read();
}

QSize BuiltInImageSize(const QString& path, const char* format) {
  QImageReader reader(path, format);
  reader.setAutoDetectImageFormat(false);
  return reader.size();
}

} // namespace fegolin
