#pragma once

// TfrmPreview: what a run would do now, folder by folder, without touching
// anything: how many entries it would remove and how big they are, the
// first of their paths, and what it would keep and why. A folder a run
// refuses shows why instead. The engine decides, in its preview mode, with
// the stored rules; this window only lays the answer out.

#include "common/uCommon.h"

#include <QDialog>
#include <QTime>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class QLabel;
class QPushButton;
class QTreeWidget;

namespace fegolin {

// What a run would do with one listed folder.
struct TcFolderPreview {
  QString caption; // name and folder, as the list shows them
  CleanSummary summary;
  struct Entry {
    std::string path; // below the folder
    bool folder = false;
    CleanReason reason = CleanReason::None;
    std::uint64_t size = 0;
  };
  // The first kPreviewPaths entries of each kind, in the order the engine
  // met them; the summary has the counts.
  std::vector<Entry> removals;
  std::vector<Entry> kept; // kept by a rule, and those the system would not let go
};

inline constexpr std::size_t kPreviewPaths = 1000;

// Asks the engine what a run with `rules` would do with `directory`.
TcFolderPreview PreviewFolder(const QString& caption, std::string_view directory,
                              const CleanRules& rules);

class TfrmPreview final : public QDialog {
  Q_OBJECT
public:
  // `source` gives the previews of the folders a run takes, in its order;
  // asked again on "Aktualisieren".
  using Source = std::function<std::vector<TcFolderPreview>()>;
  explicit TfrmPreview(Source source, QWidget* parent = nullptr);

  QLabel* lblSummary;
  QTreeWidget* tvwPreview; // a folder per top item
  QPushButton* btnRefresh;
  QPushButton* btnClose;

  // Asks the source again and shows the answer.
  void Refresh();

protected:
  void changeEvent(QEvent* event) override;

private:
  // The captions in the language in force, and what was found.
  void RetranslateUi();
  // Lays out folders_ as found at shownAt_.
  void ShowPreviews();

  Source source_;
  std::vector<TcFolderPreview> folders_;
  QTime shownAt_; // invalid until the first Refresh
};

} // namespace fegolin
