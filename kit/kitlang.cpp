#include "kit/kitlang.h"

#include <QLocale>

#include <algorithm>
#include <array>

namespace fegolin {
namespace {

constexpr std::uint16_t MakeLangId(std::uint16_t primary, std::uint16_t sub) {
  return static_cast<std::uint16_t>((sub << 10) | primary);
}

struct PrimaryLanguage {
  QLocale::Language language;
  std::uint16_t primary;
};

// The LANG_* values of the languages a system here is likely to run in.
constexpr std::array kPrimaryLanguages{
    PrimaryLanguage{QLocale::Arabic, 0x01},
    PrimaryLanguage{QLocale::Bulgarian, 0x02},
    PrimaryLanguage{QLocale::Catalan, 0x03},
    PrimaryLanguage{QLocale::Chinese, 0x04},
    PrimaryLanguage{QLocale::Czech, 0x05},
    PrimaryLanguage{QLocale::Danish, 0x06},
    PrimaryLanguage{QLocale::German, 0x07},
    PrimaryLanguage{QLocale::Greek, 0x08},
    PrimaryLanguage{QLocale::English, 0x09},
    PrimaryLanguage{QLocale::Spanish, 0x0A},
    PrimaryLanguage{QLocale::Finnish, 0x0B},
    PrimaryLanguage{QLocale::French, 0x0C},
    PrimaryLanguage{QLocale::Hebrew, 0x0D},
    PrimaryLanguage{QLocale::Hungarian, 0x0E},
    PrimaryLanguage{QLocale::Icelandic, 0x0F},
    PrimaryLanguage{QLocale::Italian, 0x10},
    PrimaryLanguage{QLocale::Japanese, 0x11},
    PrimaryLanguage{QLocale::Korean, 0x12},
    PrimaryLanguage{QLocale::Dutch, 0x13},
    PrimaryLanguage{QLocale::NorwegianBokmal, 0x14},
    PrimaryLanguage{QLocale::NorwegianNynorsk, 0x14},
    PrimaryLanguage{QLocale::Polish, 0x15},
    PrimaryLanguage{QLocale::Portuguese, 0x16},
    PrimaryLanguage{QLocale::Romanian, 0x18},
    PrimaryLanguage{QLocale::Russian, 0x19},
    PrimaryLanguage{QLocale::Croatian, 0x1A},
    PrimaryLanguage{QLocale::Slovak, 0x1B},
    PrimaryLanguage{QLocale::Albanian, 0x1C},
    PrimaryLanguage{QLocale::Swedish, 0x1D},
    PrimaryLanguage{QLocale::Thai, 0x1E},
    PrimaryLanguage{QLocale::Turkish, 0x1F},
    PrimaryLanguage{QLocale::Urdu, 0x20},
    PrimaryLanguage{QLocale::Indonesian, 0x21},
    PrimaryLanguage{QLocale::Ukrainian, 0x22},
    PrimaryLanguage{QLocale::Belarusian, 0x23},
    PrimaryLanguage{QLocale::Slovenian, 0x24},
    PrimaryLanguage{QLocale::Estonian, 0x25},
    PrimaryLanguage{QLocale::Latvian, 0x26},
    PrimaryLanguage{QLocale::Lithuanian, 0x27},
    PrimaryLanguage{QLocale::Vietnamese, 0x2A},
};

struct SubLanguage {
  QLocale::Language language;
  QLocale::Territory territory;
  std::uint16_t sub;
};

// SUBLANG_* values wherever a language has more than the default one; the
// caption lists of the kit carry the German, English, French, Italian,
// Dutch and Portuguese variants.
constexpr std::array kSubLanguages{
    SubLanguage{QLocale::German, QLocale::Switzerland, 0x02},
    SubLanguage{QLocale::German, QLocale::Austria, 0x03},
    SubLanguage{QLocale::German, QLocale::Luxembourg, 0x04},
    SubLanguage{QLocale::German, QLocale::Liechtenstein, 0x05},
    SubLanguage{QLocale::English, QLocale::UnitedKingdom, 0x02},
    SubLanguage{QLocale::English, QLocale::Australia, 0x03},
    SubLanguage{QLocale::English, QLocale::Canada, 0x04},
    SubLanguage{QLocale::English, QLocale::NewZealand, 0x05},
    SubLanguage{QLocale::English, QLocale::Ireland, 0x06},
    SubLanguage{QLocale::English, QLocale::SouthAfrica, 0x07},
    SubLanguage{QLocale::English, QLocale::Jamaica, 0x08},
    SubLanguage{QLocale::English, QLocale::Belize, 0x0A},
    SubLanguage{QLocale::English, QLocale::TrinidadAndTobago, 0x0B},
    SubLanguage{QLocale::French, QLocale::Belgium, 0x02},
    SubLanguage{QLocale::French, QLocale::Canada, 0x03},
    SubLanguage{QLocale::French, QLocale::Switzerland, 0x04},
    SubLanguage{QLocale::French, QLocale::Luxembourg, 0x05},
    SubLanguage{QLocale::French, QLocale::Monaco, 0x06},
    SubLanguage{QLocale::Italian, QLocale::Switzerland, 0x02},
    SubLanguage{QLocale::Dutch, QLocale::Belgium, 0x02},
    SubLanguage{QLocale::Portuguese, QLocale::Portugal, 0x02},
    SubLanguage{QLocale::Spanish, QLocale::Spain, 0x03},
    SubLanguage{QLocale::Spanish, QLocale::Mexico, 0x02},
    SubLanguage{QLocale::Swedish, QLocale::Finland, 0x02},
    SubLanguage{QLocale::Chinese, QLocale::Taiwan, 0x01},
    SubLanguage{QLocale::Chinese, QLocale::China, 0x02},
    SubLanguage{QLocale::Chinese, QLocale::HongKong, 0x03},
    SubLanguage{QLocale::Chinese, QLocale::Singapore, 0x04},
    SubLanguage{QLocale::NorwegianNynorsk, QLocale::Norway, 0x02},
};

} // namespace

std::uint16_t WindowsLanguageId(const QLocale& locale) {
  constexpr std::uint16_t kSubDefault = 0x01;
  const auto language = locale.language();
  if (language == QLocale::C) {
    return MakeLangId(0x09, kSubDefault);
  }
  const auto primary = std::find_if(kPrimaryLanguages.begin(), kPrimaryLanguages.end(),
                                    [&](const auto& p) { return p.language == language; });
  if (primary == kPrimaryLanguages.end()) {
    return MakeLangId(0x00, kSubDefault);
  }
  const auto territory = locale.territory();
  const auto sub = std::find_if(kSubLanguages.begin(), kSubLanguages.end(), [&](const auto& s) {
    return s.language == language && s.territory == territory;
  });
  return MakeLangId(primary->primary, sub == kSubLanguages.end() ? kSubDefault : sub->sub);
}

std::uint16_t SystemLanguageId() {
  return WindowsLanguageId(QLocale::system());
}

} // namespace fegolin
