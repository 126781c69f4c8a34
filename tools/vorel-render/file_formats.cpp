#include "vorel-render/file_formats.h"

#include <sndfile.h>

#include <algorithm>
#include <cctype>
#include <stdexcept>
#include <utility>

namespace render {

namespace {

// Encoding names and their libsndfile subtypes; pcm8 is tried signed, then
// unsigned (WAV only holds unsigned 8-bit samples).
const std::pair<const char*, std::vector<int>> kEncodings[] = {
    {"float", {SF_FORMAT_FLOAT}},
    {"double", {SF_FORMAT_DOUBLE}},
    {"pcm8", {SF_FORMAT_PCM_S8, SF_FORMAT_PCM_U8}},
    {"pcm16", {SF_FORMAT_PCM_16}},
    {"pcm24", {SF_FORMAT_PCM_24}},
    {"pcm32", {SF_FORMAT_PCM_32}},
    {"ulaw", {SF_FORMAT_ULAW}},
    {"alaw", {SF_FORMAT_ALAW}},
    {"vorbis", {SF_FORMAT_VORBIS}},
    {"opus", {SF_FORMAT_OPUS}},
    {"mp3", {SF_FORMAT_MPEG_LAYER_III}},
};

// The order "auto" tries.
const int kAutoOrder[] = {SF_FORMAT_FLOAT,  SF_FORMAT_PCM_24, SF_FORMAT_PCM_16,
                          SF_FORMAT_VORBIS, SF_FORMAT_OPUS,   SF_FORMAT_MPEG_LAYER_III};

// Extensions whose container libsndfile lists under another extension, or
// (Opus, MP3) whose extension implies the encoding as well.
const std::pair<const char*, int> kAliases[] = {
    {"wave", SF_FORMAT_WAV},
    {"aif", SF_FORMAT_AIFF},
    {"aifc", SF_FORMAT_AIFF},
    {"snd", SF_FORMAT_AU},
    {"ogg", SF_FORMAT_OGG},
    {"opus", SF_FORMAT_OGG | SF_FORMAT_OPUS},
    {"mp3", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III},
};

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

// The container (and for some extensions the encoding) that an extension
// names, asking libsndfile for its own list of major formats.
int ContainerOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  const auto dot = path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
    throw std::runtime_error(
        "output " + path +
        " has no extension to choose the file type by (.wav, .flac, .aiff, .ogg, ...)");
  }
  const std::string ext = Lower(path.substr(dot + 1));
  for (const auto& [name, format] : kAliases) {
    if (ext == name) return format;
  }
  int count = 0;
  sf_command(nullptr, SFC_GET_FORMAT_MAJOR_COUNT, &count, sizeof count);
  for (int i = 0; i < count; ++i) {
    SF_FORMAT_INFO info{};
    info.format = i;
    sf_command(nullptr, SFC_GET_FORMAT_MAJOR, &info, sizeof info);
    if (info.extension != nullptr && ext == info.extension) return info.format;
  }
  throw std::runtime_error("unknown output file type ." + ext + " in " + path +
                           " (use .wav, .flac, .aiff, .ogg, .au, .caf, .w64, ...)");
}

bool Holds(int format, int channels, int rate) {
  SF_INFO info{};
  info.format = format;
  info.channels = channels;
  info.samplerate = rate;
  return sf_format_check(&info) != 0;
}

}  // namespace

std::vector<std::string> EncodingNames() {
  std::vector<std::string> names{"auto"};
  for (const auto& [name, subtypes] : kEncodings) names.emplace_back(name);
  return names;
}

int OutputFormat(const std::string& path, const std::string& encoding, int channels, int rate) {
  const int named = ContainerOf(path);
  const int container = named & SF_FORMAT_TYPEMASK;
  const int implied = named & SF_FORMAT_SUBMASK;

  std::vector<int> candidates;
  if (encoding == "auto") {
    if (implied != 0) candidates.push_back(implied);
    candidates.insert(candidates.end(), std::begin(kAutoOrder), std::end(kAutoOrder));
  } else {
    for (const auto& [name, subtypes] : kEncodings) {
      if (encoding == name) candidates = subtypes;
    }
    if (candidates.empty()) throw std::runtime_error("unknown --format " + encoding);
  }
  for (int subtype : candidates) {
    if (Holds(container | subtype, channels, rate)) return container | subtype;
  }
  throw std::runtime_error(
      "cannot write " + (encoding == "auto" ? std::string("audio") : encoding) + " into " + path +
      " (" + std::to_string(channels) + (channels == 1 ? " channel, " : " channels, ") +
      std::to_string(rate) + " Hz); choose another --format or extension");
}

bool IsIntegerEncoding(int format) {
  switch (format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_FLOAT:
    case SF_FORMAT_DOUBLE:
    case SF_FORMAT_VORBIS:
    case SF_FORMAT_OPUS:
    case SF_FORMAT_MPEG_LAYER_III:
      return false;
    default:
      return true;
  }
}

}  // namespace render
