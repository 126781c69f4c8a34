// Where the editor's snapshots come from: the plugin instance it belongs
// to. The VST3 and CLAP editor reaches the plugin through the framework's
// direct access; the LV2 editor through the host's instance access, which
// a host may not give.
#pragma once

#include "effect/spectrum_snapshot.h"

namespace vorel {

class EditorFeed {
 public:
  // On the editor's thread: an editor opens or closes; the left channel's
  // latest snapshot if one came since the last call, with the output peak
  // of every channel.
  virtual void Listen(bool open) = 0;
  virtual bool Take(SpectrumSnapshot& copy) = 0;

 protected:
  ~EditorFeed() = default;
};

// The feed behind the instance pointer the framework hands the editor;
// null if there is none. Each binary with the editor defines it for the
// pointer its glue passes.
EditorFeed* FeedOf(void* instance);

// The channel whose spectrum the editor shows, as its legend names it, or
// null where the plugin has one channel. Each binary with the editor
// defines it.
const char* ShownChannel();

}  // namespace vorel
