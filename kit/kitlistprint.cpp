// Printing the item texts of a list on the Print Screen key.
#include "kit/kitlist.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPrinter>

#include <algorithm>

namespace fegolin {

namespace {

// Lines stand this many printer units apart.
constexpr int kPrintLineHeight = 100;

// The wait cursor for as long as printing runs, also when it fails.
class TWaitCursor final {
public:
  TWaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
  ~TWaitCursor() { QGuiApplication::restoreOverrideCursor(); }
  TWaitCursor(const TWaitCursor&) = delete;
  TWaitCursor& operator=(const TWaitCursor&) = delete;
};

class TPrinterDevice final : public TkitPrintDevice {
public:
  TPrinterDevice() : printer_(QPrinter::HighResolution) {}
  TPrinterDevice(const TPrinterDevice&) = delete;
  TPrinterDevice& operator=(const TPrinterDevice&) = delete;

  ~TPrinterDevice() override {
    // A job that failed half-way is withdrawn rather than printed in part.
    if (painter_.isActive()) {
      printer_.abort();
      painter_.end();
    }
  }

  void BeginDoc() override {
    if (!painter_.begin(&printer_)) {
      throw TkitPrintError("Printer is not available");
    }
  }

  void NewPage() override {
    if (!printer_.newPage()) {
      throw TkitPrintError("Printing failed");
    }
  }

  void TextOut(int x, int y, const QString& text) override {
    painter_.drawText(x, y + painter_.fontMetrics().ascent(), text);
  }

  void EndDoc() override {
    if (!painter_.end()) {
      throw TkitPrintError("Printing failed");
    }
  }

private:
  QPrinter printer_;
  QPainter painter_;
};

} // namespace

std::unique_ptr<TkitPrintDevice> CreateDefaultPrintDevice() {
  return std::make_unique<TPrinterDevice>();
}

void TkitCustomSyncListBox::Print() {
  const TWaitCursor wait;
  std::unique_ptr<TkitPrintDevice> device =
      printDeviceFactory_ ? printDeviceFactory_() : CreateDefaultPrintDevice();
  if (!device) {
    throw TkitPrintError("Printer is not available");
  }
  // At least one line a page: with none, every page would stay empty.
  const int linesPerPage = std::max<int>(printLines_, 1);
  device->BeginDoc();
  int line = 0;
  int y = 0;
  for (int i = 0; i < count(); ++i) {
    ++line;
    y += kPrintLineHeight;
    if (line > linesPerPage) {
      device->NewPage();
      y = kPrintLineHeight;
      line = 1;
    }
    device->TextOut(printIndent_, y, ItemText(i));
  }
  device->EndDoc();
}

} // namespace fegolin
