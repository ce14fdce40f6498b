#include "kit/kitversn.h"

#include "platform/VersionResource.h"

#include <QCoreApplication>
#include <QFile>
#include <QPainter>
#include <QTextOption>

#include <array>
#include <cstring>
#include <stdexcept>

namespace fegolin {
namespace {

const QString kLineBreak = QStringLiteral("\r\n");

QString StringUpToZero(std::span<const std::byte> bytes) {
  const auto* chars = reinterpret_cast<const char*>(bytes.data());
  const auto length = static_cast<qsizetype>(::strnlen(chars, bytes.size()));
  return QString::fromLocal8Bit(chars, length);
}

// Accelerator markers as a label shows them: "&&" stands for "&", a single
// "&" only marks the next character.
QString RemoveAccelMarkers(const QString& text) {
  QString shown;
  shown.reserve(text.size());
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i] == u'&' && i + 1 < text.size()) {
      ++i;
    }
    shown.append(text[i]);
  }
  return shown;
}

} // namespace

QString TranslationBlockName(std::span<const std::byte> translation) {
  if (translation.size() < 4) {
    return QString::fromLatin1(kDefaultTranslationBlock);
  }
  std::array<std::uint16_t, 2> words{};
  std::memcpy(words.data(), translation.data(), sizeof words);
  return QString::asprintf("%04X%04X", unsigned{words[0]}, unsigned{words[1]});
}

QString BuildFlagsText(std::span<const std::byte> fixedInfo) {
  // Anything shorter than the fixed part would leave the flags unread.
  if (fixedInfo.size() < sizeof(platform::FixedFileInfo)) {
    return {};
  }
  platform::FixedFileInfo info{};
  std::memcpy(&info, fixedInfo.data(), sizeof info);
  struct FlagWord {
    std::uint32_t flag;
    const char* word;
  };
  static constexpr std::array kWords{
      FlagWord{platform::kFileFlagDebug, "Debug"},
      FlagWord{platform::kFileFlagInfoInferred, "InfoInferred"},
      FlagWord{platform::kFileFlagPatched, "Patched"},
      FlagWord{platform::kFileFlagPreRelease, "Pre-Release"},
      FlagWord{platform::kFileFlagPrivateBuild, "Private"},
      FlagWord{platform::kFileFlagSpecialBuild, "Special"},
  };
  QStringList words;
  for (const auto& entry : kWords) {
    if ((info.dwFileFlags & entry.flag) != 0) {
      words.append(QString::fromLatin1(entry.word));
    }
  }
  return words.join(QStringLiteral(", "));
}

std::optional<QStringList> ReadVersionStrings(const QString& fileName, const QStringList& keys) {
  const auto resource = platform::LoadVersionResource(QFile::encodeName(fileName).toStdString());
  if (!resource) {
    return std::nullopt;
  }
  const auto translation = resource->QueryValue("\\VarFileInfo\\Translation");
  const QString prefix = QStringLiteral("\\StringFileInfo\\") +
                         TranslationBlockName(translation.value_or(std::span<const std::byte>{})) +
                         u'\\';
  QStringList values;
  values.reserve(keys.size());
  for (const auto& key : keys) {
    if (key == QLatin1String(kBuildFlagsKey)) {
      values.append(
          BuildFlagsText(resource->QueryValue("\\").value_or(std::span<const std::byte>{})));
      continue;
    }
    const auto found = resource->QueryValue((prefix + key).toStdString());
    values.append(found ? StringUpToZero(*found) : QString());
  }
  return values;
}

// ---------------------------------------------------------------------------
// TkitVersionInfoItem
// ---------------------------------------------------------------------------

void TkitVersionInfoItem::SetKey(const QString& key) {
  if (key_ != key) {
    key_ = key;
    collection_->Changed();
  }
}

void TkitVersionInfoItem::SetCaption(const QString& caption) {
  if (caption_ != caption) {
    caption_ = caption;
    collection_->Changed();
  }
}

void TkitVersionInfoItem::SetVisible(bool visible) {
  if (visible_ != visible) {
    visible_ = visible;
    collection_->Changed();
  }
}

void TkitVersionInfoItem::Assign(const TkitVersionInfoItem& source) {
  key_ = source.key_;
  caption_ = source.caption_;
  visible_ = source.visible_;
  value_.clear();
  collection_->Changed();
}

// ---------------------------------------------------------------------------
// TkitVersionInfoCollection
// ---------------------------------------------------------------------------

TkitVersionInfoItem& TkitVersionInfoCollection::Add() {
  items_.push_back(std::unique_ptr<TkitVersionInfoItem>(new TkitVersionInfoItem(*this)));
  auto& item = *items_.back();
  Changed();
  return item;
}

TkitVersionInfoItem& TkitVersionInfoCollection::Add(const QString& key, const QString& caption) {
  BeginUpdate();
  auto& item = Add();
  item.SetKey(key);
  item.SetCaption(caption);
  EndUpdate();
  return item;
}

void TkitVersionInfoCollection::Delete(int index) {
  if (index < 0 || index >= Count()) {
    throw std::out_of_range("List index out of bounds");
  }
  items_.erase(items_.begin() + index);
  Changed();
}

void TkitVersionInfoCollection::Clear() {
  items_.clear();
  Changed();
}

void TkitVersionInfoCollection::Assign(const TkitVersionInfoCollection& source) {
  if (&source == this) {
    return;
  }
  BeginUpdate();
  items_.clear();
  for (const auto& item : source.items_) {
    Add().Assign(*item);
  }
  EndUpdate();
}

void TkitVersionInfoCollection::EndUpdate() {
  if (updateCount_ > 0 && --updateCount_ == 0) {
    Changed();
  }
}

void TkitVersionInfoCollection::Changed() {
  if (updateCount_ == 0) {
    owner_.VersionInfoChanged();
  }
}

// ---------------------------------------------------------------------------
// TkitCustomVersionLabel
// ---------------------------------------------------------------------------

TkitCustomVersionLabel::TkitCustomVersionLabel(QWidget* parent)
    : QLabel(parent), versionInfo_(*this) {
  setTextFormat(Qt::PlainText);
  setWordWrap(true);
  setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void TkitCustomVersionLabel::SetDoubleSpaced(bool value) {
  doubleSpaced_ = value;
  UpdateCaption();
}

void TkitCustomVersionLabel::SetTabStop(std::uint8_t value) {
  tabStop_ = value;
  UpdateCaption();
  update();
}

void TkitCustomVersionLabel::ReadVersionValues() {
  QStringList keys;
  for (int i = 0; i < versionInfo_.Count(); ++i) {
    keys.append(versionInfo_.Items(i).Key());
  }
  const auto values = ReadVersionStrings(QCoreApplication::applicationFilePath(), keys);
  for (int i = 0; i < versionInfo_.Count(); ++i) {
    versionInfo_.Items(i).SetValue(values ? values->at(i) : QString());
  }
}

void TkitCustomVersionLabel::UpdateCaption() {
  const QString separator = tabStop_ != 0 ? QStringLiteral("\t") : QString();
  QString text;
  for (int i = 0; i < versionInfo_.Count(); ++i) {
    const auto& item = versionInfo_.Items(i);
    if (!item.Visible()) {
      continue;
    }
    text += item.Caption() + separator + item.Value() + kLineBreak;
    if (doubleSpaced_) {
      text += kLineBreak;
    }
  }
  caption_ = text;
  // QLabel keeps the text for size hints and accessibility; the painting
  // below does the tab stops itself.
  setText(QString(text).replace(kLineBreak, QStringLiteral("\n")));
  update();
}

void TkitCustomVersionLabel::VersionInfoChanged() {
  ReadVersionValues();
  emit OnUpdateVersionInfo();
  UpdateCaption();
}

void TkitCustomVersionLabel::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  painter.setFont(font());
  QString shown = text();
  QTextOption option(alignment());
  option.setWrapMode(QTextOption::WordWrap);
  if (tabStop_ != 0) {
    shown = RemoveAccelMarkers(shown);
    option.setTabStopDistance(tabStop_ * fontMetrics().averageCharWidth());
  }
  const QRectF area = contentsRect();
  if (isEnabled()) {
    painter.setPen(palette().color(foregroundRole()));
    painter.drawText(area, shown, option);
    return;
  }
  // Disabled text looks engraved: a highlight copy one pixel down and right
  // under the shadow-coloured text.
  painter.setPen(palette().color(QPalette::Light));
  painter.drawText(area.translated(1, 1), shown, option);
  painter.setPen(palette().color(QPalette::Dark));
  painter.drawText(area, shown, option);
}

} // namespace fegolin
