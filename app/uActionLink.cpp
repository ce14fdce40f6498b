#include "app/uActionLink.h"

#include "app/uImageList.h"

#include <QAbstractButton>
#include <QAction>
#include <QMenu>

namespace fegolin {
namespace {

bool Owns(LinkOwn own, LinkOwn part) {
  return (static_cast<unsigned>(own) & static_cast<unsigned>(part)) != 0;
}

} // namespace

QAction* CreateAction(QObject* owner, const ActionDef& def, const TcImageList& images) {
  auto* action = new QAction(owner);
  action->setObjectName(QString::fromLatin1(def.name));
  action->setProperty("category", QString::fromLatin1(def.category));
  action->setProperty("imageIndex", def.imageIndex);
  if (def.imageIndex >= 0) {
    action->setIcon(images.Icon(def.imageIndex));
  }
  action->setEnabled(def.enabled);
  return action;
}

void SetActionTexts(QAction* action, const QString& caption, const QString& hint) {
  // The hint first: a change of either text tells the bound controls, and
  // they read both.
  action->setProperty("hint", hint);
  action->setToolTip(hint);
  action->setText(caption);
}

QString ActionHint(const QAction* action) {
  return action->property("hint").toString();
}

void LinkButton(QAbstractButton* button, QAction* action, LinkOwn own) {
  const auto follow = [button, action, own] {
    button->setEnabled(action->isEnabled());
    if (!Owns(own, LinkOwn::Caption)) {
      button->setText(action->text());
    }
    if (!Owns(own, LinkOwn::Hint)) {
      button->setToolTip(ActionHint(action));
    }
    button->setIcon(action->icon());
  };
  follow();
  QObject::connect(action, &QAction::changed, button, follow);
  QObject::connect(button, &QAbstractButton::clicked, action, [action] { action->trigger(); });
}

QAction* AddMenuItem(QMenu* menu, const char* objectName, QAction* action,
                     const QString& ownCaption) {
  auto* item = menu->addAction(ownCaption.isEmpty() ? action->text() : ownCaption);
  item->setObjectName(QString::fromLatin1(objectName));
  const auto follow = [item, action, ownCaption] {
    item->setEnabled(action->isEnabled());
    if (ownCaption.isEmpty()) {
      item->setText(action->text());
    }
  };
  follow();
  QObject::connect(action, &QAction::changed, item, follow);
  QObject::connect(item, &QAction::triggered, action, [action] { action->trigger(); });
  return item;
}

} // namespace fegolin
