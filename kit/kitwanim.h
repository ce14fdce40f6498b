#pragma once

// TkitAnimateWin: how a window animates when it shows or hides. The flag
// arithmetic follows the system's window-animation call; on Qt the effects
// play as property animations: blend fades the window opacity, roll and
// slide grow (or shrink) the window from one edge, centre from its middle.

#include <cstdint>
#include <functional>

class QWidget;

namespace fegolin {

enum class TkitAnimEffect : std::uint8_t { aweNone, aweRoll, aweSlide, aweBlend, aweCenter };
enum class TkitAnimDirection : std::uint8_t { awdNone, awdPositive, awdNegative };
enum class TkitAnimMode : std::uint8_t { Show, Hide };

// The flag values of the window-animation call.
namespace aw {
inline constexpr std::uint32_t HOR_POSITIVE = 0x1;
inline constexpr std::uint32_t HOR_NEGATIVE = 0x2;
inline constexpr std::uint32_t VER_POSITIVE = 0x4;
inline constexpr std::uint32_t VER_NEGATIVE = 0x8;
inline constexpr std::uint32_t CENTER = 0x10;
inline constexpr std::uint32_t HIDE = 0x10000;
inline constexpr std::uint32_t SLIDE = 0x40000;
inline constexpr std::uint32_t BLEND = 0x80000;
} // namespace aw

class TkitAnimateWin final {
public:
  // `changed` runs after every change of a property (the owning splash
  // re-checks its shaping against the effects).
  explicit TkitAnimateWin(std::function<void()> changed = {}) : changed_(std::move(changed)) {}

  std::uint16_t Duration() const { return duration_; }
  void SetDuration(std::uint16_t value);
  // Roll and slide need a direction: with none set, Horz becomes positive.
  TkitAnimEffect Effect() const { return effect_; }
  void SetEffect(TkitAnimEffect value);
  // Clearing the last direction of a roll or slide turns the effect off.
  TkitAnimDirection Horz() const { return horz_; }
  void SetHorz(TkitAnimDirection value);
  TkitAnimDirection Vert() const { return vert_; }
  void SetVert(TkitAnimDirection value);

  std::uint32_t AnimateFlags(TkitAnimMode mode) const;

  // Starts the show animation on `window` (to be called just before it
  // becomes visible); true when an animation runs.
  bool PlayShow(QWidget* window) const;
  // Plays the hide animation to its end (the window stays on screen
  // meanwhile), then hides the window in every case. True when an
  // animation ran.
  bool PlayHide(QWidget* window) const;

private:
  void Changed() const;
  bool NeedsDirection() const;

  std::uint16_t duration_ = 200;
  TkitAnimEffect effect_ = TkitAnimEffect::aweNone;
  TkitAnimDirection horz_ = TkitAnimDirection::awdNone;
  TkitAnimDirection vert_ = TkitAnimDirection::awdNone;
  std::function<void()> changed_;
};

} // namespace fegolin
