#include "vst3_clap/saved_state.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <iterator>
#include <string_view>

#include "effect/presets.h"

namespace vorel {

namespace {

constexpr std::string_view kProgramKey = "__dpf_program__";
constexpr std::string_view kBeginKey = "__dpf_parameters_begin__";
constexpr std::string_view kEndKey = "__dpf_parameters_end__";
constexpr char kTerminator = '\xfe';
constexpr float kLastProgram = static_cast<float>(std::size(kPresets) - 1);
// Plain numbers longer than this are refused. With this many characters
// and an exponent of two digits at most, every number taken lies well
// within a double's range.
constexpr std::size_t kMaxNumberLength = 64;

// The strings of a state, one after another.
class Strings {
 public:
  Strings(const char* text, std::size_t size) : At(text), End(text + size) {}

  // The next NUL-terminated string; false when none is left.
  bool Next(std::string_view& next) {
    const auto* nul = static_cast<const char*>(std::memchr(At, '\0', End - At));
    if (nul == nullptr) return false;
    next = std::string_view(At, nul - At);
    At = nul + 1;
    return true;
  }

  // Whether all that is left is the terminator, with or without a NUL.
  bool AtTerminator() const {
    const std::ptrdiff_t left = End - At;
    return (left == 1 || (left == 2 && At[1] == '\0')) && At[0] == kTerminator;
  }

 private:
  const char* At;
  const char* End;
};

// An optional minus, digits, optionally a point and more digits, and
// optionally an exponent of one or two digits: what DPF and this file
// write. Not a NaN, an infinity, a comma or a space.
bool IsPlainNumber(std::string_view text) {
  std::size_t i = 0;
  const auto digits = [&] {
    const std::size_t first = i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
    return i - first;
  };
  if (text.size() > kMaxNumberLength) return false;
  if (i < text.size() && text[i] == '-') ++i;
  if (digits() == 0) return false;
  if (i < text.size() && text[i] == '.') {
    ++i;
    digits();
  }
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
    const std::size_t exponent = digits();
    if (exponent == 0 || exponent > 2) return false;
  }
  return i == text.size();
}

// A plain number's value rounded to the nearest float, locale-free; one too
// large or too small for a float gives an infinity or a zero of its sign.
float NumberValue(std::string_view text) {
  const char* end = text.data() + text.size();
  float value = 0.0f;
  if (std::from_chars(text.data(), end, value).ec == std::errc::result_out_of_range) {
    double wide = 0.0;
    std::from_chars(text.data(), end, wide);
    const bool negative = std::signbit(wide);
    if (std::fabs(wide) >= 1.0) return negative ? -HUGE_VALF : HUGE_VALF;
    return negative ? -0.0f : 0.0f;
  }
  return value;
}

// The parameter a saved state's symbol names, or StereoParameterCount.
uint32_t ParameterNamed(std::string_view symbol) {
  uint32_t parameter = 0;
  while (parameter < StereoParameterCount && symbol != SymbolOf(parameter)) ++parameter;
  return parameter;
}

// Appends NUL-terminated strings to a buffer, as long as they fit.
class Writer {
 public:
  Writer(char* text, std::size_t capacity) : Start(text), At(text), End(text + capacity) {}

  void Put(std::string_view string) {
    if (At == nullptr || static_cast<std::size_t>(End - At) <= string.size()) {
      At = nullptr;
      return;
    }
    At = std::copy(string.begin(), string.end(), At);
    *At++ = '\0';
  }

  // A finite float as digits and a decimal exponent, from the shortest
  // decimal that gives the same double: C's strtod and strtof read that
  // back exactly, and with no decimal point no locale changes it. Whole
  // numbers are plain digits, so that integer conversions read them too.
  void PutNumber(float value) {
    char scientific[32];
    const auto written = std::to_chars(scientific, std::end(scientific), static_cast<double>(value),
                                       std::chars_format::scientific);
    const char* e = std::find(scientific, written.ptr, 'e');
    char number[64];
    char* at = number;
    int exponent = 0;
    for (const char* c = scientific; c != e; ++c) {
      if (*c == '.') exponent = -static_cast<int>(e - c - 1);
      if (*c != '.') *at++ = *c;
    }
    int power = 0;
    std::from_chars(e + (e[1] == '+' ? 2 : 1), written.ptr, power);
    exponent += power;
    if (exponent >= 0) {
      at = std::fill_n(at, exponent, '0');
    } else {
      *at++ = 'e';
      at = std::to_chars(at, std::end(number), exponent).ptr;
    }
    Put(std::string_view(number, at - number));
  }

  // The size written, or 0 if something did not fit.
  std::size_t Size() const { return At == nullptr ? 0 : At - Start; }

 private:
  char* Start;
  char* At;
  char* End;
};

}  // namespace

bool ReadSavedState(const char* text, std::size_t size, SavedState& state) {
  Strings strings(text, size);
  std::string_view key, value;
  SavedState read{};
  if (!strings.Next(key) || key != kProgramKey || !strings.Next(value) || !IsPlainNumber(value))
    return false;
  read.Program =
      static_cast<uint32_t>(std::clamp(std::round(NumberValue(value)), 0.0f, kLastProgram));
  if (!strings.Next(key) || key != kBeginKey) return false;
  bool seen[StereoParameterCount] = {};
  bool ended = false;
  while (!ended && strings.Next(key)) {
    ended = key == kEndKey;
    if (ended) continue;
    if (!strings.Next(value)) return false;
    const uint32_t parameter = ParameterNamed(key);
    if (parameter == StereoParameterCount) continue;
    if (seen[parameter] || !IsPlainNumber(value)) return false;
    const float number = NumberValue(value);
    read.Values[parameter] = TakeValue(parameter, number, number);
    seen[parameter] = true;
  }
  if (!ended || !strings.AtTerminator() || std::count(seen, std::end(seen), false) != 0)
    return false;
  state = read;
  return true;
}

std::size_t WriteSavedState(const SavedState& state, char* text, std::size_t capacity) {
  Writer writer(text, capacity);
  writer.Put(kProgramKey);
  writer.PutNumber(static_cast<float>(state.Program));
  writer.Put(kBeginKey);
  for (uint32_t parameter = 0; parameter < StereoParameterCount; ++parameter) {
    writer.Put(SymbolOf(parameter));
    writer.PutNumber(state.Values[parameter]);
  }
  writer.Put(kEndKey);
  writer.Put(std::string_view(&kTerminator, 1));
  return writer.Size();
}

}  // namespace vorel
