#include "app/uDialogs.h"

#include "kit/kitfolder.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QDialog>
#include <QInputDialog>
#include <QMessageBox>

#include <utility>
#include <vector>

namespace fegolin {
namespace {

TcDialogScript* gActiveScript = nullptr;

// The translation context of the dialogs' own texts.
class TcDialogTexts {
  Q_DECLARE_TR_FUNCTIONS(TcDialogTexts)

public:
  static QString Yes() { return tr("&Ja"); }
  static QString No() { return tr("&Nein"); }
  static QString Cancel() { return tr("&Abbrechen"); }
  static QString Ok() { return tr("OK"); }
  static QString Warning() { return tr("Warnung"); }
};

// Gives the box's buttons `captions`, in the order of `buttons`.
void SetButtonTexts(QMessageBox& box, const std::vector<QMessageBox::StandardButton>& buttons,
                    const QStringList& captions) {
  for (std::size_t i = 0; i < buttons.size(); ++i) {
    box.button(buttons[i])->setText(captions.at(static_cast<qsizetype>(i)));
  }
}

} // namespace

namespace Dialogs {

DialogAnswer AskYesNoCancel(QWidget* parent, const QString& title, const QString& text) {
  const QStringList buttons{TcDialogTexts::Yes(), TcDialogTexts::No(), TcDialogTexts::Cancel()};
  if (TcDialogScript* script = TcDialogScript::Active()) {
    const auto answer = script->Take({DialogRequest::Kind::Question, title, text, {}, buttons});
    if (!answer || answer->cancelled) {
      return DialogAnswer::Cancel;
    }
    return answer->accepted ? DialogAnswer::Yes : DialogAnswer::No;
  }
  QMessageBox box(QMessageBox::Question, title, text,
                  QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, parent);
  SetButtonTexts(box, {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel}, buttons);
  box.setDefaultButton(QMessageBox::Yes);
  box.setEscapeButton(QMessageBox::Cancel);
  switch (box.exec()) {
  case QMessageBox::Yes:
    return DialogAnswer::Yes;
  case QMessageBox::No:
    return DialogAnswer::No;
  default:
    return DialogAnswer::Cancel;
  }
}

bool ConfirmWarning(QWidget* parent, const QString& text) {
  const QStringList buttons{TcDialogTexts::Yes(), TcDialogTexts::No()};
  if (TcDialogScript* script = TcDialogScript::Active()) {
    const auto answer =
        script->Take({DialogRequest::Kind::Confirm, TcDialogTexts::Warning(), text, {}, buttons});
    return answer && answer->accepted;
  }
  QMessageBox box(QMessageBox::Warning, TcDialogTexts::Warning(), text,
                  QMessageBox::Yes | QMessageBox::No, parent);
  SetButtonTexts(box, {QMessageBox::Yes, QMessageBox::No}, buttons);
  return box.exec() == QMessageBox::Yes;
}

void ShowWarning(QWidget* parent, const QString& title, const QString& text) {
  const QStringList buttons{TcDialogTexts::Ok()};
  if (TcDialogScript* script = TcDialogScript::Active()) {
    script->Record({DialogRequest::Kind::Message, title, text, {}, buttons});
    return;
  }
  QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::Ok, parent);
  SetButtonTexts(box, {QMessageBox::Ok}, buttons);
  box.exec();
}

QString InputBox(QWidget* parent, const QString& title, const QString& prompt,
                 const QString& initial) {
  const QStringList buttons{TcDialogTexts::Ok(), TcDialogTexts::Cancel()};
  if (TcDialogScript* script = TcDialogScript::Active()) {
    const auto answer = script->Take({DialogRequest::Kind::Input, title, prompt, initial, buttons});
    return answer && answer->accepted ? answer->text : initial;
  }
  QInputDialog dialog(parent);
  dialog.setWindowTitle(title);
  dialog.setLabelText(prompt);
  dialog.setOkButtonText(buttons.at(0));
  dialog.setCancelButtonText(buttons.at(1));
  dialog.setTextValue(initial);
  return dialog.exec() == QDialog::Accepted ? dialog.textValue() : initial;
}

std::optional<FolderChoice> BrowseFolder(TkitFolderDialog& dialog, const QString& initialFolder) {
  dialog.SetFolder(initialFolder);
  if (TcDialogScript* script = TcDialogScript::Active()) {
    const auto answer = script->Take({DialogRequest::Kind::Folder, {}, {}, initialFolder, {}});
    if (!answer || !answer->accepted) {
      return std::nullopt;
    }
    dialog.SetFolder(answer->folder.folder);
    return answer->folder;
  }
  if (!dialog.Execute()) {
    return std::nullopt;
  }
  return FolderChoice{dialog.Folder(), dialog.SelectedDisplayName()};
}

bool Execute(QDialog& dialog) {
  if (TcDialogScript* script = TcDialogScript::Active()) {
    const auto answer =
        script->Take({DialogRequest::Kind::Window, dialog.windowTitle(), {}, {}, {}});
    dialog.setResult(QDialog::Rejected);
    dialog.show();
    if (answer && answer->user) {
      answer->user(dialog);
    }
    if (dialog.isVisible()) {
      dialog.reject();
    }
    return dialog.result() == QDialog::Accepted;
  }
  return dialog.exec() == QDialog::Accepted;
}

} // namespace Dialogs

TcDialogScript::TcDialogScript() : previous_(gActiveScript) {
  gActiveScript = this;
}

TcDialogScript::~TcDialogScript() {
  gActiveScript = previous_;
}

void TcDialogScript::AnswerYes() {
  answers_.push_back({true, {}, {}, false, {}});
}

void TcDialogScript::AnswerNo() {
  answers_.push_back({false, {}, {}, false, {}});
}

void TcDialogScript::AnswerText(const QString& text) {
  answers_.push_back({true, text, {}, false, {}});
}

void TcDialogScript::AnswerCancel() {
  answers_.push_back({false, {}, {}, true, {}});
}

void TcDialogScript::AnswerFolder(const FolderChoice& choice) {
  answers_.push_back({true, {}, choice, false, {}});
}

void TcDialogScript::AnswerWith(std::function<void(QDialog&)> user) {
  answers_.push_back({true, {}, {}, false, std::move(user)});
}

TcDialogScript* TcDialogScript::Active() {
  return gActiveScript;
}

void TcDialogScript::Record(DialogRequest request) {
  requests_.push_back(std::move(request));
}

std::optional<TcDialogScript::Answer> TcDialogScript::Take(DialogRequest request) {
  requests_.push_back(std::move(request));
  if (answers_.empty()) {
    return std::nullopt;
  }
  Answer answer = std::move(answers_.front());
  answers_.pop_front();
  return answer;
}

} // namespace fegolin
