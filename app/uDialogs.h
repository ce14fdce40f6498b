#pragma once

// Every modal dialog of the program goes through here. While a
// TcDialogScript is alive, no dialog is shown: each call takes the script's
// next answer instead, so tests never block on a modal loop.

#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <optional>
#include <vector>

class QDialog;
class QWidget;

namespace fegolin {

class TkitFolderDialog;

// A folder picked in the folder browser: its path and the name the system
// shows for it.
struct FolderChoice {
  QString folder;
  QString displayName;
};

// The user's answer to a question that can also be called off.
enum class DialogAnswer { Yes, No, Cancel };

namespace Dialogs {

// Every text the dialogs add themselves (titles, button captions) is in the
// language in force; Qt's own button words are not used.

// A question titled `title` with the buttons "&Ja", "&Nein" and
// "&Abbrechen"; closing it counts as Abbrechen.
DialogAnswer AskYesNoCancel(QWidget* parent, const QString& title, const QString& text);

// A warning message box titled "Warnung" with the buttons "&Ja" and
// "&Nein". True only for Ja.
bool ConfirmWarning(QWidget* parent, const QString& text);

// A warning message box with `title` and the button OK.
void ShowWarning(QWidget* parent, const QString& title, const QString& text);

// A modal input box with OK and &Abbrechen. The answer, or `initial` when
// cancelled.
QString InputBox(QWidget* parent, const QString& title, const QString& prompt,
                 const QString& initial);

// Runs the window's folder dialog with `initialFolder` preselected. The
// chosen folder, or nothing when cancelled. The dialog's Folder() holds the
// chosen path afterwards, as after its own Execute.
std::optional<FolderChoice> BrowseFolder(TkitFolderDialog& dialog, const QString& initialFolder);

// Runs one of the program's own dialogs modally; true when it ended
// accepted. A dialog may refuse to close (its OK found something wrong) and
// waits for the user then, as any modal dialog does.
bool Execute(QDialog& dialog);

} // namespace Dialogs

// One dialog as it was asked for while a script was installed.
struct DialogRequest {
  enum class Kind { Confirm, Question, Message, Input, Folder, Window };
  Kind kind;
  QString title;       // a window: its title
  QString text;        // message, prompt
  QString initial;     // input box text, preselected folder
  QStringList buttons; // the captions of a message or input box's buttons
};

// Answers the program's dialogs in order. A call with no answer left is
// answered as if the user cancelled (No, Cancel, the initial text, no
// folder). A message box has nothing to answer: it is only recorded. A
// confirmation takes Cancel as No.
class TcDialogScript final {
public:
  TcDialogScript();
  ~TcDialogScript();
  TcDialogScript(const TcDialogScript&) = delete;
  TcDialogScript& operator=(const TcDialogScript&) = delete;

  void AnswerYes();
  void AnswerNo();
  void AnswerText(const QString& text);
  void AnswerCancel();
  void AnswerFolder(const FolderChoice& choice);
  // For a dialog of the program's own: the dialog is shown without a modal
  // loop and `user` acts on its real controls as the user would (typing,
  // clicking OK). When `user` leaves it open, it is closed as by Escape.
  void AnswerWith(std::function<void(QDialog&)> user);

  [[nodiscard]] const std::vector<DialogRequest>& Requests() const { return requests_; }

  // Used by the dialog functions: records the request and hands out the
  // next answer, if any.
  struct Answer {
    bool accepted = false;
    QString text;
    FolderChoice folder;
    bool cancelled = false;
    std::function<void(QDialog&)> user;
  };
  [[nodiscard]] static TcDialogScript* Active();
  std::optional<Answer> Take(DialogRequest request);
  void Record(DialogRequest request);

private:
  std::deque<Answer> answers_;
  std::vector<DialogRequest> requests_;
  TcDialogScript* previous_;
};

} // namespace fegolin
