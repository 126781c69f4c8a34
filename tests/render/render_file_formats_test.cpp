// How vorel-render picks the output file's format from its extension and
// --format.
#include <gtest/gtest.h>
#include <sndfile.h>

#include <stdexcept>

#include "vorel-render/file_formats.h"

using render::OutputFormat;

TEST(RenderFileFormats, AutoWritesFloatWhereTheContainerHoldsIt) {
  EXPECT_EQ(OutputFormat("a/b.wav", "auto", 2, 44100), SF_FORMAT_WAV | SF_FORMAT_FLOAT);
  EXPECT_EQ(OutputFormat("x.AIFF", "auto", 1, 44100), SF_FORMAT_AIFF | SF_FORMAT_FLOAT);
  EXPECT_EQ(OutputFormat("x.aif", "auto", 1, 44100), SF_FORMAT_AIFF | SF_FORMAT_FLOAT);
  EXPECT_EQ(OutputFormat("x.caf", "auto", 1, 44100), SF_FORMAT_CAF | SF_FORMAT_FLOAT);
}

TEST(RenderFileFormats, AutoFallsBackToTheContainersBestEncoding) {
  EXPECT_EQ(OutputFormat("x.flac", "auto", 2, 44100), SF_FORMAT_FLAC | SF_FORMAT_PCM_24);
  EXPECT_EQ(OutputFormat("x.ogg", "auto", 2, 44100), SF_FORMAT_OGG | SF_FORMAT_VORBIS);
  EXPECT_EQ(OutputFormat("x.opus", "auto", 2, 48000), SF_FORMAT_OGG | SF_FORMAT_OPUS);
}

TEST(RenderFileFormats, ANamedEncodingIsUsedOrRefused) {
  EXPECT_EQ(OutputFormat("x.wav", "pcm16", 1, 44100), SF_FORMAT_WAV | SF_FORMAT_PCM_16);
  EXPECT_EQ(OutputFormat("x.flac", "pcm16", 1, 44100), SF_FORMAT_FLAC | SF_FORMAT_PCM_16);
  // WAV holds 8-bit samples unsigned only.
  EXPECT_EQ(OutputFormat("x.wav", "pcm8", 1, 44100), SF_FORMAT_WAV | SF_FORMAT_PCM_U8);
  EXPECT_THROW(OutputFormat("x.flac", "float", 1, 44100), std::runtime_error);
  EXPECT_THROW(OutputFormat("x.wav", "vorbis", 1, 44100), std::runtime_error);
}

TEST(RenderFileFormats, TheExtensionMustNameAKnownContainer) {
  EXPECT_THROW(OutputFormat("x.xyz", "auto", 1, 44100), std::runtime_error);
  EXPECT_THROW(OutputFormat("noext", "auto", 1, 44100), std::runtime_error);
  EXPECT_THROW(OutputFormat("dir.wav/noext", "auto", 1, 44100), std::runtime_error);
}
