// The VST3 host's parameter changes as DPF is given them in process. DPF
// returns from a block without audio before it reads them, so a change sent
// with such a block was lost (the VST3 SDK's validator sends them to flush
// parameters, Audacity while idle); an ID past its own parameters is an
// assertion that ends the list; it rounds a NaN for a whole-number
// parameter to an integer, which is undefined (INT_MIN on x86, 0 on ARM);
// and it turns a switch on only above one half. So DPF is shown:
// - first, the changes of the blocks without audio since the last block
//   with audio, each parameter's last value at the block's start;
// - then the block's own changes, for the plugin's parameters only, without
//   NaN points, and a switch's points at one end or the other as
//   TakeValue has it (on from one half). Of each parameter's points DPF
//   reads the first if it is at the block's start and the last after the
//   block, so those two are all it is shown.
// Nothing here allocates, takes a lock or makes a system call.
#pragma once

#include <travesty/audio_processor.h>

#include <atomic>

#include "vst3_clap/stereo_parameters.h"

namespace vorel {

class CheckedChanges {
 public:
  // The ID DPF gives the first of the plugin's parameters, after its own.
  static const v3_param_id kFirstId;

  CheckedChanges() = default;
  CheckedChanges(const CheckedChanges&) = delete;
  CheckedChanges& operator=(const CheckedChanges&) = delete;

  // Keeps the changes that come with a block without audio.
  void Keep(v3_param_changes** host);

  // The changes for DPF with a block with audio: those kept, then the
  // host's. Valid until the next call.
  v3_param_changes** Checked(v3_param_changes** host);

  // Drops the changes kept, which a state load made out of date. Any thread.
  void Forget() { Loads.fetch_add(1, std::memory_order_relaxed); }

 private:
  struct Point {
    int32_t Offset;
    double Value;
  };
  // A parameter's changes as DPF reads them, with the VST3 layout.
  struct Queue {
    const v3_param_value_queue_cpp* Functions;
    v3_param_id Id;
    int32_t Count;
    Point Points[2];
  };
  struct List {
    const v3_param_changes_cpp* Functions;
    int32_t Count;
    // One queue per parameter kept and per queue of the host's; a host that
    // sends more than one queue for a parameter has the extra ones dropped.
    Queue Queues[2 * StereoParameterCount];
  };

  // A host's queue for one of the plugin's parameters, or false.
  static bool Collect(v3_param_value_queue** host, Queue& queue);
  // Drops what was kept before the last state load.
  void CatchUpWithLoads();

  static const v3_param_value_queue_cpp kQueueFunctions;
  static const v3_param_changes_cpp kListFunctions;

  List Shown = {&kListFunctions, 0, {}};
  bool Kept[StereoParameterCount] = {};
  double KeptValues[StereoParameterCount] = {};
  uint32_t KeptSince = 0;
  std::atomic<uint32_t> Loads{0};
};

}  // namespace vorel
