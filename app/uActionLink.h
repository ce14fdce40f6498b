#pragma once

// Actions and the controls bound to them. An action carries its caption,
// hint, image and enabled state; a bound button or menu entry follows the
// action's state and runs it when clicked, unless it has a caption or hint of
// its own, which then stays.

#include <QString>

class QAbstractButton;
class QAction;
class QIcon;
class QMenu;
class QObject;

namespace fegolin {

class TcImageList;

// The texts are not part of it: they follow the language (SetActionTexts).
struct ActionDef {
  const char* name;     // object name, e.g. "actExit"
  const char* category; // "Actions" or "Menu"
  int imageIndex;       // index into the image list, -1: none
  bool enabled;
};

// Creates the action as child of `owner`.
QAction* CreateAction(QObject* owner, const ActionDef& def, const TcImageList& images);

// Gives the action its caption and hint (empty: none); the bound buttons
// and menu entries follow.
void SetActionTexts(QAction* action, const QString& caption, const QString& hint);

// The action's own hint (not Qt's tooltip fallback to the caption).
QString ActionHint(const QAction* action);

enum class LinkOwn : unsigned char {
  Nothing = 0,
  Caption = 1,
  Hint = 2,
  CaptionAndHint = 3,
};

// Binds a button to `action`: a click runs it, enabled follows it, and the
// caption, hint and image come from it except what the button keeps as its
// own.
void LinkButton(QAbstractButton* button, QAction* action, LinkOwn own = LinkOwn::Nothing);

// Adds a menu entry named `objectName` that runs `action` and follows its
// enabled state. Its text is `ownCaption` when given, else the action's.
QAction* AddMenuItem(QMenu* menu, const char* objectName, QAction* action,
                     const QString& ownCaption = {});

} // namespace fegolin
