#include "app/ufrmPreview.h"

#include "app/uCleanTexts.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QEvent>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTime>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

namespace fegolin {
namespace {

// A group of more entries than this starts folded, so the groups after it
// stay in sight.
constexpr int kUnfoldedEntries = 20;

// Collects what the engine tells about every entry, up to the shown number
// of each kind.
class PreviewCollector final : public CleanObserver {
public:
  explicit PreviewCollector(TcFolderPreview& preview) : preview_(preview) {}
  [[nodiscard]] bool WantsDetails() const override { return true; }
  void Entry(const CleanEvent& event) override {
    auto& list = event.reason == CleanReason::None ? preview_.removals : preview_.kept;
    if (list.size() < kPreviewPaths) {
      list.push_back({std::string(event.path), event.folder, event.reason, event.size});
    }
  }

private:
  TcFolderPreview& preview_;
};

// Looking through a big folder takes a moment, and the thread is the
// window's meanwhile.
class WaitCursor final {
public:
  WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~WaitCursor() { QApplication::restoreOverrideCursor(); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;
};

QString Entries(std::uint64_t count) {
  return count == 1 ? TfrmPreview::tr("1 Eintrag")
                    : CountText(count) + TfrmPreview::tr(" Einträge");
}

// A line with a detail in the second column, or, without one, a line
// across both.
QTreeWidgetItem* AddItem(QTreeWidgetItem* parent, const QString& text, const QString& detail = {}) {
  auto* item = new QTreeWidgetItem(parent, {text, detail});
  item->setFirstColumnSpanned(detail.isEmpty());
  return item;
}

// The engine meets entries in the order the folders list them; the reader
// looks for paths in alphabetical order.
std::vector<const TcFolderPreview::Entry*>
ByPath(const std::vector<TcFolderPreview::Entry>& entries) {
  std::vector<const TcFolderPreview::Entry*> sorted;
  sorted.reserve(entries.size());
  for (const TcFolderPreview::Entry& entry : entries) {
    sorted.push_back(&entry);
  }
  std::sort(sorted.begin(), sorted.end(),
            [](const auto* a, const auto* b) { return a->path < b->path; });
  return sorted;
}

// The rest of a group that is not listed.
void AddMore(QTreeWidgetItem* group, std::uint64_t total, std::size_t shown) {
  if (total > shown) {
    AddItem(group, TfrmPreview::tr("… und %1 weitere").arg(CountText(total - shown)));
  }
}

void AddFolder(QTreeWidget& tree, const TcFolderPreview& folder) {
  auto* top = new QTreeWidgetItem(&tree, {folder.caption});
  const CleanSummary& summary = folder.summary;
  if (!summary.target.ok()) {
    top->setText(1, TfrmPreview::tr("wird nicht gereinigt"));
    AddItem(top, TfrmPreview::tr("Wird nicht gereinigt: ") + RefusalCaption(summary.target));
    top->setExpanded(true);
    return;
  }
  const std::uint64_t staying = summary.kept + summary.failed;
  top->setText(1, TfrmPreview::tr("%1 entfernen, %2 bleiben")
                      .arg(CountText(summary.removed), CountText(staying)));

  auto* removals = AddItem(top, TfrmPreview::tr("Wird entfernt: %1, %2")
                                    .arg(Entries(summary.removed), SizeText(summary.bytes)));
  for (const TcFolderPreview::Entry* entry : ByPath(folder.removals)) {
    AddItem(removals, QString::fromStdString(entry->path),
            entry->folder ? TfrmPreview::tr("Verzeichnis") : SizeText(entry->size));
  }
  AddMore(removals, summary.removed, folder.removals.size());
  removals->setExpanded(removals->childCount() <= kUnfoldedEntries);

  if (staying > 0) {
    auto* kept = AddItem(top, TfrmPreview::tr("Bleibt: %1").arg(Entries(staying)));
    for (const TcFolderPreview::Entry* entry : ByPath(folder.kept)) {
      AddItem(kept, QString::fromStdString(entry->path), ReasonCaption(entry->reason));
    }
    AddMore(kept, staying, folder.kept.size());
    kept->setExpanded(kept->childCount() <= kUnfoldedEntries);
  }
  if (!summary.complete) {
    AddItem(top, TfrmPreview::tr("Das Verzeichnis ließ sich nicht ganz lesen"));
  }
  top->setExpanded(true);
}

QString SummaryText(const std::vector<TcFolderPreview>& folders, const QTime& at) {
  if (folders.empty()) {
    return TfrmPreview::tr("Kein Verzeichnis ist angehakt: ein Lauf täte nichts.");
  }
  CleanSummary total;
  std::uint64_t refused = 0;
  for (const TcFolderPreview& folder : folders) {
    total.removed += folder.summary.removed;
    total.kept += folder.summary.kept + folder.summary.failed;
    total.bytes += folder.summary.bytes;
    refused += folder.summary.target.ok() ? 0 : 1;
  }
  QString text = TfrmPreview::tr("Ein Lauf würde jetzt %1 entfernen (%2) und %3 behalten")
                     .arg(Entries(total.removed), SizeText(total.bytes), CountText(total.kept));
  if (refused == 1) {
    text += TfrmPreview::tr("; 1 Verzeichnis wird nicht gereinigt");
  } else if (refused > 1) {
    text += TfrmPreview::tr("; %1 Verzeichnisse werden nicht gereinigt").arg(CountText(refused));
  }
  return text + TfrmPreview::tr(". Stand: ") + at.toString(QStringLiteral("HH:mm:ss"));
}

} // namespace

TcFolderPreview PreviewFolder(const QString& caption, std::string_view directory,
                              const CleanRules& rules) {
  TcFolderPreview preview;
  preview.caption = caption;
  PreviewCollector collector(preview);
  preview.summary = CleanFolder(directory, rules, CleanMode::Preview, &collector);
  return preview;
}

TfrmPreview::TfrmPreview(Source source, QWidget* parent)
    : QDialog(parent), source_(std::move(source)) {
  setObjectName(QStringLiteral("frmPreview"));
  setSizeGripEnabled(true);
  auto* form = new QVBoxLayout(this);

  lblSummary = new QLabel;
  lblSummary->setObjectName(QStringLiteral("lblSummary"));
  lblSummary->setWordWrap(true);
  form->addWidget(lblSummary);

  tvwPreview = new QTreeWidget;
  tvwPreview->setObjectName(QStringLiteral("tvwPreview"));
  tvwPreview->setColumnCount(2);
  tvwPreview->setUniformRowHeights(true);
  tvwPreview->header()->setStretchLastSection(false);
  tvwPreview->header()->setSectionResizeMode(0, QHeaderView::Stretch);
  tvwPreview->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
  form->addWidget(tvwPreview, 1);

  auto* buttons = new QDialogButtonBox;
  btnRefresh = buttons->addButton(QString(), QDialogButtonBox::ActionRole);
  btnRefresh->setObjectName(QStringLiteral("btnRefresh"));
  btnClose = buttons->addButton(QString(), QDialogButtonBox::RejectRole);
  btnClose->setObjectName(QStringLiteral("btnClose"));
  form->addWidget(buttons);
  connect(btnRefresh, &QPushButton::clicked, this, &TfrmPreview::Refresh);
  connect(buttons, &QDialogButtonBox::rejected, this, &TfrmPreview::reject);

  resize(560, 420);
  RetranslateUi();
}

void TfrmPreview::RetranslateUi() {
  setWindowTitle(tr("Vorschau"));
  tvwPreview->setHeaderLabels({tr("Eintrag"), tr("Größe / Grund")});
  btnRefresh->setText(tr("&Aktualisieren"));
  btnClose->setText(tr("&Schließen"));
  // What was found, said again in the new language; nothing is looked at
  // anew.
  if (shownAt_.isValid()) {
    ShowPreviews();
  }
}

void TfrmPreview::changeEvent(QEvent* event) {
  if (event->type() == QEvent::LanguageChange) {
    RetranslateUi();
  }
  QDialog::changeEvent(event);
}

void TfrmPreview::Refresh() {
  {
    const WaitCursor wait;
    folders_ = source_();
  }
  shownAt_ = QTime::currentTime();
  ShowPreviews();
}

void TfrmPreview::ShowPreviews() {
  tvwPreview->clear();
  for (const TcFolderPreview& folder : folders_) {
    AddFolder(*tvwPreview, folder);
  }
  lblSummary->setText(SummaryText(folders_, shownAt_));
}

} // namespace fegolin
