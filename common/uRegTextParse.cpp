#include "common/uRegTextParse.h"

#include "common/uRegTextCodec.h"

#include <utility>

namespace fegolin::regtext {
namespace {

// Thrown inside the parser only; ParseRegText turns it into the error.
struct Malformed {
  std::string message;
};

std::string_view TrimRight(std::string_view text) {
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
    text.remove_suffix(1);
  }
  return text;
}

std::string_view TrimLeft(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
    text.remove_prefix(1);
  }
  return text;
}

char LowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) {
    return false;
  }
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (LowerAscii(text[i]) != LowerAscii(prefix[i])) {
      return false;
    }
  }
  return true;
}

std::optional<unsigned> HexDigit(char c) {
  if (c >= '0' && c <= '9') {
    return static_cast<unsigned>(c - '0');
  }
  c = LowerAscii(c);
  if (c >= 'a' && c <= 'f') {
    return static_cast<unsigned>(c - 'a' + 10);
  }
  return std::nullopt;
}

// 1 to `maxDigits` hex digits as a number, or nothing.
std::optional<std::uint32_t> HexNumber(std::string_view digits, std::size_t maxDigits) {
  if (digits.empty() || digits.size() > maxDigits) {
    return std::nullopt;
  }
  std::uint32_t value = 0;
  for (const char c : digits) {
    const auto digit = HexDigit(c);
    if (!digit) {
      return std::nullopt;
    }
    value = (value << 4) | *digit;
  }
  return value;
}

bool IsStringType(platform::RegType type) {
  return type == platform::kRegSz || type == platform::kRegExpandSz ||
         type == platform::kRegMultiSz;
}

class Parser {
public:
  explicit Parser(std::string_view text) {
    std::size_t start = 0;
    while (start <= text.size()) {
      const std::size_t end = text.find('\n', start);
      lines_.push_back(TrimRight(text.substr(
          start, end == std::string_view::npos ? std::string_view::npos : end - start)));
      if (end == std::string_view::npos) {
        break;
      }
      start = end + 1;
    }
  }

  std::vector<Change> Run() {
    ReadHeader();
    for (++index_; index_ < lines_.size(); ++index_) {
      const std::string_view line = lines_[index_];
      if (line.empty() || line.front() == ';') {
        continue;
      }
      if (line.front() == '[') {
        KeyLine(line);
      } else if (line.front() == '"' || line.front() == '@') {
        ValueLine(line);
      } else {
        throw Malformed{"expected a [key] line or a \"name\"=value line"};
      }
    }
    return std::move(changes_);
  }

  // The 1-based number of the line being read.
  [[nodiscard]] std::size_t LineNumber() const { return index_ + 1; }

private:
  void ReadHeader() {
    while (index_ < lines_.size() && lines_[index_].empty()) {
      ++index_;
    }
    if (index_ == lines_.size()) {
      index_ = 0;
      throw Malformed{"the file is empty"};
    }
    if (lines_[index_] != kRegTextHeader) {
      throw Malformed{"the first line must be \"" + std::string(kRegTextHeader) + "\""};
    }
  }

  void KeyLine(std::string_view line) {
    if (line.back() != ']') {
      throw Malformed{"a key line must end with ']'"};
    }
    std::string_view inner = line.substr(1, line.size() - 2);
    const bool remove = !inner.empty() && inner.front() == '-';
    if (remove) {
      inner.remove_prefix(1);
    }
    const std::size_t split = inner.find('\\');
    const std::string_view rootName = inner.substr(0, split);
    const std::string_view path =
        split == std::string_view::npos ? std::string_view() : inner.substr(split + 1);
    const RootName* root = nullptr;
    for (const auto& candidate : kRootNames) {
      if (rootName.size() == candidate.name.size() &&
          StartsWithIgnoringCase(rootName, candidate.name)) {
        root = &candidate;
      }
    }
    if (root == nullptr) {
      throw Malformed{"unknown root key \"" + PrintableText(rootName) + "\""};
    }
    if (split != std::string_view::npos &&
        (path.empty() || path.front() == '\\' || path.back() == '\\' ||
         path.find("\\\\") != std::string_view::npos)) {
      throw Malformed{"a key path must not contain an empty key name"};
    }
    if (remove && path.empty()) {
      throw Malformed{"a root key cannot be deleted"};
    }
    inKey_ = true;
    keyRemoved_ = remove;
    root_ = root->root;
    key_ = std::string(path);
    changes_.push_back({remove ? ChangeKind::DeleteKey : ChangeKind::CreateKey,
                        root_,
                        key_,
                        {},
                        {},
                        LineNumber()});
  }

  void ValueLine(std::string_view line) {
    if (!inKey_) {
      throw Malformed{"a value must follow a [key] line"};
    }
    if (keyRemoved_) {
      throw Malformed{"a deleted [-key] cannot take values"};
    }
    std::size_t pos = 0;
    std::string name;
    if (line.front() == '@') {
      pos = 1;
    } else {
      name = Quoted(line, pos);
    }
    std::string_view data = TrimLeft(line.substr(pos));
    if (data.empty() || data.front() != '=') {
      throw Malformed{"expected '=' after the value name"};
    }
    data = TrimLeft(data.substr(1));

    Change change{ChangeKind::SetValue, root_, key_, std::move(name), {}, LineNumber()};
    if (data == "-") {
      change.kind = ChangeKind::DeleteValue;
    } else if (!data.empty() && data.front() == '"') {
      std::size_t end = 0;
      const std::string text = Quoted(data, end);
      if (end != data.size()) {
        throw Malformed{"unexpected characters after the closing quote"};
      }
      change.value.type = platform::kRegSz;
      change.value.data.assign(text.begin(), text.end());
      change.value.data.push_back(0);
    } else if (StartsWithIgnoringCase(data, "dword:")) {
      const auto number = HexNumber(data.substr(6), 8);
      if (!number) {
        throw Malformed{"dword: needs 1 to 8 hex digits"};
      }
      change.value.type = platform::kRegDword;
      for (int i = 0; i < 4; ++i) {
        change.value.data.push_back(static_cast<std::uint8_t>(*number >> (8 * i)));
      }
    } else if (StartsWithIgnoringCase(data, "hex")) {
      change.value = HexValue(data.substr(3));
    } else {
      throw Malformed{"unknown kind of value data (expected \"text\", dword:, hex: or hex(n):)"};
    }
    changes_.push_back(std::move(change));
  }

  // The quoted text starting at `pos`, with \\ and \" unescaped; `pos` ends
  // behind the closing quote.
  static std::string Quoted(std::string_view line, std::size_t& pos) {
    std::string text;
    for (std::size_t i = pos + 1; i < line.size(); ++i) {
      const char c = line[i];
      if (c == '"') {
        pos = i + 1;
        return text;
      }
      if (c == '\\') {
        if (i + 1 == line.size() || (line[i + 1] != '\\' && line[i + 1] != '"')) {
          throw Malformed{"only \\\\ and \\\" may follow a backslash in quoted text"};
        }
        ++i;
      }
      text += line[i];
    }
    throw Malformed{"the closing quote is missing"};
  }

  // hex:.. or hex(n):.. after the word "hex", continuation lines included.
  platform::RegValue HexValue(std::string_view data) {
    platform::RegValue value;
    value.type = platform::kRegBinary;
    if (!data.empty() && data.front() == '(') {
      const std::size_t close = data.find(')');
      const auto type =
          close == std::string_view::npos ? std::nullopt : HexNumber(data.substr(1, close - 1), 8);
      if (!type) {
        throw Malformed{"hex(n): needs a type number of 1 to 8 hex digits"};
      }
      value.type = *type;
      data.remove_prefix(close + 1);
    }
    if (data.empty() || data.front() != ':') {
      throw Malformed{"expected ':' after hex or hex(n)"};
    }
    data.remove_prefix(1);
    std::vector<std::uint8_t> bytes;
    const std::size_t firstLine = index_;
    for (;;) {
      const bool continued = !data.empty() && data.back() == '\\';
      if (continued) {
        data.remove_suffix(1);
      }
      HexBytes(data, bytes);
      if (!continued) {
        break;
      }
      if (index_ + 1 == lines_.size()) {
        throw Malformed{"the file ends inside continued hex data"};
      }
      data = TrimLeft(lines_[++index_]);
    }
    if (IsStringType(value.type)) {
      auto text = Utf16ToHiveString(bytes);
      if (!text) {
        index_ = firstLine;
        throw Malformed{"hex(" + std::to_string(value.type) + ") string data is not UTF-16LE text"};
      }
      value.data = std::move(*text);
    } else {
      value.data = std::move(bytes);
    }
    return value;
  }

  // Comma-separated bytes of one line; a comma may end the line.
  static void HexBytes(std::string_view data, std::vector<std::uint8_t>& bytes) {
    data = TrimLeft(TrimRight(data));
    while (!data.empty()) {
      const std::size_t comma = data.find(',');
      const std::string_view token = TrimLeft(TrimRight(data.substr(0, comma)));
      const auto byte = HexNumber(token, 2);
      if (!byte) {
        throw Malformed{"\"" + PrintableText(token) + "\" is not a hex byte"};
      }
      bytes.push_back(static_cast<std::uint8_t>(*byte));
      if (comma == std::string_view::npos) {
        break;
      }
      data = TrimLeft(data.substr(comma + 1));
    }
  }

  std::vector<std::string_view> lines_;
  std::size_t index_ = 0;
  std::vector<Change> changes_;
  bool inKey_ = false;
  bool keyRemoved_ = false;
  platform::RegRoot root_ = 0;
  std::string key_;
};

} // namespace

std::optional<std::vector<Change>> ParseRegText(std::string_view text, RegTextError& error) {
  Parser parser(text);
  try {
    return parser.Run();
  } catch (const Malformed& malformed) {
    error = {parser.LineNumber(), malformed.message};
    return std::nullopt;
  }
}

} // namespace fegolin::regtext
