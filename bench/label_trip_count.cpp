// Sends a fixed number of labels through the plug-in or through the floor
// (bench/label_trip.h) and exits, for counting instructions per label under
// callgrind (bench/callgrind_label_path.sh). Not a timing.
//
//   label_trip_count plugin|floor BYTES BEEP(0|1) LABELS
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <vector>

#include "label_trip.h"

namespace {

template <typename Trip>
int run(Trip& trip, const std::vector<uint8_t>& label, uint32_t labels) {
  for (uint32_t i = 0; i < labels; ++i) {
    trip.trip(label.data(), static_cast<uint32_t>(label.size()));
  }
  const uint32_t events = zorvan_bench::gEvents.load();
  if (events != labels) {
    fprintf(stderr, "%u events for %u labels\n", events, labels);
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5 || (strcmp(argv[1], "plugin") != 0 && strcmp(argv[1], "floor") != 0)) {
    fprintf(stderr, "usage: %s plugin|floor BYTES BEEP(0|1) LABELS\n", argv[0]);
    return 2;
  }
  const std::vector<uint8_t> label(strtoul(argv[2], nullptr, 10), '7');
  const bool beep = strtoul(argv[3], nullptr, 10) != 0;
  const uint32_t labels = static_cast<uint32_t>(strtoul(argv[4], nullptr, 10));
  if (label.empty() || label.size() > VDEV_MAX_LABEL) {
    fprintf(stderr, "BYTES must be 1 to %d\n", VDEV_MAX_LABEL);
    return 2;
  }
  if (strcmp(argv[1], "plugin") == 0) {
    zorvan_bench::PluginTrip trip(beep);
    return run(trip, label, labels);
  }
  zorvan_bench::FloorTrip trip(beep);
  return run(trip, label, labels);
}
