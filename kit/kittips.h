#pragma once

// Welcome tips: a tip-of-the-day window shown at start-up with a greeting, a
// tip, a "Next Tip" button and a "show next time" check box. Whether the
// window is wanted and which tips it shows come from the host's handlers or
// from a tip ini file.
//
// Typical host (see app/ufrmTipps):
//
//   auto* tips = new TkitWelcomeTips(hostForm);
//   tips->SetCaption(...); tips->SetOnGetShow(...); ...
//   tips->Loaded();   // AutoShow: asks GetShowOnStartup, then ShowTips
//
// The component owns its tip windows; they are top-level windows that free
// themselves when closed.

#include <QtCore/QObject>
#include <QtCore/QPointer>
#include <QtCore/QString>
#include <QtCore/QStringList>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

class QWidget;

namespace fegolin {

class TkitsfTip;

// ---------------------------------------------------------------------------
// Title marker
// ---------------------------------------------------------------------------

// The marker kit captions carry in place of the application title.
inline const QString kAppTitleMarker = QStringLiteral("#AppTitle#");

struct TkitReplaceResult {
  QString text;
  int count = 0;
};

// Replaces every occurrence of `search` (exact case), scanning left to right
// and continuing after each match. An empty search text changes nothing.
TkitReplaceResult StrReplace(const QString& text, const QString& search,
                             const QString& replacement);

// The application title ("Fegolin" in the program): the display name of the
// application, which falls back to its name.
QString ApplicationTitle();

// `text` with every "#AppTitle#" replaced by ApplicationTitle().
QString ReplaceAppTitle(const QString& text);

// ---------------------------------------------------------------------------
// Form registry
// ---------------------------------------------------------------------------

// A form class the registry can construct: its meta object (for the
// inheritance check and the name) and its constructor taking the owner.
struct TkitFormClass {
  const QMetaObject* meta = nullptr;
  std::function<QWidget*(QObject* owner)> create;
};

template <class TForm> TkitFormClass FormClassOf() {
  return {&TForm::staticMetaObject, [](QObject* owner) -> QWidget* { return new TForm(owner); }};
}

// Maps a kit base form to the form class actually built, so a program can
// replace a kit window by a descendant. One process-wide instance: FormFactory().
class TkitFormFactory final {
public:
  // Throws std::runtime_error "Form Factory error: X does not inherit from Y"
  // when `form` does not descend from (or equal) `base`.
  void RegisterForm(const QMetaObject& base, const TkitFormClass& form);
  // Registers the class under its own name.
  void RegisterForm(const TkitFormClass& form);
  void UnregisterForm(const QMetaObject& base);
  [[nodiscard]] const TkitFormClass* FindForm(const QMetaObject& base) const;
  // A new instance of the class registered for `base`, or nullptr.
  [[nodiscard]] QWidget* CreateForm(const QMetaObject& base, QObject* owner) const;

private:
  std::map<QString, TkitFormClass> forms_; // by base class name, sorted
};

TkitFormFactory& FormFactory();

// The class name without its namespace, as the kit's messages show it.
QString KitClassName(const QMetaObject& meta);

// ---------------------------------------------------------------------------
// Welcome tips component
// ---------------------------------------------------------------------------

enum class TkitTipButton : std::uint8_t { atbNextTip, atbHelpContents, atbHelpWhatsNew, atbClose };

// A set of TkitTipButton values.
class TkitTipButtons {
public:
  constexpr TkitTipButtons() = default;
  constexpr TkitTipButtons(std::initializer_list<TkitTipButton> buttons) {
    for (const TkitTipButton b : buttons) {
      bits_ = static_cast<std::uint8_t>(bits_ | Bit(b));
    }
  }
  [[nodiscard]] constexpr bool contains(TkitTipButton b) const { return (bits_ & Bit(b)) != 0; }
  friend constexpr bool operator==(TkitTipButtons, TkitTipButtons) = default;

private:
  static constexpr std::uint8_t Bit(TkitTipButton b) {
    return static_cast<std::uint8_t>(1u << static_cast<unsigned>(b));
  }
  std::uint8_t bits_ = 0;
};

class TkitCustomWelcomeTips;
using TkitShowDialogEvent = std::function<void(TkitCustomWelcomeTips& sender, bool& ShowDialog)>;
using TkitGetTipEvent =
    std::function<void(TkitCustomWelcomeTips& sender, int& TipIndex, QString& TipText)>;

// The kit's English default texts.
namespace kit_tips_defaults {
inline const QString Caption = QStringLiteral("Welcome");
inline const QString Greeting = QStringLiteral("Welcome to #AppTitle#");
inline const QString Progress = QStringLiteral("Please wait while #AppTitle# loads ...");
inline const QString ShowNext =
    QStringLiteral("&Show this Welcome Screen the next time you start #AppTitle#");
inline const QString Tip = QStringLiteral("Did you know...");
} // namespace kit_tips_defaults

class TkitCustomWelcomeTips : public QObject {
  Q_OBJECT

public:
  explicit TkitCustomWelcomeTips(QObject* owner = nullptr);
  ~TkitCustomWelcomeTips() override;

  // --- the window's contents and behaviour
  bool AutoShow() const { return autoShow_; }
  void SetAutoShow(bool value) { autoShow_ = value; }
  QString Caption() const { return caption_; }
  void SetCaption(const QString& value) { caption_ = value; }
  QStringList CaptionGreeting() const { return captionGreeting_; }
  void SetCaptionGreeting(const QStringList& lines) { captionGreeting_ = lines; }
  QString CaptionProgress() const { return captionProgress_; }
  void SetCaptionProgress(const QString& value);
  QString CaptionShowNext() const { return captionShowNext_; }
  void SetCaptionShowNext(const QString& value) { captionShowNext_ = value; }
  QString CaptionTip() const { return captionTip_; }
  void SetCaptionTip(const QString& value) { captionTip_ = value; }
  int HelpContents() const { return helpContents_; }
  void SetHelpContents(int value) { helpContents_ = value; }
  int HelpWhatsNew() const { return helpWhatsNew_; }
  void SetHelpWhatsNew(int value) { helpWhatsNew_ = value; }

  // --- progress panel, for a program that is still loading
  int ProgressMin() const { return progressMin_; }
  void SetProgressMin(int value);
  int ProgressMax() const { return progressMax_; }
  void SetProgressMax(int value);
  int ProgressPos() const { return progressPos_; }
  void SetProgressPos(int value);
  int ProgressStep() const { return progressStep_; }
  void SetProgressStep(int value);
  // Advances the position by ProgressStep, wrapping to ProgressMin past the maximum.
  void StepProgress();
  bool ShowProgress() const { return showProgress_; }
  void SetShowProgress(bool value);

  bool ShowModal() const { return showModal_; }
  void SetShowModal(bool value) { showModal_ = value; }
  bool StayOnTop() const { return stayOnTop_; }
  void SetStayOnTop(bool value) { stayOnTop_ = value; }
  TkitTipButtons VisibleButtons() const { return visibleButtons_; }
  void SetVisibleButtons(TkitTipButtons value) { visibleButtons_ = value; }

  // The live tip window, or nullptr (also while it is being destroyed).
  TkitsfTip* TipWindow() const { return tipWindow_; }

  // Call once the host has set the properties: with AutoShow on, shows the
  // window when GetShowOnStartup answers true.
  void Loaded();

  // --- overridable steps
  virtual bool GetShowOnStartup() = 0;
  virtual void SetShowOnStartup(bool value) = 0;
  virtual void ShowTips();
  // Called by a tip window from its destructor.
  virtual void TipWindowClosed(TkitsfTip* window);
  // Shows the window when GetShowOnStartup answers true.
  virtual void Execute();
  virtual QString GetNextTip() = 0;

signals:
  // A help button of the tip window was pressed; the program's help system
  // opens the given context.
  void HelpRequested(int context);

private:
  bool autoShow_ = true;
  QString caption_ = kit_tips_defaults::Caption;
  QStringList captionGreeting_{kit_tips_defaults::Greeting};
  QString captionProgress_ = kit_tips_defaults::Progress;
  QString captionShowNext_ = kit_tips_defaults::ShowNext;
  QString captionTip_ = kit_tips_defaults::Tip;
  int helpContents_ = 0;
  int helpWhatsNew_ = 0;
  int progressMin_ = 0;
  int progressMax_ = 100;
  int progressPos_ = 0;
  int progressStep_ = 10;
  bool showProgress_ = false;
  bool showModal_ = false;
  bool stayOnTop_ = true;
  TkitTipButtons visibleButtons_{TkitTipButton::atbNextTip, TkitTipButton::atbClose};

  TkitsfTip* tipWindow_ = nullptr;
  // Every window this component made and that still lives; they go with it.
  std::vector<QPointer<TkitsfTip>> ownedWindows_;
};

class TkitIniFile;

class TkitWelcomeTips : public TkitCustomWelcomeTips {
  Q_OBJECT

public:
  explicit TkitWelcomeTips(QObject* owner = nullptr);
  ~TkitWelcomeTips() override;

  // The tip ini file; relative to the executable's folder when IniLocal.
  QString IniFileName() const { return iniFileName_; }
  void SetIniFileName(const QString& value) { iniFileName_ = value; }
  bool IniLocal() const { return iniLocal_; }
  void SetIniLocal(bool value) { iniLocal_ = value; }
  // A second ini file from which the tip texts are read instead; used as given.
  QString SharedTipFileName() const { return sharedTipFileName_; }
  void SetSharedTipFileName(const QString& value) { sharedTipFileName_ = value; }

  void SetOnGetShow(TkitShowDialogEvent handler) { onGetShow_ = std::move(handler); }
  void SetOnSetShow(TkitShowDialogEvent handler) { onSetShow_ = std::move(handler); }
  void SetOnGetTip(TkitGetTipEvent handler) { onGetTip_ = std::move(handler); }

  // Shows the "file not found" warnings. The default opens a modal warning
  // box with an OK button; tests put a recorder here.
  using WarningPresenter = std::function<void(const QString& text)>;
  void SetWarningPresenter(WarningPresenter presenter) { warn_ = std::move(presenter); }

  int TipIndex() const { return tipIndex_; }

  bool GetShowOnStartup() override;
  void SetShowOnStartup(bool value) override;
  void ShowTips() override;
  void TipWindowClosed(TkitsfTip* window) override;
  QString GetNextTip() override;

  void OpenTipFiles();
  void CloseTipFiles();
  bool TipFileOpen() const { return tipFile_ != nullptr; }
  bool SharedTipFileOpen() const { return sharedFile_ != nullptr; }

private:
  void Warn(const QString& text) const;

  QString iniFileName_;
  bool iniLocal_ = false;
  QString sharedTipFileName_;
  TkitShowDialogEvent onGetShow_;
  TkitShowDialogEvent onSetShow_;
  TkitGetTipEvent onGetTip_;
  WarningPresenter warn_;

  std::unique_ptr<TkitIniFile> tipFile_;
  std::unique_ptr<TkitIniFile> sharedFile_;
  int tipIndex_ = 0;
};

} // namespace fegolin
