#pragma once

// Version label: a label that shows chosen fields of the running program's
// version information, one field a line, as caption, tab and value.
//
// Typical use (the Info page):
//
//   auto* label = new TkitVersionLabel(page);
//   label->setGeometry(111, 69, 221, 32);
//   label->SetDoubleSpaced(false);
//   label->SetTabStop(8);
//   label->VersionInfo().Add("ProductVersion", "Product Version:");
//   label->VersionInfo().Add("FileVersion", "File Version:");
//   // Caption() == "Product Version:\t1.0.0.0\r\nFile Version:\t1.0.0.75\r\n"
//
// The values are read again whenever the item list changes; wrap several
// changes in BeginUpdate()/EndUpdate() to read once. The label never fills
// its background unless autoFillBackground is set, so it is transparent by
// default.

#include <QLabel>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace fegolin {

// Pseudo key whose value is the fixed part's file flags as words.
inline constexpr auto kBuildFlagsKey = "BuildFlags";

// Block used when the version information lists no translation.
inline constexpr auto kDefaultTranslationBlock = "040904E4";

// The string block name of a translation entry: language and code page as
// four upper-case hex digits each ("080704E4"); kDefaultTranslationBlock when
// fewer than 4 bytes are given.
QString TranslationBlockName(std::span<const std::byte> translation);

// The file flags of a fixed file information block as words, in the order
// Debug, InfoInferred, Patched, Pre-Release, Private, Special, separated by
// ", ". Empty when the block is too short to hold the flags.
QString BuildFlagsText(std::span<const std::byte> fixedInfo);

// Reads one value for each key, in the same order, from the version
// information of `fileName` (the string block of its first translation; the
// key kBuildFlagsKey gives BuildFlagsText). A key the block lacks gives an
// empty value. Nothing when the file has no version information.
std::optional<QStringList> ReadVersionStrings(const QString& fileName, const QStringList& keys);

class TkitVersionInfoCollection;

// One field of a version label.
class TkitVersionInfoItem final {
public:
  [[nodiscard]] const QString& Key() const { return key_; }
  void SetKey(const QString& key);
  [[nodiscard]] const QString& Caption() const { return caption_; }
  void SetCaption(const QString& caption);
  // Read from the version information; set by the label.
  [[nodiscard]] const QString& Value() const { return value_; }
  void SetValue(const QString& value) { value_ = value; }
  [[nodiscard]] bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  // What an item list editor shows for the item.
  [[nodiscard]] const QString& DisplayName() const { return key_; }

  // Copies key, caption and visibility; the value is cleared until the next
  // read.
  void Assign(const TkitVersionInfoItem& source);

private:
  friend class TkitVersionInfoCollection;
  explicit TkitVersionInfoItem(TkitVersionInfoCollection& collection) : collection_(&collection) {}

  TkitVersionInfoCollection* collection_;
  QString key_;
  QString caption_;
  QString value_;
  bool visible_ = true;
};

class TkitCustomVersionLabel;

// The ordered fields of a version label, owned by the label. Every change
// (adding, removing, an item's key, caption or visibility) makes the label
// read its values and rebuild its text, unless inside BeginUpdate/EndUpdate.
class TkitVersionInfoCollection final {
public:
  explicit TkitVersionInfoCollection(TkitCustomVersionLabel& owner) : owner_(owner) {}
  TkitVersionInfoCollection(const TkitVersionInfoCollection&) = delete;
  TkitVersionInfoCollection& operator=(const TkitVersionInfoCollection&) = delete;

  [[nodiscard]] int Count() const { return static_cast<int>(items_.size()); }
  [[nodiscard]] TkitVersionInfoItem& Items(int index) { return *items_.at(Index(index)); }
  [[nodiscard]] const TkitVersionInfoItem& Items(int index) const {
    return *items_.at(Index(index));
  }

  TkitVersionInfoItem& Add();
  TkitVersionInfoItem& Add(const QString& key, const QString& caption);
  void Delete(int index);
  void Clear();
  // Replaces the items with copies of the source's items.
  void Assign(const TkitVersionInfoCollection& source);

  void BeginUpdate() { ++updateCount_; }
  void EndUpdate();

private:
  friend class TkitVersionInfoItem;
  static std::size_t Index(int index) { return static_cast<std::size_t>(index); }
  void Changed();

  TkitCustomVersionLabel& owner_;
  std::vector<std::unique_ptr<TkitVersionInfoItem>> items_;
  int updateCount_ = 0;
};

class TkitCustomVersionLabel : public QLabel {
  Q_OBJECT
  Q_PROPERTY(bool DoubleSpaced READ DoubleSpaced WRITE SetDoubleSpaced)
  Q_PROPERTY(quint8 TabStop READ TabStop WRITE SetTabStop)

public:
  explicit TkitCustomVersionLabel(QWidget* parent = nullptr);

  // An empty line after each field. Default true.
  [[nodiscard]] bool DoubleSpaced() const { return doubleSpaced_; }
  void SetDoubleSpaced(bool value);
  // Tab size in average character widths; 0 puts no tab between caption and
  // value and shows "&" as it is. Default 10.
  [[nodiscard]] std::uint8_t TabStop() const { return tabStop_; }
  void SetTabStop(std::uint8_t value);

  [[nodiscard]] TkitVersionInfoCollection& VersionInfo() { return versionInfo_; }
  [[nodiscard]] const TkitVersionInfoCollection& VersionInfo() const { return versionInfo_; }
  void SetVersionInfo(const TkitVersionInfoCollection& source) { versionInfo_.Assign(source); }

  // The label's text: each visible item as caption, tab and value, every line
  // ended by CR LF.
  [[nodiscard]] const QString& Caption() const { return caption_; }

  // Reads every item's value from the running program's version information;
  // clears them all when it has none.
  void ReadVersionValues();
  // Rebuilds the text from the items.
  void UpdateCaption();

signals:
  // The values have been read; the text is rebuilt right after.
  void OnUpdateVersionInfo();

protected:
  void paintEvent(QPaintEvent* event) override;

private:
  friend class TkitVersionInfoCollection;
  void VersionInfoChanged();

  TkitVersionInfoCollection versionInfo_;
  QString caption_;
  bool doubleSpaced_ = true;
  std::uint8_t tabStop_ = 10;
};

class TkitVersionLabel final : public TkitCustomVersionLabel {
  Q_OBJECT

public:
  using TkitCustomVersionLabel::TkitCustomVersionLabel;
};

} // namespace fegolin
