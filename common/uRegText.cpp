#include "common/uRegText.h"

#include "common/uRegTextCodec.h"
#include "common/uRegTextParse.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace fegolin {
namespace {

using platform::RegKey;
using platform::RegStatus;
using platform::RegValue;
using regtext::Change;
using regtext::ChangeKind;

constexpr std::string_view kEol = "\r\n";
constexpr std::size_t kMaxLineWidth = 80;

// Thrown while exporting when the registry cannot be read.
struct Unreadable {
  std::string message;
};

std::string Escaped(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 2);
  for (const char c : text) {
    if (c == '\\' || c == '"') {
      out += '\\';
    }
    out += c;
  }
  return out;
}

// REG_SZ bytes that read back the same from "text": UTF-8 ending in one NUL,
// with no line break or NUL before it.
bool IsPlainText(const std::vector<std::uint8_t>& data) {
  if (data.empty() || data.back() != 0) {
    return false;
  }
  const std::string_view text(reinterpret_cast<const char*>(data.data()), data.size() - 1);
  return text.find_first_of(std::string_view("\0\r\n", 3)) == std::string_view::npos &&
         regtext::IsUtf8(text);
}

std::string Hex2(unsigned byte) {
  std::array<char, 3> text{};
  std::snprintf(text.data(), text.size(), "%02x", byte & 0xFFU);
  return text.data();
}

// `prefix` (the name and "=hex..:") and the bytes, wrapped like the registry
// editor wraps them.
void AppendHex(std::string& out, std::string line, const std::vector<std::uint8_t>& bytes) {
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    std::string token = Hex2(bytes[i]);
    if (i + 1 < bytes.size()) {
      token += ',';
    }
    // Room for the token and the '\' that continues the line.
    if (line.size() + token.size() + 1 > kMaxLineWidth) {
      out += line;
      out += '\\';
      out += kEol;
      line = "  ";
    }
    line += token;
  }
  out += line;
  out += kEol;
}

void AppendValue(std::string& out, const std::string& name, const RegValue& value) {
  const std::string prefix = (name.empty() ? std::string("@") : '"' + Escaped(name) + '"') + '=';
  if (value.type == platform::kRegSz && IsPlainText(value.data)) {
    const std::string_view text(reinterpret_cast<const char*>(value.data.data()),
                                value.data.size() - 1);
    out += prefix + '"' + Escaped(text) + '"';
    out += kEol;
  } else if (value.type == platform::kRegDword && value.data.size() == 4) {
    std::array<char, 16> text{};
    const unsigned number = value.data[0] | (value.data[1] << 8U) | (value.data[2] << 16U) |
                            (static_cast<unsigned>(value.data[3]) << 24U);
    std::snprintf(text.data(), text.size(), "dword:%08x", number);
    out += prefix + text.data();
    out += kEol;
  } else if (value.type == platform::kRegBinary) {
    AppendHex(out, prefix + "hex:", value.data);
  } else {
    std::array<char, 24> type{};
    std::snprintf(type.data(), type.size(), "hex(%x):", value.type);
    const bool stringType = value.type == platform::kRegSz ||
                            value.type == platform::kRegExpandSz ||
                            value.type == platform::kRegMultiSz;
    AppendHex(out, prefix + type.data(),
              stringType ? regtext::HiveStringToUtf16(value.data) : value.data);
  }
}

void ExportKey(RegKey& key, const std::string& path, bool isRoot, std::string& out) {
  std::vector<std::pair<std::string, RegValue>> values;
  for (;;) {
    std::pair<std::string, RegValue> entry;
    const RegStatus status =
        key.EnumValue(static_cast<std::uint32_t>(values.size()), entry.first, entry.second);
    if (status == RegStatus::NotFound) {
      break;
    }
    if (status == RegStatus::Failed) {
      throw Unreadable{"cannot read the values of " + path};
    }
    values.push_back(std::move(entry));
  }
  if (!isRoot || !values.empty()) {
    out += '[' + path + ']';
    out += kEol;
    for (const auto& [name, value] : values) {
      AppendValue(out, name, value);
    }
    out += kEol;
  }
  std::vector<std::string> subkeys;
  for (;;) {
    std::string name;
    const RegStatus status = key.EnumKey(static_cast<std::uint32_t>(subkeys.size()), name);
    if (status == RegStatus::NotFound) {
      break;
    }
    if (status == RegStatus::Failed) {
      throw Unreadable{"cannot read the subkeys of " + path};
    }
    subkeys.push_back(std::move(name));
  }
  for (const auto& name : subkeys) {
    const auto child = key.OpenKey(name, platform::RegOpenMode::Open);
    if (!child) {
      throw Unreadable{"cannot open " + path + '\\' + name};
    }
    ExportKey(*child, path + '\\' + name, false, out);
  }
}

// One change; the error message when the registry refuses it.
std::optional<std::string> Apply(platform::Registry& registry, const Change& change) {
  if (change.kind == ChangeKind::DeleteKey) {
    const auto root = registry.OpenRoot(change.root);
    if (!root || platform::DeleteKeyTree(*root, change.key) == RegStatus::Failed) {
      return "cannot delete the key";
    }
    return std::nullopt;
  }
  const auto key =
      platform::OpenKey(registry, change.root, change.key, platform::RegOpenMode::Create);
  if (!key) {
    return "cannot create the key";
  }
  if (change.kind == ChangeKind::SetValue &&
      key->SetValue(change.name, change.value.type, change.value.data) != RegStatus::Ok) {
    return "cannot set the value \"" + PrintableText(change.name) + "\"";
  }
  if (change.kind == ChangeKind::DeleteValue &&
      key->DeleteValue(change.name) == RegStatus::Failed) {
    return "cannot delete the value \"" + PrintableText(change.name) + "\"";
  }
  return std::nullopt;
}

} // namespace

std::string PrintableText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  const auto escape = [&out](const char* format, unsigned value) {
    std::array<char, 8> code{};
    std::snprintf(code.data(), code.size(), format, value);
    out += code.data();
  };
  for (std::size_t i = 0; i < text.size();) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte < 0x20 || byte == 0x7f) {
      escape("\\x%02x", byte);
      ++i;
      continue;
    }
    if (byte < 0x80) {
      out += text[i++];
      continue;
    }
    const std::size_t length = byte >= 0xf0 ? 4 : byte >= 0xe0 ? 3 : 2;
    const std::string_view character = text.substr(i, length);
    if (byte < 0xc2 || byte > 0xf4 || character.size() != length || !regtext::IsUtf8(character)) {
      escape("\\x%02x", byte);
      ++i;
      continue;
    }
    // U+0080..U+009F: C2 80..C2 9F, read by some terminals as controls.
    const auto second = static_cast<unsigned char>(character[1]);
    if (byte == 0xc2 && second < 0xa0) {
      escape("\\u%04x", second);
    } else {
      out += character;
    }
    i += length;
  }
  return out;
}

std::optional<std::string> ExportRegText(platform::Registry& registry, RegTextError& error) {
  std::string out(kRegTextHeader);
  out += kEol;
  out += kEol;
  try {
    // One state from the first read to the last: an import running beside
    // us must not take away a key we have listed but not yet read.
    const auto snapshot = registry.BeginSnapshot();
    for (const auto& root : regtext::kRootNames) {
      const auto key = registry.OpenRoot(root.root);
      if (!key) {
        const std::string problem = registry.Problem();
        throw Unreadable{problem.empty() ? "cannot open " + std::string(root.name) : problem};
      }
      ExportKey(*key, std::string(root.name), true, out);
    }
    if (!snapshot->Commit()) {
      throw Unreadable{"the registry could not be read in one piece"};
    }
  } catch (const Unreadable& unreadable) {
    error = {0, unreadable.message};
    return std::nullopt;
  }
  return out;
}

std::optional<RegTextError> ImportRegText(platform::Registry& registry, std::string_view bytes) {
  RegTextError error;
  const auto text = regtext::DecodeFile(bytes, error);
  if (!text) {
    return error;
  }
  const auto changes = regtext::ParseRegText(*text, error);
  if (!changes) {
    return error;
  }
  if (const std::string problem = registry.Problem(); !problem.empty()) {
    return RegTextError{0, problem};
  }
  const auto transaction = registry.BeginTransaction();
  for (const auto& change : *changes) {
    if (auto refused = Apply(registry, change)) {
      return RegTextError{change.line, std::move(*refused)};
    }
  }
  if (!transaction->Commit()) {
    return RegTextError{0, "the registry could not store the changes"};
  }
  return std::nullopt;
}

} // namespace fegolin
