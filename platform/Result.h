#pragma once

// Failures that keep their reason on the way up. The platform layer knows
// why the system refused something (its error number) and the layers above
// it report it; a bare bool or an empty pointer would lose that on the way.

#include <cerrno>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>

namespace fegolin::platform {

// Why something did not happen: the system's error number where the system
// refused (0 where the program itself found the request unusable) and the
// whole reason in words, for the log and the status bar.
struct SysError {
  int code = 0;
  std::string text;

  // "`what`: <the system's words for `code`>".
  [[nodiscard]] static SysError FromErrno(std::string_view what, int code) {
    return {code, std::string(what) + ": " + std::strerror(code)};
  }
  // What errno holds now, taken at once, before another call changes it.
  [[nodiscard]] static SysError FromErrno(std::string_view what) { return FromErrno(what, errno); }
  // A reason of the program's own, without an error number.
  [[nodiscard]] static SysError Because(std::string text) { return {0, std::move(text)}; }
};

// Done, or not and why.
class [[nodiscard]] Status {
public:
  Status() = default;
  // Not done, because of `error`.
  Status(SysError error) : error_(std::move(error)) {} // NOLINT(google-explicit-constructor)

  [[nodiscard]] bool ok() const { return !error_.has_value(); }
  explicit operator bool() const { return ok(); }
  // Only when !ok().
  [[nodiscard]] const SysError& error() const { return *error_; }

private:
  std::optional<SysError> error_;
};

// A value, or the reason there is none.
template <class T> class [[nodiscard]] Result {
public:
  Result(T value) : state_(std::in_place_index<0>, std::move(value)) {}        // NOLINT
  Result(SysError error) : state_(std::in_place_index<1>, std::move(error)) {} // NOLINT

  [[nodiscard]] bool ok() const { return state_.index() == 0; }
  explicit operator bool() const { return ok(); }
  // Only when ok().
  [[nodiscard]] T& value() & { return std::get<0>(state_); }
  [[nodiscard]] const T& value() const& { return std::get<0>(state_); }
  [[nodiscard]] T&& value() && { return std::get<0>(std::move(state_)); }
  // Only when !ok().
  [[nodiscard]] const SysError& error() const { return std::get<1>(state_); }

private:
  std::variant<T, SysError> state_;
};

} // namespace fegolin::platform
