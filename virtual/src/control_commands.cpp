#include "control_commands.h"

#include <stdio.h>

#include "config_groups.h"
#include "device_parts.h"
#include "virtual_device.h"

namespace vdev {
namespace control {

namespace {

using vdev::kConfigGroups;

// The labels pushed through the endpoint, kept for `state`: the last few,
// oldest first.
constexpr int kHistory = 8;
struct Pushed {
  uint32_t serial;
  int32_t symbology;
  std::string text;  // encoded
};
struct History {
  Pushed labels[kHistory];
  uint32_t pushed = 0;
};
// Never destroyed, like the scanner's state: the endpoint's thread may still
// run a command while the process exits.
History& Labels() {
  static History* const history = new History();
  return *history;
}

std::string Number(uint32_t value) { return std::to_string(value); }

std::string Hex(int32_t value) {
  char text[16];
  snprintf(text, sizeof text, "0x%08X", static_cast<uint32_t>(value));
  return text;
}

const char* ReportName(int32_t report) { return report < 0 ? "actual" : report ? "on" : "off"; }

std::string DriverLine() {
  return "driver open=" + Number(vdev_scan_is_open()) + " enabled=" + Number(vdev_scan_enabled()) +
         " report-enable=" + ReportName(vdev_scan_enable_report()) +
         " trigger=" + Number(vdev_scan_trigger()) + " led=" + Number(vdev_scan_read_led()) +
         " queued=" + Number(vdev_scan_queued()) + " blocked=" + Number(vdev_scan_blocked_reads()) +
         " stuck=" + Number(vdev_scan_ignoring_cancel());
}

std::string CallsLine() {
  std::string line = "calls";
  for (int f = 0; f < kDriverFunctionCount; ++f) {
    line += std::string(" ") + kDriverFunctions[f] + "=" +
            Number(vdev_scan_call_count(static_cast<vdev_scan_function>(f)));
  }
  return line;
}

std::string SettingsLine(const OtherParts& parts) {
  if (!parts.settingsLoaded()) return "settings absent";
  const SettingsControls& s = parts.settings();
  uint16_t units[512];
  const uint32_t length = s.lastRequest(units, sizeof units / sizeof units[0]);
  // The request is ASCII XML; anything else shows escaped.
  std::string request;
  for (uint32_t i = 0; i < length && i + 1 < sizeof units / sizeof units[0]; ++i) {
    const uint8_t byte = units[i] < 0x80 ? static_cast<uint8_t>(units[i]) : '?';
    request += EncodeText(&byte, 1);
  }
  return "settings beeps=" + std::to_string(s.goodReadBeeps()) + " calls=" + Number(s.calls()) +
         " request=" + request;
}

// A group's values in argument order, the length list's slot as its three
// bytes joined by commas.
std::string GroupValues(int group, const uint32_t* values, const uint8_t* list) {
  std::string out;
  const int listSlot = kConfigGroups[group].lengthListAt + 1;
  for (int f = 0; f < kConfigGroups[group].fieldCount; ++f) {
    out += " ";
    if (listSlot > 0 && f == listSlot) {
      out += Number(list[0]) + "," + Number(list[1]) + "," + Number(list[2]);
    } else {
      out += Number(values[f]);
    }
  }
  return out;
}

std::string LogLine(uint32_t index, const vdev_config_call& call) {
  uint32_t values[VDEV_MAX_FIELDS];
  for (int f = 0; f < VDEV_MAX_FIELDS; ++f) values[f] = call.isSet ? call.bytes[f] : call.fields[f];
  const int at = kConfigGroups[call.group].lengthListAt;
  if (call.isSet && at >= 0) values[at + 2] = call.lengthCount;
  return "log " + Number(index) + " " + kConfigGroups[call.group].name + " " +
         (call.isSet ? "set " : "get ") + Hex(call.result) +
         GroupValues(call.group, values, call.lengthList);
}

void Ok(std::string* reply, const std::string& what = "") {
  *reply += what.empty() ? "ok\n" : "ok " + what + "\n";
}
void Error(std::string* reply, const std::string& why) { *reply += "error " + why + "\n"; }

void Scan(const Command& command, Watch*, std::string* reply) {
  const uint32_t length = static_cast<uint32_t>(command.text.size());
  if (length > VDEV_MAX_LABEL) {
    return Error(
        reply, "label of " + Number(length) + " bytes; the driver holds " + Number(VDEV_MAX_LABEL));
  }
  const uint8_t* bytes = reinterpret_cast<const uint8_t*>(command.text.data());
  const bool reported = command.id == CommandId::kScanReported;
  const int32_t result =
      reported ? vdev_scan_push_label_reported(command.numbers[0], bytes, length,
                                               static_cast<uint32_t>(command.numbers[1]))
               : vdev_scan_push_label(command.numbers[0], bytes, length);
  if (result != 0) {
    return Error(reply, "the driver's queue is full (" + Number(VDEV_QUEUE_CAPACITY) +
                            " labels); nothing was queued");
  }
  History& history = Labels();
  Pushed& slot = history.labels[history.pushed % kHistory];
  slot = Pushed{++history.pushed, command.numbers[0], EncodeText(bytes, length)};
  Ok(reply, "label " + Number(history.pushed) + " queued=" + Number(vdev_scan_queued()));
}

// A read blocked now fails at once; the reads after it as TIMES says.
void Fail(const Command& command, Watch*, std::string* reply) {
  int32_t times = command.numbers[1];
  const uint32_t blocked = vdev_scan_blocked_reads();
  if (blocked > 0 && times != 0) {
    vdev_scan_release_reads(command.numbers[0]);
    if (times > 0) --times;
  }
  if (times != 0) vdev_scan_inject_result(VDEV_SCAN_SYNC_READ, command.numbers[0], times);
  Ok(reply, "failed=" + Number(blocked > 0 && command.numbers[1] != 0 ? blocked : 0));
}

void Inject(const Command& command, Watch*, std::string* reply) {
  vdev_scan_inject_result(static_cast<vdev_scan_function>(command.numbers[0]), command.numbers[1],
                          command.numbers[2]);
  Ok(reply);
}

const char kNoConfig[] = "the device configuration is not loaded";
const char kNoSettings[] = "the settings service is not loaded";

void Clear(const Command&, Watch*, std::string* reply) {
  vdev_scan_clear_results();
  const OtherParts parts;
  if (parts.configLoaded()) {
    for (int g = 0; g < VDEV_GROUP_COUNT; ++g) {
      parts.config().failGet(static_cast<vdev_group>(g), 0);
      parts.config().failSet(static_cast<vdev_group>(g), 0);
    }
    parts.config().failOpen(0);
  }
  if (parts.settingsLoaded()) parts.settings().injectResult(0);
  Ok(reply);
}

// What the other parts fail with is a failure (negative), or 0: working
// again. A positive result would pass for success without doing the work.
bool Failure(int32_t result, std::string* reply) {
  if (result <= 0) return true;
  Error(reply, Hex(result) + " is no failure: a negative result, or 0 to clear");
  return false;
}

void ConfigFail(const Command& command, Watch*, std::string* reply) {
  const bool open = command.id == CommandId::kConfigOpenFail;
  const int32_t result = command.numbers[open ? 0 : 2];
  if (!Failure(result, reply)) return;
  const OtherParts parts;
  if (!parts.configLoaded()) return Error(reply, kNoConfig);
  const ConfigControls& c = parts.config();
  if (open) {
    c.failOpen(result);
  } else {
    (command.numbers[1] ? c.failSet : c.failGet)(static_cast<vdev_group>(command.numbers[0]),
                                                 result);
  }
  Ok(reply);
}

void SettingsFail(const Command& command, Watch*, std::string* reply) {
  if (!Failure(command.numbers[0], reply)) return;
  const OtherParts parts;
  if (!parts.settingsLoaded()) return Error(reply, kNoSettings);
  parts.settings().injectResult(command.numbers[0]);
  Ok(reply);
}

void Stick(const Command&, Watch*, std::string* reply) {
  vdev_scan_set_ignore_cancel(1);
  Ok(reply);
}

void Release(const Command& command, Watch*, std::string* reply) {
  const uint32_t blocked = vdev_scan_blocked_reads();
  vdev_scan_set_ignore_cancel(0);
  vdev_scan_release_reads(command.numbers[0]);
  Ok(reply, "released=" + Number(blocked));
}

void ReportEnable(const Command& command, Watch*, std::string* reply) {
  vdev_scan_set_enable_report(command.numbers[0]);
  Ok(reply);
}

void State(const Command&, Watch*, std::string* reply) {
  const OtherParts parts;
  *reply += DriverLine() + "\n" + CallsLine() + "\n";
  if (parts.configLoaded()) {
    const ConfigControls& c = parts.config();
    *reply +=
        "config objects=" + std::to_string(c.openObjects()) + " log=" + Number(c.logSize()) + "\n";
    for (int g = 0; g < VDEV_GROUP_COUNT; ++g) {
      const vdev_group group = static_cast<vdev_group>(g);
      uint32_t values[VDEV_MAX_FIELDS] = {};
      for (int f = 0; f < c.fieldCount(group); ++f) values[f] = c.field(group, f);
      uint8_t list[3] = {};
      if (HasLengthList(g)) {
        uint32_t kind = 0;
        uint32_t count = 0;
        c.lengthList(group, &kind, list, &count);
      }
      *reply += std::string("group ") + kConfigGroups[g].name + GroupValues(g, values, list) + "\n";
    }
  } else {
    *reply += "config absent\n";
  }
  *reply += SettingsLine(parts) + "\n";
  const History& history = Labels();
  const uint32_t first = history.pushed > kHistory ? history.pushed - kHistory : 0;
  for (uint32_t n = first; n < history.pushed; ++n) {
    const Pushed& label = history.labels[n % kHistory];
    *reply += "label " + Number(label.serial) + " " + std::to_string(label.symbology) + " " +
              label.text + "\n";
  }
  Ok(reply);
}

void Log(const Command& command, Watch*, std::string* reply) {
  const OtherParts parts;
  if (!parts.configLoaded()) return Error(reply, kNoConfig);
  const ConfigControls& c = parts.config();
  const uint32_t size = c.logSize();
  for (uint32_t i = static_cast<uint32_t>(command.numbers[0]); i < size; ++i) {
    vdev_config_call call;
    if (c.logEntry(i, &call) == 0) *reply += LogLine(i, call) + "\n";
  }
  Ok(reply, "log=" + Number(size));
}

// A line a command: its usage, in a column as wide as the widest, and what
// it does.
void Help(const Command&, Watch*, std::string* reply) {
  std::string usages[kCommandCount];
  size_t width = 0;
  for (int c = 0; c < kCommandCount; ++c) {
    usages[c] =
        std::string(kCommands[c].name) + (*kCommands[c].usage ? " " : "") + kCommands[c].usage;
    width = usages[c].size() > width ? usages[c].size() : width;
  }
  for (int c = 0; c < kCommandCount; ++c) {
    usages[c].resize(width, ' ');
    *reply += "help " + usages[c] + "  " + kCommands[c].help + "\n";
  }
  Ok(reply);
}

class TheDevice final : public Device {
 public:
  void Run(const Command& command, Watch* watch, std::string* reply) override {
    if (command.id == CommandId::kWatch) {
      *watch = Watch{};
      watch->on = true;
      Ok(reply, "watching");
      Follow(watch, reply);
      return;
    }
    using Handler = void (*)(const Command&, Watch*, std::string*);
    // Indexed by CommandId; watch is above.
    static const Handler kHandlers[] = {Scan,         Scan,    Fail,         Inject,     Clear,
                                        Stick,        Release, ReportEnable, ConfigFail, ConfigFail,
                                        SettingsFail, State,   Log,          nullptr,    Help};
    static_assert(sizeof kHandlers / sizeof kHandlers[0] == static_cast<size_t>(CommandId::kCount),
                  "a handler a command");
    kHandlers[static_cast<int>(command.id)](command, watch, reply);
  }

  void Follow(Watch* watch, std::string* out) override {
    if (!watch->on) return;
    const std::string driver = DriverLine();
    if (driver != watch->driver) *out += driver + "\n";
    watch->driver = driver;
    const OtherParts parts;
    const std::string settings = SettingsLine(parts);
    if (settings != watch->settings) *out += settings + "\n";
    watch->settings = settings;
    if (!parts.configLoaded()) return;
    const ConfigControls& c = parts.config();
    const uint32_t size = c.logSize();
    if (size < watch->logNext) watch->logNext = 0;  // the log was cleared
    for (; watch->logNext < size; ++watch->logNext) {
      vdev_config_call call;
      if (c.logEntry(watch->logNext, &call) == 0) *out += LogLine(watch->logNext, call) + "\n";
    }
  }
};

}  // namespace

Device& VirtualDevice() {
  static TheDevice* const device = new TheDevice();
  return *device;
}

}  // namespace control
}  // namespace vdev
