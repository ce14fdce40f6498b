#include "kit/kittips.h"

#include "kit/kitctl32.h"
#include "kit/kitfti32.h"

#include <QtCore/QCoreApplication>
#include <QtCore/QDir>
#include <QtCore/QFile>
#include <QtCore/QFileInfo>
#include <QtCore/QSaveFile>
#include <QtGui/QGuiApplication>
#include <QtWidgets/QLabel>
#include <QtWidgets/QMessageBox>
#include <QtWidgets/QProgressBar>
#include <QtWidgets/QPushButton>

#define SI_CONVERT_ICU // the Debian build instantiates this flavour; we only use CSimpleIniA
#include <SimpleIni.h>

#include <algorithm>
#include <stdexcept>
#include <string>

namespace fegolin {

// ---------------------------------------------------------------------------
// Title marker
// ---------------------------------------------------------------------------

TkitReplaceResult StrReplace(const QString& text, const QString& search,
                             const QString& replacement) {
  TkitReplaceResult result;
  if (search.isEmpty()) {
    result.text = text;
    return result;
  }
  qsizetype from = 0;
  for (qsizetype match = text.indexOf(search, from, Qt::CaseSensitive); match >= 0;
       match = text.indexOf(search, from, Qt::CaseSensitive)) {
    result.text += QStringView(text).mid(from, match - from);
    result.text += replacement;
    from = match + search.size();
    ++result.count;
  }
  result.text += QStringView(text).mid(from);
  return result;
}

QString ApplicationTitle() {
  return QGuiApplication::applicationDisplayName();
}

QString ReplaceAppTitle(const QString& text) {
  return StrReplace(text, kAppTitleMarker, ApplicationTitle()).text;
}

// ---------------------------------------------------------------------------
// Form registry
// ---------------------------------------------------------------------------

QString KitClassName(const QMetaObject& meta) {
  const QString name = QString::fromLatin1(meta.className());
  const qsizetype colon = name.lastIndexOf(QLatin1String("::"));
  return colon < 0 ? name : name.mid(colon + 2);
}

void TkitFormFactory::RegisterForm(const QMetaObject& base, const TkitFormClass& form) {
  if (form.meta == nullptr || !form.meta->inherits(&base)) {
    const QString formName =
        form.meta != nullptr ? KitClassName(*form.meta) : QStringLiteral("(none)");
    throw std::runtime_error(QStringLiteral("Form Factory error: %1 does not inherit from %2")
                                 .arg(formName, KitClassName(base))
                                 .toStdString());
  }
  UnregisterForm(base);
  forms_.emplace(KitClassName(base), form);
}

void TkitFormFactory::RegisterForm(const TkitFormClass& form) {
  if (form.meta == nullptr) {
    throw std::runtime_error("Form Factory error: no form class given");
  }
  RegisterForm(*form.meta, form);
}

void TkitFormFactory::UnregisterForm(const QMetaObject& base) {
  forms_.erase(KitClassName(base));
}

const TkitFormClass* TkitFormFactory::FindForm(const QMetaObject& base) const {
  const auto it = forms_.find(KitClassName(base));
  return it == forms_.end() ? nullptr : &it->second;
}

QWidget* TkitFormFactory::CreateForm(const QMetaObject& base, QObject* owner) const {
  const TkitFormClass* form = FindForm(base);
  return form != nullptr && form->create ? form->create(owner) : nullptr;
}

TkitFormFactory& FormFactory() {
  static TkitFormFactory factory;
  return factory;
}

// ---------------------------------------------------------------------------
// Tip ini files
// ---------------------------------------------------------------------------

// One ini file, read afresh for every value and rewritten at once for every
// change, so the file on disk is always the truth (another program may edit
// it while the window is open). Sections, keys, values and comments that the
// change does not touch are written back as they were read.
class TkitIniFile {
public:
  explicit TkitIniFile(QString path) : path_(std::move(path)) {}

  [[nodiscard]] QString ReadString(const char* section, const QString& key,
                                   const QString& def) const {
    CSimpleIniA ini;
    if (!Load(ini)) {
      return def;
    }
    const char* value = ini.GetValue(section, key.toUtf8().constData(), nullptr);
    return value == nullptr ? def : WithoutQuotes(QString::fromUtf8(value));
  }

  [[nodiscard]] int ReadInteger(const char* section, const QString& key, int def) const {
    bool ok = false;
    const int value = ReadString(section, key, QString()).trimmed().toInt(&ok, 10);
    return ok ? value : def;
  }

  [[nodiscard]] bool ReadBool(const char* section, const QString& key, bool def) const {
    return ReadInteger(section, key, def ? 1 : 0) != 0;
  }

  bool WriteString(const char* section, const QString& key, const QString& value) const {
    CSimpleIniA ini;
    ini.SetSpaces(false);
    if (!Load(ini)) {
      return false;
    }
    if (ini.SetValue(section, key.toUtf8().constData(), value.toUtf8().constData()) < 0) {
      return false;
    }
    std::string text;
    if (ini.Save(text) < 0) {
      return false;
    }
    QSaveFile file(path_);
    if (!file.open(QIODevice::WriteOnly)) {
      return false;
    }
    file.write(text.data(), static_cast<qint64>(text.size()));
    return file.commit();
  }

  bool WriteInteger(const char* section, const QString& key, int value) const {
    return WriteString(section, key, QString::number(value));
  }

  bool WriteBool(const char* section, const QString& key, bool value) const {
    return WriteInteger(section, key, value ? 1 : 0);
  }

private:
  // Ini files written for the Windows profile routines may quote a value to
  // keep its outer spaces; those routines drop one pair of matching double
  // or single quotes around it, and so do we.
  static QString WithoutQuotes(const QString& value) {
    const bool quoted = value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'');
    if (quoted && value.back() == value.front()) {
      return value.mid(1, value.size() - 2);
    }
    return value;
  }

  bool Load(CSimpleIniA& ini) const {
    QFile file(path_);
    if (!file.exists()) {
      return true; // an empty file, as the profile routines see a missing one
    }
    if (!file.open(QIODevice::ReadOnly)) {
      return false;
    }
    const QByteArray bytes = file.readAll();
    return ini.LoadData(bytes.constData(), static_cast<std::size_t>(bytes.size())) >= 0;
  }

  QString path_;
};

namespace {

constexpr const char* kTipsSection = "TIPS";
constexpr const char* kTipTextSection = "TIP TEXT";
const QString kShowOnStartupKey = QStringLiteral("ShowOnStartup");
const QString kNextTipKey = QStringLiteral("NextTip");

QString TipKey(int index) {
  return QStringLiteral("Tip%1").arg(index);
}

} // namespace

// ---------------------------------------------------------------------------
// TkitCustomWelcomeTips
// ---------------------------------------------------------------------------

TkitCustomWelcomeTips::TkitCustomWelcomeTips(QObject* owner) : QObject(owner) {}

TkitCustomWelcomeTips::~TkitCustomWelcomeTips() {
  tipWindow_ = nullptr;
  for (const QPointer<TkitsfTip>& window : ownedWindows_) {
    if (!window.isNull()) {
      window->ReleaseOwner();
      delete window.data();
    }
  }
}

void TkitCustomWelcomeTips::SetCaptionProgress(const QString& value) {
  if (captionProgress_ == value) {
    return;
  }
  captionProgress_ = value;
  if (tipWindow_ != nullptr) {
    tipWindow_->lblProgress->setText(ReplaceAppTitle(value));
    tipWindow_->lblProgress->adjustSize();
  }
}

void TkitCustomWelcomeTips::SetProgressMin(int value) {
  if (progressMin_ == value) {
    return;
  }
  progressMin_ = value;
  if (tipWindow_ != nullptr) {
    tipWindow_->ProgressBar->setMinimum(value);
  }
}

void TkitCustomWelcomeTips::SetProgressMax(int value) {
  if (progressMax_ == value) {
    return;
  }
  progressMax_ = value;
  if (tipWindow_ != nullptr) {
    tipWindow_->ProgressBar->setMaximum(value);
  }
}

void TkitCustomWelcomeTips::SetProgressPos(int value) {
  if (progressPos_ == value) {
    return;
  }
  progressPos_ = value;
  if (tipWindow_ != nullptr) {
    tipWindow_->ProgressBar->setValue(value);
  }
}

void TkitCustomWelcomeTips::SetProgressStep(int value) {
  progressStep_ = value;
}

void TkitCustomWelcomeTips::StepProgress() {
  const int next = progressPos_ + progressStep_;
  SetProgressPos(next > progressMax_ ? progressMin_ : next);
}

void TkitCustomWelcomeTips::SetShowProgress(bool value) {
  if (showProgress_ == value) {
    return;
  }
  showProgress_ = value;
  if (tipWindow_ != nullptr) {
    tipWindow_->pnlProgress->setVisible(value);
    tipWindow_->AdjustLayout();
  }
}

void TkitCustomWelcomeTips::Loaded() {
  if (autoShow_ && GetShowOnStartup()) {
    ShowTips();
  }
}

void TkitCustomWelcomeTips::ShowTips() {
  QWidget* form = FormFactory().CreateForm(TkitsfTip::staticMetaObject, this);
  auto* window = qobject_cast<TkitsfTip*>(form);
  if (window == nullptr) {
    delete form;
    return;
  }
  std::erase_if(ownedWindows_, [](const QPointer<TkitsfTip>& w) { return w.isNull(); });
  ownedWindows_.emplace_back(window);
  tipWindow_ = window;

  window->btnNext->setVisible(visibleButtons_.contains(TkitTipButton::atbNextTip));
  window->btnHelp->setVisible(visibleButtons_.contains(TkitTipButton::atbHelpContents));
  window->btnWhatsNew->setVisible(visibleButtons_.contains(TkitTipButton::atbHelpWhatsNew));
  window->btnClose->setVisible(visibleButtons_.contains(TkitTipButton::atbClose));
  window->SetHelpContexts(helpContents_, helpWhatsNew_);

  window->setWindowTitle(caption_);
  QStringList greeting;
  for (const QString& line : captionGreeting_) {
    greeting << ReplaceAppTitle(line);
  }
  window->SetGreeting(greeting);
  window->chkShowNext->setText(ReplaceAppTitle(captionShowNext_));
  window->lblDidYouKnow->setText(captionTip_);
  window->lblDidYouKnow->adjustSize();
  window->lblProgress->setText(ReplaceAppTitle(captionProgress_));
  window->lblProgress->adjustSize();

  window->ProgressBar->setMaximum(progressMax_);
  window->ProgressBar->setMinimum(progressMin_);
  window->ProgressBar->setValue(progressPos_);
  window->pnlProgress->setVisible(showProgress_);
  window->AdjustLayout();

  window->SetStayOnTop(stayOnTop_);
  if (showModal_) {
    window->exec();
  } else {
    window->show();
  }
}

void TkitCustomWelcomeTips::TipWindowClosed(TkitsfTip* window) {
  if (tipWindow_ == window) {
    tipWindow_ = nullptr;
  }
}

void TkitCustomWelcomeTips::Execute() {
  if (GetShowOnStartup()) {
    ShowTips();
  }
}

// ---------------------------------------------------------------------------
// TkitWelcomeTips
// ---------------------------------------------------------------------------

TkitWelcomeTips::TkitWelcomeTips(QObject* owner) : TkitCustomWelcomeTips(owner) {}

TkitWelcomeTips::~TkitWelcomeTips() {
  CloseTipFiles();
}

void TkitWelcomeTips::Warn(const QString& text) const {
  if (warn_) {
    warn_(text);
  } else {
    QMessageBox::warning(nullptr, ApplicationTitle(), text, QMessageBox::Ok);
  }
}

void TkitWelcomeTips::OpenTipFiles() {
  if (tipFile_ != nullptr) {
    CloseTipFiles();
  }
  if (iniFileName_.isEmpty()) {
    return;
  }
  const QString path =
      iniLocal_ ? QCoreApplication::applicationDirPath() + QLatin1Char('/') + iniFileName_
                : iniFileName_;
  // A folder of that name is no tip file.
  if (QFileInfo(path).isFile()) {
    tipFile_ = std::make_unique<TkitIniFile>(path);
  } else {
    Warn(QStringLiteral("Ini File \"%1\" was not found.").arg(QDir::toNativeSeparators(path)));
  }
  if (!sharedTipFileName_.isEmpty()) {
    if (QFileInfo(sharedTipFileName_).isFile()) {
      sharedFile_ = std::make_unique<TkitIniFile>(sharedTipFileName_);
    } else {
      Warn(QStringLiteral("Shared Tip File \"%1\" was not found.")
               .arg(QDir::toNativeSeparators(sharedTipFileName_)));
    }
  }
}

void TkitWelcomeTips::CloseTipFiles() {
  tipFile_.reset();
  sharedFile_.reset();
}

bool TkitWelcomeTips::GetShowOnStartup() {
  const bool wasOpen = tipFile_ != nullptr;
  if (!wasOpen) {
    OpenTipFiles();
  }
  bool show = false;
  if (onGetShow_) {
    show = true;
    onGetShow_(*this, show);
  } else if (tipFile_ != nullptr) {
    show = tipFile_->ReadBool(kTipsSection, kShowOnStartupKey, true);
  }
  if (!wasOpen) {
    CloseTipFiles();
  }
  return show;
}

void TkitWelcomeTips::SetShowOnStartup(bool value) {
  if (onSetShow_) {
    bool show = value;
    onSetShow_(*this, show);
  } else if (tipFile_ != nullptr) {
    tipFile_->WriteBool(kTipsSection, kShowOnStartupKey, value);
  }
}

void TkitWelcomeTips::ShowTips() {
  OpenTipFiles();
  TkitCustomWelcomeTips::ShowTips();
}

void TkitWelcomeTips::TipWindowClosed(TkitsfTip* window) {
  TkitCustomWelcomeTips::TipWindowClosed(window);
  // A second window may still be open and read from the files.
  if (TipWindow() == nullptr) {
    CloseTipFiles();
  }
}

QString TkitWelcomeTips::GetNextTip() {
  QString text;
  if (onGetTip_) {
    onGetTip_(*this, tipIndex_, text);
    return text;
  }
  if (tipFile_ == nullptr) {
    return text;
  }
  tipIndex_ = tipFile_->ReadInteger(kTipsSection, kNextTipKey, 1);
  const TkitIniFile& source = sharedFile_ != nullptr ? *sharedFile_ : *tipFile_;
  text = source.ReadString(kTipTextSection, TipKey(tipIndex_), QString());
  if (text.isEmpty()) {
    tipIndex_ = 1;
    text = source.ReadString(kTipTextSection, TipKey(tipIndex_), QString());
  }
  ++tipIndex_;
  tipFile_->WriteInteger(kTipsSection, kNextTipKey, tipIndex_);
  return text;
}

} // namespace fegolin
