// A StatusNotifierItem host of the kind Plasma, GNOME's AppIndicator
// extension or waybar run, small enough to read: the end-to-end tests use it
// on the session's private bus to see what a tray icon exports there.
//
//   e2eStatusNotifierHost watch                  the watcher and a host; prints
//                                                "ready", then "item SERVICE PATH"
//                                                for every icon that registers and
//                                                "gone SERVICE" when it goes
//   e2eStatusNotifierHost properties SERVICE PATH  prints the item's properties
//   e2eStatusNotifierHost menu SERVICE PATH      prints the entries of its menu
//   e2eStatusNotifierHost click SERVICE PATH LABEL  picks the entry, as a host does
//                                                when the user clicks it
//   e2eStatusNotifierHost activate SERVICE PATH  a left click on the icon
//
// Exit code 0 when it did what was asked, 1 with the reason on stderr.

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QList>
#include <QStringList>
#include <QVariantMap>

#include <cstdio>
#include <functional>
#include <stdexcept>
#include <string>

namespace {

const QString kWatcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kItemInterface = QStringLiteral("org.kde.StatusNotifierItem");
const QString kMenuInterface = QStringLiteral("com.canonical.dbusmenu");
constexpr int kAnswerMs = 5000;

void Say(const QString& line) {
  std::printf("%s\n", line.toUtf8().constData());
  std::fflush(stdout);
}

class Watcher final : public QObject, protected QDBusContext {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
  Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ RegisteredStatusNotifierItems)
  Q_PROPERTY(bool IsStatusNotifierHostRegistered READ IsStatusNotifierHostRegistered)
  Q_PROPERTY(int ProtocolVersion READ ProtocolVersion)

public:
  explicit Watcher(const QDBusConnection& bus)
      : gone_(QString(), bus, QDBusServiceWatcher::WatchForUnregistration) {
    connect(&gone_, &QDBusServiceWatcher::serviceUnregistered, this,
            [this](const QString& service) {
              for (const QString& item : std::as_const(items_)) {
                if (item.startsWith(service + QLatin1Char('/'))) {
                  items_.removeAll(item);
                  Say(QStringLiteral("gone ") + service);
                  emit StatusNotifierItemUnregistered(item);
                  break;
                }
              }
            });
  }

  [[nodiscard]] QStringList RegisteredStatusNotifierItems() const { return items_; }
  [[nodiscard]] bool IsStatusNotifierHostRegistered() const { return true; }
  [[nodiscard]] int ProtocolVersion() const { return 0; }

public slots:
  // An item names its bus name, or an object path on the caller's name.
  void RegisterStatusNotifierItem(const QString& serviceOrPath) {
    QString service = serviceOrPath;
    QString path = QStringLiteral("/StatusNotifierItem");
    if (serviceOrPath.startsWith(QLatin1Char('/'))) {
      service = message().service();
      path = serviceOrPath;
    }
    // Followed by its unique name: that is what leaves the bus at its end.
    const QString owner = connection().interface()->serviceOwner(service).value();
    gone_.addWatchedService(owner);
    items_.append(owner + path);
    Say(QStringLiteral("item %1 %2").arg(service, path));
    emit StatusNotifierItemRegistered(service + path);
  }
  void RegisterStatusNotifierHost(const QString&) { emit StatusNotifierHostRegistered(); }

signals:
  void StatusNotifierItemRegistered(const QString& item);
  void StatusNotifierItemUnregistered(const QString& item);
  void StatusNotifierHostRegistered();

private:
  QStringList items_;
  QDBusServiceWatcher gone_;
};

QDBusMessage Call(QDBusConnection& bus, QDBusMessage call) {
  const QDBusMessage reply = bus.call(call, QDBus::Block, kAnswerMs);
  if (reply.type() != QDBusMessage::ReplyMessage) {
    throw std::runtime_error(QStringLiteral("%1.%2: %3")
                                 .arg(call.interface(), call.member(), reply.errorMessage())
                                 .toStdString());
  }
  return reply;
}

QVariant Property(QDBusConnection& bus, const QString& service, const QString& path,
                  const QString& interface, const QString& name) {
  QDBusMessage get = QDBusMessage::createMethodCall(
      service, path, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
  get << interface << name;
  return qvariant_cast<QDBusVariant>(Call(bus, get).arguments().value(0)).variant();
}

// a(iiay): width, height and ARGB32 bytes; "WxH" for each, "WxH!" when the
// bytes do not fill the picture.
QStringList Pixmaps(const QDBusArgument& argument) {
  QStringList sizes;
  argument.beginArray();
  while (!argument.atEnd()) {
    int width = 0;
    int height = 0;
    QByteArray bytes;
    argument.beginStructure();
    argument >> width >> height >> bytes;
    argument.endStructure();
    const bool full = width > 0 && height > 0 && bytes.size() == qsizetype{width} * height * 4;
    sizes << QStringLiteral("%1x%2%3").arg(width).arg(height).arg(full ? QString()
                                                                       : QStringLiteral("!"));
  }
  argument.endArray();
  return sizes;
}

int ShowProperties(QDBusConnection& bus, const QString& service, const QString& path) {
  const auto text = [&](const char* name) {
    return Property(bus, service, path, kItemInterface, QString::fromLatin1(name));
  };
  for (const char* name : {"Id", "Title", "Status", "IconName"}) {
    Say(QStringLiteral("%1: %2").arg(QString::fromLatin1(name), text(name).toString()));
  }
  Say(QStringLiteral("IconPixmap: ") +
      Pixmaps(qvariant_cast<QDBusArgument>(text("IconPixmap"))).join(u' '));
  // (s a(iiay) s s): icon name, pixmaps, title, text.
  const auto tip = qvariant_cast<QDBusArgument>(text("ToolTip"));
  QString icon;
  QString title;
  QString body;
  tip.beginStructure();
  tip >> icon;
  Pixmaps(tip);
  tip >> title >> body;
  tip.endStructure();
  Say(QStringLiteral("ToolTip: ") + title);
  Say(QStringLiteral("ToolTipText: ") + body);
  Say(QStringLiteral("Menu: ") + qvariant_cast<QDBusObjectPath>(text("Menu")).path());
  Say(QStringLiteral("ItemIsMenu: ") +
      (text("ItemIsMenu").toBool() ? QStringLiteral("true") : QStringLiteral("false")));
  return 0;
}

struct Entry {
  int id = 0;
  QString label;
  QString type;
  bool enabled = true;
  bool visible = true;
};

// (ia{sv}av): id, properties, children as variants of the same.
void ReadEntries(const QDBusArgument& argument, int depth, QList<Entry>& into) {
  Entry entry;
  QVariantMap properties;
  argument.beginStructure();
  argument >> entry.id >> properties;
  entry.label = properties.value(QStringLiteral("label")).toString();
  entry.type = properties.value(QStringLiteral("type"), QStringLiteral("standard")).toString();
  entry.enabled = properties.value(QStringLiteral("enabled"), true).toBool();
  entry.visible = properties.value(QStringLiteral("visible"), true).toBool();
  if (depth == 1) {
    into.append(entry);
  }
  argument.beginArray();
  while (!argument.atEnd()) {
    QDBusVariant child;
    argument >> child;
    ReadEntries(qvariant_cast<QDBusArgument>(child.variant()), depth + 1, into);
  }
  argument.endArray();
  argument.endStructure();
}

QList<Entry> MenuEntries(QDBusConnection& bus, const QString& service, const QString& itemPath,
                         QString& menuPath) {
  menuPath = qvariant_cast<QDBusObjectPath>(
                 Property(bus, service, itemPath, kItemInterface, QStringLiteral("Menu")))
                 .path();
  QDBusMessage layout = QDBusMessage::createMethodCall(service, menuPath, kMenuInterface,
                                                       QStringLiteral("GetLayout"));
  layout << 0 << -1 << QStringList();
  const QDBusMessage reply = Call(bus, layout);
  QList<Entry> entries;
  ReadEntries(qvariant_cast<QDBusArgument>(reply.arguments().value(1)), 0, entries);
  return entries;
}

// A menu's label marks its access key with '_', Qt's with '&'.
QString Plain(QString label) {
  return label.remove(QLatin1Char('_')).remove(QLatin1Char('&'));
}

int ShowMenu(QDBusConnection& bus, const QString& service, const QString& path) {
  QString menuPath;
  for (const Entry& entry : MenuEntries(bus, service, path, menuPath)) {
    Say(QStringLiteral("entry %1 %2%3%4")
            .arg(entry.id)
            .arg(entry.type == QLatin1String("separator") ? QStringLiteral("-") : entry.label)
            .arg(entry.enabled ? QString() : QStringLiteral(" (disabled)"))
            .arg(entry.visible ? QString() : QStringLiteral(" (hidden)")));
  }
  return 0;
}

void Event(QDBusConnection& bus, const QString& service, const QString& menuPath, int id,
           const QString& event) {
  QDBusMessage message =
      QDBusMessage::createMethodCall(service, menuPath, kMenuInterface, QStringLiteral("Event"));
  message << id << event << QVariant::fromValue(QDBusVariant(QVariant(0))) << 0u;
  // No answer is owed: sent, and a ping after it that is answered only
  // once the event has been taken.
  message.setAutoStartService(false);
  bus.send(message);
}

int Click(QDBusConnection& bus, const QString& service, const QString& path, const QString& label) {
  QString menuPath;
  for (const Entry& entry : MenuEntries(bus, service, path, menuPath)) {
    if (Plain(entry.label) == Plain(label)) {
      QDBusMessage show = QDBusMessage::createMethodCall(service, menuPath, kMenuInterface,
                                                         QStringLiteral("AboutToShow"));
      show << 0;
      Call(bus, show);
      Event(bus, service, menuPath, 0, QStringLiteral("opened"));
      Event(bus, service, menuPath, entry.id, QStringLiteral("clicked"));
      Event(bus, service, menuPath, 0, QStringLiteral("closed"));
      // The program may end on the click before it answers the ping.
      bus.call(QDBusMessage::createMethodCall(service, menuPath,
                                              QStringLiteral("org.freedesktop.DBus.Peer"),
                                              QStringLiteral("Ping")),
               QDBus::Block, kAnswerMs);
      Say(QStringLiteral("clicked %1").arg(entry.id));
      return 0;
    }
  }
  throw std::runtime_error("no menu entry " + label.toStdString());
}

int Activate(QDBusConnection& bus, const QString& service, const QString& path) {
  QDBusMessage activate =
      QDBusMessage::createMethodCall(service, path, kItemInterface, QStringLiteral("Activate"));
  activate << 0 << 0;
  Call(bus, activate);
  return 0;
}

int Watch(QDBusConnection& bus) {
  auto* watcher = new Watcher(bus);
  if (!bus.registerObject(QStringLiteral("/StatusNotifierWatcher"), watcher,
                          QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals |
                              QDBusConnection::ExportAllProperties) ||
      !bus.registerService(kWatcherService) ||
      !bus.registerService(QStringLiteral("org.kde.StatusNotifierHost-%1")
                               .arg(QCoreApplication::applicationPid()))) {
    throw std::runtime_error("cannot take the watcher's name: " +
                             bus.lastError().message().toStdString());
  }
  Say(QStringLiteral("ready"));
  return QCoreApplication::exec();
}

} // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const QStringList args = QCoreApplication::arguments().mid(1);
  QDBusConnection bus = QDBusConnection::sessionBus();
  try {
    if (!bus.isConnected()) {
      throw std::runtime_error("no session bus");
    }
    const QString command = args.value(0);
    if (command == QLatin1String("watch") && args.size() == 1) {
      return Watch(bus);
    }
    if (args.size() >= 3) {
      const QString& service = args.at(1);
      const QString& path = args.at(2);
      if (command == QLatin1String("properties") && args.size() == 3) {
        return ShowProperties(bus, service, path);
      }
      if (command == QLatin1String("menu") && args.size() == 3) {
        return ShowMenu(bus, service, path);
      }
      if (command == QLatin1String("click") && args.size() == 4) {
        return Click(bus, service, path, args.at(3));
      }
      if (command == QLatin1String("activate") && args.size() == 3) {
        return Activate(bus, service, path);
      }
    }
    throw std::runtime_error(
        "usage: watch | properties|menu|activate SERVICE PATH | click SERVICE PATH LABEL");
  } catch (const std::exception& error) {
    std::fprintf(stderr, "e2eStatusNotifierHost: %s\n", error.what());
    return 1;
  }
}

#include "e2eStatusNotifierHost.moc"
