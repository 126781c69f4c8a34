// Chooses the libsndfile format of an output file: the container from the
// file's extension, the sample encoding from --format.
#pragma once

#include <string>
#include <vector>

namespace render {

// The names --format accepts, "auto" first.
std::vector<std::string> EncodingNames();

// The libsndfile format code for writing path with the named encoding at the
// given channel count and rate. "auto" picks 32-bit float where the
// container holds it, else the first of 24-bit PCM, 16-bit PCM, Vorbis, Opus
// and MPEG layer III that it does. Throws on an unknown extension or an
// encoding the container cannot hold.
int OutputFormat(const std::string& path, const std::string& encoding, int channels, int rate);

// True for encodings whose samples are integers, which clip at full scale.
bool IsIntegerEncoding(int format);

}  // namespace render
