// The saved-state table both stereo plugin formats are held to, each
// through its own small host. In the C, German and French locales: value
// sets with fractions round-trip bit for bit through streams that move 1
// byte, 7 bytes or everything a call, and a failing stream fails; a state
// saved by version 0.2.0 (tests/plugin/data) loads with its values; and of
// the hostile states each is either taken, every value in range, or refused
// with every value as it was. Nothing is printed.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "effect/port_table.h"
#include "support/signals.h"
#include "support/stderr_capture.h"

namespace vorel_host {

// The six controls, the mix, the bypass.
constexpr std::size_t kStateParameters = vorel::kControlPortCount + 2;
using StateValues = std::array<float, kStateParameters>;

// A plugin as the table drives it through its format's host.
class StatePlugin {
 public:
  virtual ~StatePlugin() = default;
  // Sends every value as parameter input, with a block.
  virtual void Set(const StateValues& values) = 0;
  // Every value as the host reads it back.
  virtual StateValues Values() = 0;
  // Through a stream that moves at most chunk bytes a call, or fails.
  virtual bool Save(std::string& bytes, std::size_t chunk, bool broken) = 0;
  // read: how far the plugin read the stream.
  virtual bool Load(const std::string& bytes, std::size_t chunk, bool broken,
                    std::size_t& read) = 0;
};

// Sets with fractions that no short decimal gives exactly, a subnormal too.
inline const StateValues kValueSets[] = {
    {14, 0.625f, 0, 0.3125f, 1, 1, 31.25f, 1},
    {1, 0.70710677f, 1, 1e-40f, 0, 0, 33.3f, 0},
    {43, 1.9999999f, 0, 0.3f, 1, 0, 99.98f, 1},
};

// What the states saved by version 0.2.0 hold.
inline const StateValues kOldStateValues = {14, 0.70710677f, 0, 0.3f, 1, 1, 33.3f, 1};

inline std::string ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

// state with the first from replaced by to.
inline std::string Replaced(std::string state, const std::string& from, const std::string& to) {
  return state.replace(state.find(from), from.size(), to);
}

inline std::string Pair(const std::string& key, const std::string& value) {
  return key + '\0' + value + '\0';
}

// state with the string after key, its value, replaced.
inline std::string WithValue(const std::string& state, const std::string& key,
                             const std::string& value) {
  const std::size_t start = state.find(key + '\0') + key.size() + 1;
  return state.substr(0, start) + value + state.substr(state.find('\0', start));
}

enum class Outcome { Refused, Taken, Either };

struct StateCase {
  std::string name;
  std::string bytes;
  Outcome outcome;
  StateValues values;  // what a taken state gives
};

inline StateValues With(StateValues values, std::size_t parameter, float value) {
  values[parameter] = value;
  return values;
}

// Built from a state saved by version 0.2.0. Numbers out of range are
// clamped, whole-number ones rounded; anything else that is not a plain
// decimal number, or a state cut short, too long or incomplete, is refused.
inline std::vector<StateCase> StateCases(const std::string& old) {
  using namespace std::string_literals;
  const StateValues& v = kOldStateValues;
  const std::string begin = "__dpf_parameters_begin__\0"s;
  std::string nines = old;
  for (char& c : nines) c = c >= '0' && c <= '9' ? '9' : c;
  std::vector<StateCase> cases = {
      {"as saved", old, Outcome::Taken, v},
      {"without its last NUL", old.substr(0, old.size() - 1), Outcome::Taken, v},
      {"empty", "", Outcome::Refused, {}},
      {"every digit a 9", nines, Outcome::Taken, {43, 2, 1, 1, 1, 1, 100, 1}},
      {"gain -5", WithValue(old, "gain", "-5"), Outcome::Taken, With(v, 1, 0)},
      {"gain 1e99", WithValue(old, "gain", "1e99"), Outcome::Taken, With(v, 1, 2)},
      {"gain 1e-99", WithValue(old, "gain", "1e-99"), Outcome::Taken, With(v, 1, 0)},
      {"mix -1e-30", WithValue(old, "mix", "-1e-30"), Outcome::Taken, With(v, 6, 0)},
      {"s&h 14.5", WithValue(old, "hold", "14.5"), Outcome::Taken, With(v, 0, 15)},
      {"s&h 0", WithValue(old, "hold", "0"), Outcome::Taken, With(v, 0, 1)},
      {"bypass 0.5", WithValue(old, "dpf_bypass", "0.5"), Outcome::Taken, With(v, 7, 1)},
      {"program 99", WithValue(old, "__dpf_program__", "99"), Outcome::Taken, v},
      {"a later version's parameter", Replaced(old, begin, begin + Pair("later", "1")),
       Outcome::Taken, v},
      {"no mix", Replaced(old, "\0mix\0"s, "\0mox\0"s), Outcome::Refused, {}},
      {"s&h twice", Replaced(old, begin, begin + Pair("hold", "5")), Outcome::Refused, {}},
      {"too long",
       Replaced(old, begin, begin + Pair("later", std::string(5000, '1'))),
       Outcome::Refused,
       {}},
      {"a megabyte without an end", std::string(1 << 20, '7'), Outcome::Refused, {}},
  };
  for (const char* text : {"nan", "inf", "-inf", "0,5", "", " 1", "0x1p-1", "1e", "1e999", ".5"})
    cases.push_back(
        {"gain '" + std::string(text) + "'", WithValue(old, "gain", text), Outcome::Refused, {}});
  for (std::size_t size = 1; size + 1 < old.size(); ++size)
    cases.push_back({"cut to " + std::to_string(size), old.substr(0, size), Outcome::Refused, {}});
  Rng rng(25);
  for (int i = 0; i < 32; ++i) {
    std::string bytes(1 + rng.Next() % 500, '\0');
    for (char& c : bytes) c = static_cast<char>(rng.Next());
    cases.push_back({"random bytes " + std::to_string(i), bytes, Outcome::Refused, {}});
  }
  for (std::size_t at = 0; at < old.size(); ++at) {
    std::string bytes = old;
    bytes[at] = static_cast<char>(bytes[at] ^ (1 + rng.Next() % 255));
    cases.push_back({"byte " + std::to_string(at) + " changed", bytes, Outcome::Either, {}});
  }
  return cases;
}

// Whether every value is in its range, whole-number ones whole.
inline bool InRange(const StateValues& values) {
  for (std::size_t p = 0; p < kStateParameters; ++p) {
    float min = 0.0f, max = 1.0f;  // the bypass
    bool whole = true;
    if (p + 1 < kStateParameters) {
      const vorel::PortEntry& port =
          p < vorel::kControlPortCount ? vorel::kPortTable[p] : vorel::kMixControl;
      min = port.Minimum;
      max = port.Maximum;
      whole = port.Integer || port.Toggled;
    }
    if (!(values[p] >= min && values[p] <= max) || (whole && std::round(values[p]) != values[p]))
      return false;
  }
  return true;
}

inline void ExpectSame(const StateValues& got, const StateValues& want, const std::string& what) {
  for (std::size_t p = 0; p < kStateParameters; ++p)
    EXPECT_EQ(std::memcmp(&got[p], &want[p], sizeof(float)), 0)
        << what << ": parameter " << p << " is " << got[p] << ", not " << want[p];
}

// The C locale and two that write a decimal comma, by the names the
// system knows them by.
#ifdef _WIN32
constexpr const char* kStateLocales[] = {"C", "German_Germany.1252", "French_France.1252"};
#else
constexpr const char* kStateLocales[] = {"C", "de_DE.UTF-8", "fr_FR.UTF-8"};
#endif

inline void CheckStateTable(const std::function<std::unique_ptr<StatePlugin>()>& make,
                            const std::string& oldState) {
  ASSERT_FALSE(oldState.empty());
  std::string missing;
  StderrCapture output;
  for (const char* locale : kStateLocales) {
    if (std::setlocale(LC_ALL, locale) == nullptr) {
      missing += std::string(" ") + locale;
      continue;
    }
    // A locale that sets but writes a point would test nothing.
    if (std::strcmp(locale, "C") != 0) {
      EXPECT_STREQ(std::localeconv()->decimal_point, ",") << locale;
    }
    std::size_t read = 0;
    for (std::size_t chunk : {std::size_t{1}, std::size_t{7}, SIZE_MAX}) {
      for (const StateValues& values : kValueSets) {
        const std::string what = std::string(locale) + ", chunks of " + std::to_string(chunk);
        std::unique_ptr<StatePlugin> saver = make(), loader = make();
        saver->Set(values);
        std::string bytes;
        EXPECT_TRUE(saver->Save(bytes, chunk, false)) << what;
        EXPECT_TRUE(loader->Load(bytes, chunk, false, read)) << what;
        ExpectSame(loader->Values(), values, what);
      }
    }
    std::unique_ptr<StatePlugin> plugin = make();
    plugin->Set(kValueSets[1]);
    std::string bytes;
    EXPECT_FALSE(plugin->Save(bytes, SIZE_MAX, true)) << "a failing stream";
    for (const StateCase& c : StateCases(oldState)) {
      const std::string what = std::string(locale) + ", " + c.name;
      plugin->Set(kValueSets[1]);
      const bool taken = plugin->Load(c.bytes, SIZE_MAX, false, read);
      const StateValues values = plugin->Values();
      EXPECT_LT(read, 1u << 16) << what;
      EXPECT_TRUE(InRange(values)) << what;
      EXPECT_TRUE(c.outcome == Outcome::Either || taken == (c.outcome == Outcome::Taken)) << what;
      if (!taken) ExpectSame(values, kValueSets[1], what);
      if (taken && c.outcome == Outcome::Taken) ExpectSame(values, c.values, what);
    }
    EXPECT_FALSE(plugin->Load(oldState, SIZE_MAX, true, read)) << "a failing stream";
    ExpectSame(plugin->Values(), kValueSets[1], "after a failing stream");
  }
  std::setlocale(LC_ALL, "C");
  EXPECT_EQ(output.Text(), "");
  if (!missing.empty()) GTEST_SKIP() << "locales this system cannot set:" << missing;
}

}  // namespace vorel_host
