#include "kit/kitfolder.h"

#include "kit/kitfolderbrowser.h"
#include "kit/kitlang.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>
#include <QTreeView>

#include <array>
#include <filesystem>
#include <memory>
#include <system_error>

namespace fegolin {
namespace {

constexpr int kStatusWidth = 50;

// --- caption lists -----------------------------------------------------------

struct CaptionPair {
  const char16_t* newFolder;
  const char16_t* label;
};

constexpr CaptionPair kEnglish{u"New folder", u"Current folder:"};
constexpr CaptionPair kDanish{u"Ny mappe", u"Valgt mappe:"};
constexpr CaptionPair kGerman{u"Neuer Ordner", u"Ausgewählter Ordner:"};
constexpr CaptionPair kFrench{u"Nouveau Dossier", u"Dossier Courant:"};
constexpr CaptionPair kItalian{u"Nuova Cartella", u"Cartella selezionata:"};
constexpr CaptionPair kDutch{u"Nieuwe map", u"Huidige map:"};
constexpr CaptionPair kPolish{u"Nowy folder", u"Bieżący folder"};
constexpr CaptionPair kPortuguese{u"Nova Pasta", u"Pasta Atual:"};

struct CaptionLine {
  const char16_t* name;
  const CaptionPair* captions;
};

// The lines in the order the lists have always been stored in.
constexpr std::array kCaptionLines{
    CaptionLine{u"Default", &kEnglish}, CaptionLine{u"0009", &kEnglish},
    CaptionLine{u"0406", &kDanish},     CaptionLine{u"0407", &kGerman},
    CaptionLine{u"0409", &kEnglish},    CaptionLine{u"040C", &kFrench},
    CaptionLine{u"0410", &kItalian},    CaptionLine{u"0413", &kDutch},
    CaptionLine{u"0415", &kPolish},     CaptionLine{u"0416", &kPortuguese},
    CaptionLine{u"0807", &kGerman},     CaptionLine{u"0809", &kEnglish},
    CaptionLine{u"080C", &kFrench},     CaptionLine{u"0810", &kItalian},
    CaptionLine{u"0C07", &kGerman},     CaptionLine{u"0C09", &kEnglish},
    CaptionLine{u"0C0C", &kFrench},     CaptionLine{u"1007", &kGerman},
    CaptionLine{u"1009", &kEnglish},    CaptionLine{u"100C", &kFrench},
    CaptionLine{u"1407", &kGerman},     CaptionLine{u"1409", &kEnglish},
    CaptionLine{u"140C", &kFrench},     CaptionLine{u"1809", &kEnglish},
    CaptionLine{u"180C", &kFrench},     CaptionLine{u"1C09", &kEnglish},
    CaptionLine{u"2009", &kEnglish},    CaptionLine{u"2809", &kEnglish},
    CaptionLine{u"2C09", &kEnglish},
};

QStringList CaptionList(const char16_t* CaptionPair::*which) {
  QStringList list;
  list.reserve(static_cast<qsizetype>(kCaptionLines.size()));
  for (const auto& line : kCaptionLines) {
    list.append(QString::fromUtf16(line.name) + u'=' + QString::fromUtf16(line.captions->*which));
  }
  return list;
}

// --- roots ---------------------------------------------------------------------

QString ComputerName() {
  return QStringLiteral("Computer");
}

QStringList FileSystemRoots() {
  QStringList roots;
  for (const QFileInfo& drive : QDir::drives()) {
    roots.append(drive.absoluteFilePath());
  }
  return roots;
}

TkitFolderTreeLayout Everything(bool expanded) {
  return {{QDir::homePath()}, ComputerName(), FileSystemRoots(), expanded};
}

// The folder that stands in for a special root; empty where there is none.
QString RootFolderPath(TSHFolders root) {
  const auto location = [](QStandardPaths::StandardLocation where) {
    return QStandardPaths::writableLocation(where);
  };
  switch (root) {
  case TSHFolders::foPrograms:
  case TSHFolders::foStartMenu:
    return location(QStandardPaths::ApplicationsLocation);
  case TSHFolders::foPersonal:
    return location(QStandardPaths::DocumentsLocation);
  case TSHFolders::foFavorites:
  case TSHFolders::foRecent:
  case TSHFolders::foSendto:
    return QDir::homePath();
  case TSHFolders::foStartup:
    return location(QStandardPaths::GenericConfigLocation) + QStringLiteral("/autostart");
  case TSHFolders::foRecycleBin:
    return location(QStandardPaths::GenericDataLocation) + QStringLiteral("/Trash/files");
  case TSHFolders::foDesktopFolder:
    return location(QStandardPaths::DesktopLocation);
  case TSHFolders::foFonts:
    return location(QStandardPaths::FontsLocation);
  case TSHFolders::foTemplates:
    return location(QStandardPaths::TemplatesLocation);
  case TSHFolders::foControlPanel:
  case TSHFolders::foPrinters:
  case TSHFolders::foNetwork:
  case TSHFolders::foNetworkNeighborhood:
    return QDir::rootPath();
  case TSHFolders::foDesktop:
  case TSHFolders::foDesktopExpanded:
  case TSHFolders::foMyComputer:
    break;
  }
  return {};
}

// --- the questions of the new-folder button --------------------------------

std::optional<QString> AskFolderNameBox(QWidget* parent, const QString& title) {
  bool ok = false;
  const QString name =
      QInputDialog::getText(parent, title, QString(), QLineEdit::Normal, QString(), &ok);
  return ok ? std::optional<QString>(name) : std::nullopt;
}

void ShowErrorBox(QWidget* parent, const QString& title, const QString& text) {
  QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::Ok, parent);
  box.exec();
}

bool IsSeparator(QChar c) {
  return c == u'/' || c == QDir::separator();
}

// The dialog of one pass. Its owner window may take it down with itself
// while it runs; otherwise it goes when the pass ends.
class PassDialog {
public:
  PassDialog(QWidget* owner, TkitFolderTree& tree) : dialog_(new TkitFolderBrowser(owner, tree)) {}
  ~PassDialog() { delete dialog_.data(); }
  PassDialog(const PassDialog&) = delete;
  PassDialog& operator=(const PassDialog&) = delete;

  [[nodiscard]] TkitFolderBrowser* get() const { return dialog_.data(); }

private:
  QPointer<TkitFolderBrowser> dialog_;
};

} // namespace

// --- pure helpers --------------------------------------------------------------

QString CompactPath(QStringView path, int maximum, PathStyle style) {
  const QChar sep = QLatin1Char(PathSeparator(style));
  const auto truncated = [&] { return path.left(std::max(maximum, 0)).toString(); };
  if (path.size() <= maximum || maximum <= 5 || !path.contains(sep) || path.mid(2).count(sep) < 2) {
    return truncated();
  }
  QString result;
  QStringView rest = path;
  // A network path keeps both of its leading separators in front.
  const QString networkPrefix(2, sep);
  if (rest.startsWith(networkPrefix)) {
    result = networkPrefix;
    rest = rest.mid(2);
  }
  const qsizetype first = rest.indexOf(sep);
  result += rest.left(first + 1);
  result += QStringLiteral("...");
  rest = rest.mid(first + 1);
  while (result.size() + rest.size() + 1 > maximum) {
    const qsizetype next = rest.indexOf(sep);
    if (next < 0) {
      break;
    }
    rest = rest.mid(next + 1);
  }
  const QString joined = result + sep + rest.toString();
  return joined.size() <= maximum ? joined : joined.left(maximum - 3) + QStringLiteral("...");
}

QString CaptionForLanguage(const QStringList& list, QStringView languageKey) {
  const auto lineNamed = [&list](QStringView name) -> const QString* {
    for (const QString& line : list) {
      const qsizetype eq = line.indexOf(u'=');
      if (eq >= 0 && QStringView(line).left(eq).compare(name, Qt::CaseInsensitive) == 0) {
        return &line;
      }
    }
    return nullptr;
  };
  // A line without a name is all value.
  const auto valueOf = [](const QString& line) {
    const qsizetype eq = line.indexOf(u'=');
    return eq < 0 ? line : line.mid(eq + 1);
  };
  if (const QString* line = lineNamed(languageKey)) {
    return valueOf(*line);
  }
  if (const QString* line = lineNamed(u"Default")) {
    return valueOf(*line);
  }
  return list.isEmpty() ? QString() : valueOf(list.front());
}

QString FormatLanguageKey(std::uint16_t languageId) {
  return QStringLiteral("%1").arg(languageId, 4, 16, QLatin1Char('0')).toUpper();
}

QStringList DefaultNewFolderCaptions() {
  return CaptionList(&CaptionPair::newFolder);
}

QStringList DefaultLabelCaptions() {
  return CaptionList(&CaptionPair::label);
}

TkitFolderTreeLayout RootFolderLayout(TSHFolders root) {
  switch (root) {
  case TSHFolders::foDesktopExpanded:
    return Everything(true);
  case TSHFolders::foDesktop:
    return Everything(false);
  case TSHFolders::foMyComputer:
    return {{}, ComputerName(), FileSystemRoots() << QDir::homePath(), true};
  default:
    break;
  }
  const QString folder = RootFolderPath(root);
  if (folder.isEmpty() || !QFileInfo(folder).isDir()) {
    return Everything(true);
  }
  return {{folder}, {}, {}, true};
}

// --- the component ---------------------------------------------------------------

TkitFolderDialog::TkitFolderDialog(QObject* owner) : TkitFolderDialog(owner, SystemLanguageId()) {}

TkitFolderDialog::TkitFolderDialog(QObject* owner, std::uint16_t languageId)
    : QObject(owner), labelCaptions_(DefaultLabelCaptions()),
      newFolderCaptions_(DefaultNewFolderCaptions()), prompts_{AskFolderNameBox, ShowErrorBox},
      languageKey_(FormatLanguageKey(languageId)) {
  ChooseCaptions();
}

TkitFolderDialog::~TkitFolderDialog() = default;

void TkitFolderDialog::ChooseCaptions() {
  labelCaption_ = CaptionForLanguage(labelCaptions_, languageKey_);
  newFolderCaption_ = CaptionForLanguage(newFolderCaptions_, languageKey_);
}

void TkitFolderDialog::SetLabelCaptions(const QStringList& captions) {
  if (captions == labelCaptions_) {
    return;
  }
  labelCaptions_ = captions;
  ChooseCaptions();
}

void TkitFolderDialog::SetNewFolderCaptions(const QStringList& captions) {
  if (captions == newFolderCaptions_) {
    return;
  }
  newFolderCaptions_ = captions;
  ChooseCaptions();
  if (live_) {
    live_->SetNewFolderCaption(newFolderCaption_);
  }
}

void TkitFolderDialog::SetNewFolderVisible(bool visible) {
  newFolderVisible_ = visible;
  if (live_) {
    live_->NewFolderButton()->setVisible(visible);
  }
}

void TkitFolderDialog::SetNewFolderEnabled(bool enabled) {
  newFolderEnabled_ = enabled;
  if (live_) {
    live_->NewFolderButton()->setEnabled(enabled && selectionHasPath_);
  }
}

QWidget* TkitFolderDialog::OwnerWindow() const {
  if (auto* widget = qobject_cast<QWidget*>(parent())) {
    return widget->window();
  }
  return QApplication::activeWindow();
}

bool TkitFolderDialog::Execute() {
  if (live_) {
    return false; // one run at a time; a handler must not start a second one
  }
  currentFolder_ = folder_;
  const TkitFolderTreeLayout layout = RootFolderLayout(rootFolder_);
  // One tree for all passes: a pass reopened after "new folder" finds its
  // items (and the one selected last) where they were.
  TkitFolderTree tree(layout);
  lastSelected_ = QPersistentModelIndex();
  bool chosen = false;
  do {
    browseInitialised_ = false;
    restartBrowse_ = false;
    folder_ = currentFolder_;
    const PassDialog pass(OwnerWindow(), tree);
    live_ = pass.get();
    Initialize(*pass.get(), layout.Expanded);
    const int result = pass.get()->exec();
    if (pass.get() == nullptr) {
      return false;
    }
    if (result == QDialog::Accepted && !restartBrowse_) {
      const QModelIndex item = pass.get()->SelectedItem();
      folder_ = tree.FilePath(item);
      currentFolder_ = folder_;
      selectedDisplayName_ = tree.data(item).toString();
      chosen = true;
    }
  } while (restartBrowse_);
  return chosen;
}

void TkitFolderDialog::Initialize(TkitFolderBrowser& dialog, bool expandTop) {
  dialog.SetTitle(labelCaption_);
  dialog.SetNewFolderCaption(newFolderCaption_);
  dialog.StatusLabel()->setVisible(flags_.testFlag(TBrowseInfoFlags::ShowPath));
  dialog.NewFolderButton()->setEnabled(selectionHasPath_ && newFolderEnabled_);
  dialog.NewFolderButton()->setVisible(newFolderVisible_);
  if (expandTop) {
    for (int row = 0; row < dialog.Model().rowCount(); ++row) {
      dialog.Tree()->expand(dialog.Model().index(row, 0));
    }
  }
  connect(&dialog, &TkitFolderBrowser::SelectionChanged, this,
          [this, &dialog](const QModelIndex& item) { SelectionChanged(dialog, item); });
  connect(dialog.NewFolderButton(), &QPushButton::clicked, this,
          [this, &dialog] { NewFolderClicked(dialog); });

  // Preselect the folder, else what was selected before a reopen, else the
  // first item, the way the tree always opens at its root.
  if (!dialog.SelectPath(folder_)) {
    dialog.SelectItem(lastSelected_.isValid() ? QModelIndex(lastSelected_)
                                              : dialog.Model().index(0, 0));
  }
  dialog.CenterOnScreen();
  // The dialog counts as set up once its modal loop runs.
  QTimer::singleShot(0, &dialog, [this, &dialog] {
    browseInitialised_ = true;
    if (onInitialized_) {
      onInitialized_(*this, dialog);
    }
  });
}

bool TkitFolderDialog::CanChoose(const TkitFolderTree& tree, const QModelIndex& item) const {
  if (flags_.testFlag(TBrowseInfoFlags::OnlyFileSystem) && !selectionHasPath_) {
    return false;
  }
  if (flags_.testFlag(TBrowseInfoFlags::OnlyPrinters)) {
    return false;
  }
  return !flags_.testFlag(TBrowseInfoFlags::OnlyComputers) || tree.IsGroup(item);
}

void TkitFolderDialog::SelectionChanged(TkitFolderBrowser& dialog, const QModelIndex& item) {
  const TkitFolderTree& tree = dialog.Model();
  if (browseInitialised_) {
    lastSelected_ = item;
  }
  currentFolder_ = tree.FilePath(item);
  if (flags_.testFlag(TBrowseInfoFlags::ShowPath)) {
    // An item without a path shows its name; the current folder stays empty
    // so that it can neither pass for a path nor receive a new folder.
    QString status = CompactPath(currentFolder_, kStatusWidth);
    if (status.isEmpty()) {
      status = tree.data(item).toString();
    }
    dialog.StatusLabel()->setText(status);
  }
  selectionHasPath_ = !currentFolder_.isEmpty();
  dialog.OkButton()->setEnabled(CanChoose(tree, item));
  dialog.NewFolderButton()->setEnabled(selectionHasPath_ && newFolderEnabled_);
  if (onSelectionChanged_) {
    onSelectionChanged_(*this, dialog, item, currentFolder_);
  }
}

void TkitFolderDialog::NewFolderClicked(TkitFolderBrowser& dialog) {
  if (currentFolder_.isEmpty()) {
    return;
  }
  const std::optional<QString> name = prompts_.AskFolderName(&dialog, newFolderCaption_);
  if (!name || name->isEmpty()) {
    return;
  }
  restartBrowse_ = true;
  QString path = currentFolder_;
  if (!IsSeparator(name->front()) && !IsSeparator(path.back())) {
    path += QDir::separator();
  }
  path = QDir::cleanPath(path + *name);
  std::error_code error;
  std::filesystem::create_directories(QFileInfo(path).filesystemAbsoluteFilePath(), error);
  if (QFileInfo(path).isDir()) {
    currentFolder_ = QDir::toNativeSeparators(path);
  } else {
    browseInitialised_ = false;
    if (!error) {
      error = std::make_error_code(std::errc::not_a_directory);
    }
    prompts_.ShowError(&dialog, newFolderCaption_, QString::fromLocal8Bit(error.message()));
  }
  // The tree is rebuilt around the new folder: close this pass, Execute
  // opens the next one at currentFolder_.
  dialog.reject();
}

} // namespace fegolin
