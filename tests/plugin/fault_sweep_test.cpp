// The fault sweep: every vendor entry point (the eight driver functions,
// ITCDeviceOpen, the get and the set of each DeviceConfig group, ITCSSSetW)
// fails in turn, with two different failure results, during each phase of an
// object's life. Each time nothing may crash or hang, the phase must observe
// what the host guide says (the DeviceConfig statuses come from the guide's
// own table), and a fresh object made afterwards must do the whole job.
#include <gtest/gtest.h>
#include <string.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "scanner_fixture.h"
#include "symbology/option_table.h"
#include "symbology/symbology_table.h"

namespace zorvan_test {
namespace {

using zorvan::liveScannerStates;
using zorvan::ZorvanScannerInterface;

// ---- The entry points and how each is made to fail ----

struct EntryPoint {
  enum Kind { kDriver, kConfigOpen, kConfigGet, kConfigSet, kSettings } kind;
  int which;  // vdev_scan_function or vdev_group
  std::string name;
};

std::vector<EntryPoint> allEntryPoints() {
  static const char* const kDriverNames[VDEV_SCAN_FUNCTION_COUNT] = {"ITCSCAN_Open",
                                                                     "ITCSCAN_Close",
                                                                     "ITCSCAN_SetScannerEnable",
                                                                     "ITCSCAN_GetScannerEnable",
                                                                     "ITCSCAN_SetTriggerScanner",
                                                                     "ITCSCAN_SetReadLED",
                                                                     "ITCSCAN_CancelRead",
                                                                     "ITCSCAN_SyncRead"};
  std::vector<EntryPoint> all;
  for (int f = 0; f < VDEV_SCAN_FUNCTION_COUNT; ++f) {
    all.push_back({EntryPoint::kDriver, f, kDriverNames[f]});
  }
  all.push_back({EntryPoint::kConfigOpen, 0, "ITCDeviceOpen"});
  for (int g = 0; g < zorvan::kGroupCount; ++g) {
    const std::string group(1, zorvan::kGroupLayouts[g].name);
    all.push_back({EntryPoint::kConfigGet, g, "GetGroup" + group});
    all.push_back({EntryPoint::kConfigSet, g, "SetGroup" + group});
  }
  all.push_back({EntryPoint::kSettings, 0, "ITCSSSetW"});
  return all;
}

// Two failures of different kinds: a general failure and one with both high
// bits set, as the driver's own errors have.
const int32_t kFailures[] = {static_cast<int32_t>(0x80004005u), static_cast<int32_t>(0xC0000001u)};

// The scan thread reads on its own time, so its read fails once, whenever it
// comes; every other entry point fails for as long as the phase lasts.
void arm(const EntryPoint& e, int32_t failure) {
  switch (e.kind) {
    case EntryPoint::kDriver:
      vdev_scan_inject_result(static_cast<vdev_scan_function>(e.which), failure,
                              e.which == VDEV_SCAN_SYNC_READ ? 1 : -1);
      break;
    case EntryPoint::kConfigOpen:
      vdev_config_fail_open(failure);
      break;
    case EntryPoint::kConfigGet:
      vdev_config_fail_get(static_cast<vdev_group>(e.which), failure);
      break;
    case EntryPoint::kConfigSet:
      vdev_config_fail_set(static_cast<vdev_group>(e.which), failure);
      break;
    case EntryPoint::kSettings:
      vdev_settings_inject_result(failure);
      break;
  }
}

// A read failure the scan thread has not come to yet is dropped as well.
void disarm(const EntryPoint& e) {
  if (e.kind == EntryPoint::kDriver) {
    vdev_scan_inject_result(static_cast<vdev_scan_function>(e.which), 0, 0);
  } else {
    arm(e, 0);
  }
}

// DeviceConfig calls already read from the log and cleared from it, by
// [isSet][group]; the log holds only so many.
uint32_t gClearedConfigCalls[2][VDEV_GROUP_COUNT];

void clearConfigLog() {
  for (uint32_t i = 0; i < vdev_config_log_size(); ++i) {
    vdev_config_call call;
    if (vdev_config_log_entry(i, &call) == 0) ++gClearedConfigCalls[call.isSet][call.group];
  }
  vdev_config_clear_log();
}

uint32_t configCalls(int group, int isSet) {
  uint32_t n = gClearedConfigCalls[isSet][group];
  for (uint32_t i = 0; i < vdev_config_log_size(); ++i) {
    vdev_config_call call;
    if (vdev_config_log_entry(i, &call) == 0 && call.group == group && call.isSet == isSet) ++n;
  }
  return n;
}

// Calls of the entry point since the device was reset.
uint32_t callsOf(const EntryPoint& e) {
  switch (e.kind) {
    case EntryPoint::kDriver:
      return vdev_scan_call_count(static_cast<vdev_scan_function>(e.which));
    case EntryPoint::kConfigOpen:
      return vdev_config_open_calls();
    case EntryPoint::kConfigGet:
      return configCalls(e.which, 0);
    case EntryPoint::kConfigSet:
      return configCalls(e.which, 1);
    case EntryPoint::kSettings:
      return vdev_settings_calls();
  }
  return 0;
}

// ---- The guide's DeviceConfig table ----

constexpr int kNoCall = 1;  // "—": the operation makes no such call

struct GuideRow {
  int query;
  int change;
};

int statusOf(const std::string& cell) {
  if (cell.find("ResultUnsupported") != std::string::npos) return ResultUnsupported;
  if (cell.find("ResultRejected") != std::string::npos) return ResultRejected;
  if (cell.find("ResultOk") != std::string::npos) return ResultOk;
  return kNoCall;
}

// The rows of the table that follows the marker line, by operation name.
std::map<std::string, GuideRow> readGuideTable() {
  std::map<std::string, GuideRow> rows;
  std::ifstream guide(HOST_GUIDE_PATH);
  EXPECT_TRUE(guide.good()) << "cannot read " << HOST_GUIDE_PATH;
  std::string line;
  bool inTable = false;
  while (std::getline(guide, line)) {
    if (line.find("<!-- DeviceConfig failures") != std::string::npos) {
      inTable = true;
      continue;
    }
    if (!inTable) continue;
    if (line.empty() || line[0] != '|') {
      if (!rows.empty()) break;
      continue;
    }
    std::vector<std::string> cells;
    std::stringstream cellsOfLine(line.substr(1));
    std::string cell;
    while (std::getline(cellsOfLine, cell, '|')) cells.push_back(cell);
    const size_t open = cells.size() == 3 ? cells[0].find('`') : std::string::npos;
    if (open == std::string::npos) continue;  // the heading and its rule
    const size_t close = cells[0].find('`', open + 1);
    rows[cells[0].substr(open + 1, close - open - 1)] = {statusOf(cells[1]), statusOf(cells[2])};
  }
  EXPECT_FALSE(rows.empty()) << "no DeviceConfig table in the guide";
  return rows;
}

// ---- Symbology operations, each as the host calls it ----

struct Probe {
  const char* operation;  // the guide's name for it
  std::function<int16_t(ScannerInterface1&)> call;
};

int16_t lengthsOf(ScannerInterface1& s, int32_t id) {
  uint16_t mode = 0, first = 0, second = 0;
  return s.GetSymbologyLengths(id, &mode, &first, &second);
}

#define PROBE(name, expression)                                        \
  Probe {                                                              \
    name, [](ScannerInterface1& s) -> int16_t { return s.expression; } \
  }

// Every symbology operation for every symbology, option and kind the
// plug-in's tables list (with arguments that reach the device where there
// are any), the options that have no table of their own, and operations
// beside the symbologies, which must not need DeviceConfig. Before each, the
// read-modify-write fields hold values the requests change.
std::vector<Probe> makeSymbologyProbes() {
  std::vector<Probe> probes;
  for (int row = 0; row < zorvan::kSymbologyCount; ++row) {
    const zorvan::SymbologyEntry& entry = zorvan::kSymbologyTable[row];
    const int32_t id = entry.host;
    probes.push_back({"GetSymbologyEnabled",
                      [id](ScannerInterface1& s) -> int16_t { return s.GetSymbologyEnabled(id); }});
    probes.push_back({"SetSymbologyEnabled", [id](ScannerInterface1& s) -> int16_t {
                        return s.SetSymbologyEnabled(id, 1);
                      }});
    probes.push_back({"GetSymbologyLengths",
                      [id](ScannerInterface1& s) -> int16_t { return lengthsOf(s, id); }});
    probes.push_back({"SetSymbologyLengths", [id](ScannerInterface1& s) -> int16_t {
                        return s.SetSymbologyLengths(id, 1, 5, 0);
                      }});
    probes.push_back({"GetSymbologyOption2",
                      [id](ScannerInterface1& s) -> int16_t { return s.GetSymbologyOption2(id); }});
    probes.push_back({"SetSymbologyOption2", [id](ScannerInterface1& s) -> int16_t {
                        return s.SetSymbologyOption2(id, 1);
                      }});
  }
  for (int row = 0; row < zorvan::kSymbologyOptionCount; ++row) {
    const zorvan::SymbologyOptionEntry& entry = zorvan::kSymbologyOptions[row];
    const int32_t id = entry.id;
    probes.push_back({"GetSymbologyOption",
                      [id](ScannerInterface1& s) -> int16_t { return s.GetSymbologyOption(id); }});
    probes.push_back({"SetSymbologyOption", [id](ScannerInterface1& s) -> int16_t {
                        return s.SetSymbologyOption(id, 1);
                      }});
  }
  for (int32_t kind = 0; kind < zorvan::kOptionKindCount; ++kind) {
    probes.push_back({"GetOptionIByKind", [kind](ScannerInterface1& s) -> int16_t {
                        return s.GetOptionIByKind(kind);
                      }});
    probes.push_back({"SetOptionIByKind", [kind](ScannerInterface1& s) -> int16_t {
                        return s.SetOptionIByKind(kind, 1);
                      }});
  }
  const Probe others[] = {
      PROBE("GetOptionB2", GetOptionB2()),
      PROBE("GetOptionA4", GetOptionA4()),
      PROBE("GetOptionA1", GetOptionA1()),
      PROBE("GetOptionITriple", GetOptionITriple()),
      PROBE("GetOptionIKind3", GetOptionIKind3()),
      PROBE("GetOptionE1", GetOptionE1()),
      PROBE("GetOptionF1Bit1", GetOptionF1Bit1()),
      PROBE("GetOptionB1", GetOptionB1()),
      PROBE("GetOptionJ", GetOptionJ()),
      PROBE("SetOptionB2", SetOptionB2(1)),
      PROBE("SetOptionA4", SetOptionA4(1)),
      PROBE("SetOptionA1", SetOptionA1(0)),
      PROBE("SetOptionITriple", SetOptionITriple(2)),
      PROBE("SetOptionIKind3", SetOptionIKind3(1)),
      PROBE("SetOptionE1", SetOptionE1(1)),
      PROBE("SetOptionF1Bit1", SetOptionF1Bit1(1)),
      PROBE("SetOptionB1", SetOptionB1(1)),
      PROBE("SetOptionJ", SetOptionJ(1)),
      PROBE("ResetToDefaults", ResetToDefaults()),
      PROBE("ApplySettings", ApplySettings(1)),
      PROBE("GetToneFrequency", GetToneFrequency(40)),
      PROBE("SetAffixMode", SetAffixMode(3)),
  };
  probes.insert(probes.end(), std::begin(others), std::end(others));
  return probes;
}

const std::vector<Probe>& symbologyProbes() {
  static const std::vector<Probe> probes = makeSymbologyProbes();
  return probes;
}

// Every field as at power-on, whatever earlier probes wrote (several
// symbologies share a field), except the read-modify-write fields.
void prepareFields() {
  const uint8_t noList[3] = {0, 0, 0};
  for (int g = 0; g < VDEV_GROUP_COUNT; ++g) {
    const vdev_group group = static_cast<vdev_group>(g);
    for (int field = 0; field < vdev_config_field_count(group); ++field) {
      vdev_config_set_field(group, field, 0);
    }
    if (group == VDEV_GROUP_B || group == VDEV_GROUP_E || group == VDEV_GROUP_H) {
      vdev_config_set_length_list(group, 0, noList, 1);
    }
  }
  vdev_config_set_field(VDEV_GROUP_A, 4, 2);  // a mode that is on, variant off
  vdev_config_set_field(VDEV_GROUP_E, 1, 2);
  vdev_config_set_field(VDEV_GROUP_F, 1, 1);
}

// ---- The phases ----

enum PhaseId {
  kConstruction,
  kSymbology,
  kEnable,
  kRead,
  kDisable,
  kDestruction,
  kDestructionWhileEnabled,
  kPhaseCount
};

const char* const kPhaseNames[kPhaseCount] = {
    "construction", "symbology operations",     "enable", "read", "disable",
    "destruction",  "destruction while enabled"};

const char kLabel[] = "FAULT-SWEEP";

class FaultSweepTest : public ScannerTest {
 protected:
  void SetUp() override {
    ScannerTest::SetUp();
    platform.waitLimitMs = 50;  // a scan thread the driver keeps is given up on soon
  }

  // Wait for the scan thread to settle: blocked in a read with nothing
  // queued, ended with a debug message, or never started.
  void settle() {
    for (int i = 0; i < 5000; ++i) {
      if (!scanner || !scanner->state().scanThread.recorded()) return;
      // The queue first: once the label is taken, a read blocked after that
      // is the thread's next read, not the one that was about to take it.
      if (vdev_scan_queued() == 0 && vdev_scan_blocked_reads() > 0) return;
      if (host().count(HostEvent::kDebug) > 0) return;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ADD_FAILURE() << "the scan thread did not settle";
  }

  // Wait until every state block is gone: a thread the driver kept has ended.
  static int32_t statesLeft() {
    for (int i = 0; i < 5000 && liveScannerStates() != 0; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return liveScannerStates();
  }

  int16_t labelMatches() {
    char text[64] = {};
    int16_t symbology = -1;
    const int16_t status = scanner->ReadLabel(sizeof text - 1, &symbology, text);
    return status == ResultOk && std::string(text) == kLabel ? 1 : 0;
  }

  void enabled() {
    open();
    ASSERT_EQ(ResultOk, scanner->EnableScanner());
    ASSERT_EQ(1, vdev_scan_wait_blocked(1, 5000));
  }

  // Before arming.
  void prepare(PhaseId phase) {
    switch (phase) {
      case kConstruction:
        break;
      case kSymbology:
      case kDestruction:
        open();
        break;
      case kEnable:
        open();
        break;
      case kRead:
        enabled();
        scanner->SetTriggerMode(8);
        scanner->ApplySettings(0);
        break;
      case kDisable:
      case kDestructionWhileEnabled:
        enabled();
        break;
      case kPhaseCount:
        break;
    }
  }

  // Armed: what the phase does. Returns what it observed while armed.
  std::vector<int> act(PhaseId phase, std::vector<std::vector<std::pair<int, int>>>* probeCalls) {
    switch (phase) {
      case kConstruction:
        open();
        return {};
      case kSymbology: {
        std::vector<int> statuses;
        for (const Probe& probe : symbologyProbes()) {
          prepareFields();
          clearConfigLog();
          statuses.push_back(probe.call(*scanner));
          if (probeCalls != nullptr) {
            std::vector<std::pair<int, int>> calls;
            for (uint32_t i = 0; i < vdev_config_log_size(); ++i) {
              vdev_config_call call;
              vdev_config_log_entry(i, &call);
              calls.emplace_back(call.group, call.isSet);
            }
            probeCalls->push_back(calls);
          }
        }
        return statuses;
      }
      case kEnable: {
        const int enable = scanner->EnableScanner();
        const int isEnabled = scanner->IsScannerEnabled();
        settle();
        return {enable, isEnabled};
      }
      case kRead: {
        const int start = scanner->StartSoftwareTrigger();
        vdev_scan_push_label(1, reinterpret_cast<const uint8_t*>(kLabel), sizeof kLabel - 1);
        settle();
        const int stop = scanner->StopSoftwareTrigger();
        const int ledOn = scanner->ReadLedOn();
        const int ledOff = scanner->ReadLedOff();
        return {start, stop, ledOn, ledOff};
      }
      case kDisable:
        return {scanner->DisableScanner()};
      case kDestruction:
      case kDestructionWhileEnabled:
        scanner.reset();
        return {};
      case kPhaseCount:
        break;
    }
    return {};
  }

  // Disarmed: what the phase left behind.
  std::vector<int> observe(PhaseId phase) {
    const int debug = static_cast<int>(host().count(HostEvent::kDebug));
    switch (phase) {
      case kConstruction: {
        const int enable = scanner->EnableScanner();
        const int isEnabled = scanner->IsScannerEnabled();
        const int frequency = scanner->GetToneFrequency(40);
        return {enable, isEnabled, frequency, scanner->DisableScanner()};
      }
      case kSymbology:
        return {};
      case kEnable:
        return {vdev_scan_blocked_reads() > 0 ? 1 : 0, debug};
      case kRead: {
        const int events = static_cast<int>(host().count(HostEvent::kScanEvent));
        const int label = labelMatches();
        const int isEnabled = scanner->IsScannerEnabled();
        const int blocked = vdev_scan_blocked_reads() > 0 ? 1 : 0;
        return {events, label, debug, isEnabled, blocked, scanner->EnableScanner()};
      }
      case kDisable: {
        const int isEnabled = scanner->IsScannerEnabled();
        const int recorded = scanner->state().scanThread.recorded() ? 1 : 0;
        return {isEnabled, recorded, scanner->EnableScanner()};
      }
      case kDestruction:
      case kDestructionWhileEnabled:
        return {statesLeft(), vdev_config_open_objects(), vdev_scan_is_open(), vdev_scan_enabled(),
                debug};
      case kPhaseCount:
        break;
    }
    return {};
  }

  // A fresh object on a device without faults does the whole job.
  void expectTheWholeJob(const std::string& context) {
    SCOPED_TRACE(context + ", then a fresh object");
    EXPECT_EQ(0, statesLeft());
    EXPECT_EQ(0, vdev_config_open_objects());
    host().clear();
    auto& s = open();
    ASSERT_EQ(ResultOk, s.EnableScanner());
    ASSERT_EQ(1, vdev_scan_wait_blocked(1, 5000));
    scan(1, std::vector<uint8_t>(kLabel, kLabel + sizeof kLabel - 1));
    EXPECT_EQ(1u, host().count(HostEvent::kScanEvent));
    EXPECT_EQ(1, labelMatches());
    EXPECT_EQ(ResultOk, s.SetSymbologyEnabled(7, 0));
    EXPECT_EQ(0, s.GetSymbologyEnabled(7));
    EXPECT_EQ(3000, s.GetToneFrequency(40));
    EXPECT_EQ(ResultOk, s.DisableScanner());
    scanner.reset();
    EXPECT_EQ(0, statesLeft());
    EXPECT_EQ(0, vdev_config_open_objects());
    EXPECT_EQ(0u, host().count(HostEvent::kDebug));
  }

  // One phase with `fault` failing (none: null). Returns what it observed,
  // while armed and after; counts the calls the fault had.
  // `everyCall`, when given, gets the calls of every entry point meanwhile.
  std::vector<int> runPhase(PhaseId phase, const EntryPoint* fault, int32_t failure,
                            uint32_t* faultCalls,
                            std::vector<std::vector<std::pair<int, int>>>* probeCalls = nullptr,
                            std::vector<uint32_t>* everyCall = nullptr) {
    scanner.reset();
    EXPECT_EQ(0, statesLeft());
    vdev_reset_all();
    memset(gClearedConfigCalls, 0, sizeof gClearedConfigCalls);
    host().clear();
    prepare(phase);
    const std::vector<EntryPoint> entries = allEntryPoints();
    std::vector<uint32_t> before;
    for (const EntryPoint& e : entries) before.push_back(callsOf(e));
    const uint32_t faultBefore = fault != nullptr ? callsOf(*fault) : 0;
    if (fault != nullptr) arm(*fault, failure);
    std::vector<int> seen = act(phase, probeCalls);
    if (fault != nullptr) {
      *faultCalls = callsOf(*fault) - faultBefore;
      disarm(*fault);
    }
    if (everyCall != nullptr) {
      for (size_t e = 0; e < entries.size(); ++e)
        everyCall->push_back(callsOf(entries[e]) - before[e]);
    }
    if (!scanner && phase != kDestruction && phase != kDestructionWhileEnabled) return seen;
    const std::vector<int> after = observe(phase);
    seen.insert(seen.end(), after.begin(), after.end());
    scanner.reset();
    vdev_scan_clear_results();
    return seen;
  }

  void sweep(PhaseId phase);
};

// What each phase observes without faults, and where a failing entry point
// changes that. Statuses: 0 ResultOk, -2 ResultUnsupported, -4 ResultRejected.
struct Expected {
  const char* entry;
  std::vector<int> observed;
};

const char* const kObservations[kPhaseCount] = {
    "EnableScanner, IsScannerEnabled, GetToneFrequency(40), DisableScanner",
    "the probes' statuses",
    "EnableScanner, IsScannerEnabled (both armed); a read blocked, debug messages",
    "StartSoftwareTrigger, StopSoftwareTrigger, ReadLedOn, ReadLedOff (armed); events, label "
    "read back, debug messages, IsScannerEnabled, a read blocked, EnableScanner",
    "DisableScanner (armed); IsScannerEnabled, thread recorded, EnableScanner",
    "state blocks left, DeviceConfig objects open, driver open, driver enabled, debug messages",
    "state blocks left, DeviceConfig objects open, driver open, driver enabled, debug messages",
};

const std::vector<int> kBaseline[kPhaseCount] = {
    {0, 1, 3000, 0}, {},
    {0, 1, 1, 0},    {0, 0, 0, 0, 1, 1, 0, 1, 1, 0},
    {0, 0, 0, 0},    {0, 0, 0, 0, 0},
    {0, 0, 0, 0, 0},
};

const std::vector<Expected> kDeviations[kPhaseCount] = {
    // Construction: a driver that does not open leaves a half-open object;
    // without DeviceConfig the object scans but has no defaults.
    {{"ITCSCAN_Open", {-4, 0, 0, -4}}, {"ITCDeviceOpen", {0, 1, 0, 0}}},
    // Symbology operations: from the guide's table.
    {},
    // Enable: a driver that cannot tell its state is enabled anyway; one
    // that refuses to enable is rejected; a failed first read ends the
    // thread with a message.
    {{"ITCSCAN_GetScannerEnable", {0, 0, 1, 0}},
     {"ITCSCAN_SetScannerEnable", {-4, 0, 0, 0}},
     {"ITCSCAN_SyncRead", {0, 1, 0, 1}}},
    // Read: a failed read after the label ends the thread, the scanner
    // stays enabled and EnableScanner answers ResultOk without a thread.
    {{"ITCSCAN_GetScannerEnable", {-4, 0, 0, 0, 1, 1, 0, 1, 1, 0}},
     {"ITCSCAN_SetTriggerScanner", {-2, -2, 0, 0, 1, 1, 0, 1, 1, 0}},
     {"ITCSCAN_SetReadLED", {0, 0, -2, -2, 1, 1, 0, 1, 1, 0}},
     {"ITCSCAN_SyncRead", {0, 0, 0, 0, 1, 1, 1, 1, 0, 0}}},
    // Disable: an unknown state is not disabled; a refused disable leaves
    // the scanner enabled; a failed cancel leaves the thread recorded, and
    // EnableScanner then switches the driver on and is rejected.
    {{"ITCSCAN_GetScannerEnable", {-4, 1, 1, 0}},
     {"ITCSCAN_SetScannerEnable", {-4, 1, 0, 0}},
     {"ITCSCAN_CancelRead", {0, 0, 1, -4}}},
    // Destruction: a driver that does not close stays open.
    {{"ITCSCAN_Close", {0, 0, 1, 0, 0}}},
    // Destruction while enabled: the scanner stays enabled when its state is
    // unknown or the disable is refused; everything is released all the same.
    {{"ITCSCAN_Close", {0, 0, 1, 0, 0}},
     {"ITCSCAN_GetScannerEnable", {0, 0, 0, 1, 0}},
     {"ITCSCAN_SetScannerEnable", {0, 0, 0, 1, 0}}},
};

std::string describe(const std::vector<int>& values) {
  std::string text = "{";
  for (size_t i = 0; i < values.size(); ++i) text += (i ? ", " : "") + std::to_string(values[i]);
  return text + "}";
}

void FaultSweepTest::sweep(PhaseId phase) {
  uint32_t unused = 0;
  std::vector<std::vector<std::pair<int, int>>> probeCalls;
  const std::vector<int> baseline = runPhase(phase, nullptr, 0, &unused, &probeCalls);
  if (phase != kSymbology) {
    ASSERT_EQ(describe(kBaseline[phase]), describe(baseline)) << kObservations[phase];
  }
  expectTheWholeJob(std::string(kPhaseNames[phase]) + " without faults");
  const std::map<std::string, GuideRow> guide = readGuideTable();

  for (const EntryPoint& entry : allEntryPoints()) {
    std::vector<int> expected = baseline;
    bool guideSays = false;
    for (const Expected& deviation : kDeviations[phase]) {
      if (entry.name == deviation.entry) expected = deviation.observed;
    }
    // Symbology operations: a probe that made the failing call answers as
    // the guide's table says.
    const bool config =
        entry.kind == EntryPoint::kConfigGet || entry.kind == EntryPoint::kConfigSet;
    if (phase == kSymbology && config) {
      const int isSet = entry.kind == EntryPoint::kConfigSet ? 1 : 0;
      for (size_t p = 0; p < symbologyProbes().size(); ++p) {
        bool made = false;
        for (const auto& call : probeCalls[p])
          made |= call.first == entry.which && call.second == isSet;
        if (!made) continue;
        const char* operation = symbologyProbes()[p].operation;
        const auto row = guide.find(operation);
        if (row == guide.end()) {
          ADD_FAILURE() << operation << " calls " << entry.name << " but has no row in the guide";
          continue;
        }
        expected[p] = isSet ? row->second.change : row->second.query;
        EXPECT_NE(kNoCall, expected[p])
            << "the guide says " << operation << " makes no call like " << entry.name;
        guideSays = true;
      }
    }
    for (const int32_t failure : kFailures) {
      const std::string context =
          entry.name + " failing with " + std::to_string(failure) + " during " + kPhaseNames[phase];
      SCOPED_TRACE(context);
      uint32_t calls = 0;
      const std::vector<int> seen = runPhase(phase, &entry, failure, &calls);
      if (phase == kSymbology && guideSays) {
        for (size_t p = 0; p < seen.size() && p < expected.size(); ++p) {
          EXPECT_EQ(expected[p], seen[p]) << symbologyProbes()[p].operation << ", probe " << p;
        }
      } else {
        EXPECT_EQ(describe(expected), describe(seen)) << kObservations[phase];
      }
      // An entry point the phase never called changes nothing.
      if (calls == 0) {
        EXPECT_EQ(describe(baseline), describe(seen)) << "not called";
      }
      expectTheWholeJob(context);
    }
  }
}

void PrintTo(PhaseId phase, std::ostream* out) { *out << kPhaseNames[phase]; }

class FaultSweepPhaseTest : public FaultSweepTest, public ::testing::WithParamInterface<PhaseId> {};

TEST_P(FaultSweepPhaseTest, EveryEntryPointFailingInTurn) { sweep(GetParam()); }

INSTANTIATE_TEST_SUITE_P(Phases, FaultSweepPhaseTest,
                         ::testing::Values(kConstruction, kSymbology, kEnable, kRead, kDisable,
                                           kDestruction, kDestructionWhileEnabled),
                         [](const ::testing::TestParamInfo<PhaseId>& p) {
                           std::string name;
                           bool upper = true;
                           for (const char* c = kPhaseNames[p.param]; *c != '\0'; ++c) {
                             if (*c == ' ') {
                               upper = true;
                               continue;
                             }
                             name += upper ? static_cast<char>(*c - 'a' + 'A') : *c;
                             upper = false;
                           }
                           return name;
                         });

// Every entry point is called in some phase, so the sweep fails each of
// them somewhere; and every row of the guide's table is an operation some
// probe calls the device with.
TEST_F(FaultSweepTest, EveryEntryPointAndEveryGuideRowIsReached) {
  const std::vector<EntryPoint> entries = allEntryPoints();
  std::vector<uint32_t> reached(entries.size(), 0);
  for (int phase = 0; phase < kPhaseCount; ++phase) {
    uint32_t unused = 0;
    std::vector<uint32_t> calls;
    runPhase(static_cast<PhaseId>(phase), nullptr, 0, &unused, nullptr, &calls);
    for (size_t e = 0; e < entries.size(); ++e) reached[e] += calls[e];
  }
  for (size_t e = 0; e < entries.size(); ++e) EXPECT_NE(0u, reached[e]) << entries[e].name;

  uint32_t unused = 0;
  std::vector<std::vector<std::pair<int, int>>> probeCalls;
  runPhase(kSymbology, nullptr, 0, &unused, &probeCalls);
  for (const auto& row : readGuideTable()) {
    bool queried = false, changed = false;
    for (size_t p = 0; p < symbologyProbes().size(); ++p) {
      if (row.first != symbologyProbes()[p].operation) continue;
      for (const auto& call : probeCalls[p]) (call.second ? changed : queried) = true;
    }
    EXPECT_EQ(row.second.query != kNoCall, queried) << row.first << ": query";
    EXPECT_EQ(row.second.change != kNoCall, changed) << row.first << ": change";
  }
}

}  // namespace
}  // namespace zorvan_test
