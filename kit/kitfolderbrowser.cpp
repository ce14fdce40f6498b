#include "kit/kitfolderbrowser.h"

#include "kit/kitfoldertree.h"

#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>

namespace fegolin {
namespace {

// The standard push button of the system dialog: 75 dialog pixels at 96 dpi.
constexpr int kStandardButtonWidth = 75;
constexpr int kCaptionPadding = 12;

} // namespace

TkitFolderBrowser::TkitFolderBrowser(QWidget* parent, TkitFolderTree& tree)
    : QDialog(parent), tree_(tree) {
  setObjectName(QStringLiteral("dlgFolderBrowser"));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);

  lblTitle_ = new QLabel(this);
  lblTitle_->setObjectName(QStringLiteral("lblTitle"));
  lblTitle_->setWordWrap(true);

  lblStatus_ = new QLabel(this);
  lblStatus_->setObjectName(QStringLiteral("lblStatus"));
  lblStatus_->setTextFormat(Qt::PlainText);

  tvFolders_ = new QTreeView(this);
  tvFolders_->setObjectName(QStringLiteral("tvFolders"));
  tvFolders_->setHeaderHidden(true);
  tvFolders_->setUniformRowHeights(true);
  tvFolders_->setSelectionMode(QAbstractItemView::SingleSelection);
  tvFolders_->setModel(&tree_);

  btnNewFolder_ = new QPushButton(this);
  btnNewFolder_->setObjectName(QStringLiteral("btnNewFolder"));
  btnNewFolder_->setAutoDefault(false);

  bbxButtons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  bbxButtons_->setObjectName(QStringLiteral("bbxButtons"));
  connect(bbxButtons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(bbxButtons_, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(btnNewFolder_);
  buttons->addStretch();
  buttons->addWidget(bbxButtons_);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(lblTitle_);
  layout->addWidget(lblStatus_);
  layout->addWidget(tvFolders_, 1);
  layout->addLayout(buttons);

  connect(tvFolders_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          [this] { emit SelectionChanged(SelectedItem()); });

  resize(std::max(sizeHint().width(), 340), std::max(sizeHint().height(), 420));
}

TkitFolderBrowser::~TkitFolderBrowser() = default;

QPushButton* TkitFolderBrowser::OkButton() const {
  return bbxButtons_->button(QDialogButtonBox::Ok);
}

QPushButton* TkitFolderBrowser::CancelButton() const {
  return bbxButtons_->button(QDialogButtonBox::Cancel);
}

QModelIndex TkitFolderBrowser::SelectedItem() const {
  const QModelIndexList rows = tvFolders_->selectionModel()->selectedRows();
  return rows.isEmpty() ? QModelIndex() : rows.front();
}

void TkitFolderBrowser::SelectItem(const QModelIndex& item) {
  for (QModelIndex up = item.parent(); up.isValid(); up = up.parent()) {
    tvFolders_->expand(up);
  }
  tvFolders_->selectionModel()->setCurrentIndex(item, QItemSelectionModel::ClearAndSelect);
  tvFolders_->scrollTo(item);
}

bool TkitFolderBrowser::SelectPath(const QString& path) {
  const QModelIndex item = tree_.IndexForPath(path);
  if (!item.isValid()) {
    return false;
  }
  SelectItem(item);
  return true;
}

void TkitFolderBrowser::SetTitle(const QString& caption) {
  setWindowTitle(caption);
  lblTitle_->setText(caption);
}

void TkitFolderBrowser::SetNewFolderCaption(const QString& caption) {
  btnNewFolder_->setText(caption);
  const int dpi = logicalDpiX();
  const int standard = dpi <= 96 ? kStandardButtonWidth : dpi * kStandardButtonWidth / 96;
  const int wanted = btnNewFolder_->fontMetrics().horizontalAdvance(caption) + kCaptionPadding;
  btnNewFolder_->setMinimumWidth(std::max(wanted, standard));
}

void TkitFolderBrowser::CenterOnScreen() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) {
    return;
  }
  const QRect area = screen->geometry();
  move(area.x() + area.width() / 2 - width() / 2, area.y() + area.height() / 2 - height() / 2);
}

} // namespace fegolin
