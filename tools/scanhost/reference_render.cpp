#include <string.h>

#include <sstream>
#include <string>

#include "acquisition/scan_thread.h"
#include "feedback/tone_parameters.h"
#include "feedback/tone_player.h"
#include "operation_reference.h"
#include "plugin_ids.h"
#include "settings/setting_table.h"

namespace scanhost {

const char kReferenceBeginMarker[] =
    "<!-- Operation reference: rendered from tools/scanhost/operation_table.cpp by the "
    "target host-guide-reference; a test compares. -->";
const char kReferenceEndMarker[] = "<!-- End of the operation reference. -->";

namespace {

// The interface declares position 90 as its destructor; scanhost calls it
// Destructor.
std::string declaredName(int position) {
  return position == kOperationCount - 1 ? "~ScannerInterface1" : operationAt(position).name;
}

// "0–9", "11", "12", "83–85": runs of three or more as a range.
std::vector<std::string> runs(const std::vector<int32_t>& values) {
  std::vector<std::string> out;
  for (size_t i = 0; i < values.size();) {
    size_t end = i;
    while (end + 1 < values.size() && values[end + 1] == values[end] + 1) ++end;
    if (end >= i + 2) {
      out.push_back(std::to_string(values[i]) + "–" + std::to_string(values[end]));
      i = end + 1;
    } else {
      out.push_back(std::to_string(values[i++]));
    }
  }
  return out;
}

// "0–9, 11, 12, 83–85".
std::string listed(const std::vector<int32_t>& values) {
  std::string out;
  for (const std::string& run : runs(values)) out += (out.empty() ? "" : ", ") + run;
  return out;
}

// A tone id with the pattern letter that uses it.
std::string listedTones(zorvan::ToneKind kind) {
  std::string out;
  for (int32_t id : toneIds(kind)) {
    const int slot = zorvan::toneSlotOfId(kind, id);
    out += (out.empty() ? "" : ", ") + std::to_string(id) + " (`" +
           std::string(1, zorvan::kToneParameters[slot].letter) + "`)";
  }
  return out;
}

void replaceAll(std::string* text, const std::string& from, const std::string& to) {
  for (size_t at = text->find(from); at != std::string::npos; at = text->find(from, at + to.size()))
    text->replace(at, from.size(), to);
}

// "a and b, c, d and e": items joined as a sentence joins them.
std::string sentence(const std::vector<std::string>& items) {
  std::string out;
  for (size_t i = 0; i < items.size(); ++i) {
    out += (i == 0                 ? ""
            : i + 1 < items.size() ? ", "
            : items.size() > 2     ? ", and "
                                   : " and ") +
           items[i];
  }
  return out;
}

std::string sharedEnableFieldsText() {
  std::vector<std::string> groups;
  for (const std::vector<int32_t>& group : kSharedEnableFields) {
    std::vector<std::string> ids;
    for (int32_t id : group) ids.push_back(std::to_string(id));
    groups.push_back(sentence(ids));
  }
  return sentence(groups);
}

// "id 39 90 ms, ..., id 40 3000 Hz, ...": the defaults in table order.
std::string toneDefaults() {
  std::string out;
  for (const zorvan::ToneParameter& parameter : zorvan::kToneParameters) {
    out += (out.empty() ? "id " : ", id ") + std::to_string(parameter.id) + " " +
           std::to_string(parameter.defaultValue) +
           (parameter.kind == zorvan::ToneKind::kDuration ? " ms" : " Hz");
  }
  return out;
}

// The listed tone patterns by what they play: nothing, a pattern of their
// own, the good-read beep, or the same as every number past the table.
struct TonePatternNumbers {
  std::vector<int32_t> silent, own, goodRead, byDefault;
};
TonePatternNumbers tonePatternNumbers() {
  TonePatternNumbers numbers;
  const char* const fallback = zorvan::tonePatternFor(zorvan::kTonePatternCount);
  for (uint32_t number = 0; number < zorvan::kTonePatternCount; ++number) {
    const char* pattern = zorvan::tonePatternFor(number);
    const int32_t n = static_cast<int32_t>(number);
    if (pattern == nullptr) {
      numbers.silent.push_back(n);
    } else if (number == zorvan::kGoodReadBeepPattern) {
      numbers.goodRead.push_back(n);
    } else if (strcmp(pattern, fallback) == 0) {
      numbers.byDefault.push_back(n);
    } else {
      numbers.own.push_back(n);
    }
  }
  return numbers;
}

// A row's text with the value sets written out.
std::string expanded(const char* text) {
  std::string out = text;
  static const TonePatternNumbers patterns = tonePatternNumbers();
  replaceAll(&out, "{silent patterns}", listed(patterns.silent));
  replaceAll(&out, "{own patterns}", sentence(runs(patterns.own)));
  replaceAll(&out, "{good-read pattern}", listed(patterns.goodRead));
  replaceAll(&out, "{default patterns}", listed(patterns.byDefault));
  replaceAll(&out, "{tone defaults}", toneDefaults());
  replaceAll(&out, "{stop wait}", std::to_string(zorvan::kStopWaitMs));
  for (int id = 0; id < zorvan::kSettingCount; ++id) {
    const zorvan::SettingRow& row = zorvan::kSettingRows[id];
    replaceAll(&out, "{default " + std::string(row.name) + "}", std::to_string(row.byDefault));
    // "0–100", or "181 or 182" for two values.
    const std::string lowest = std::to_string(row.lowest), highest = std::to_string(row.highest);
    replaceAll(&out, "{range " + std::string(row.name) + "}",
               row.highest == row.lowest + 1 ? lowest + " or " + highest : lowest + "–" + highest);
  }
  replaceAll(&out, "{shared enable fields}", sharedEnableFieldsText());
  for (int id = 0; id < kValueSetCount; ++id) {
    const ValueSet& set = valueSet(static_cast<ValueSetId>(id));
    if (out.find(set.name) == std::string::npos) continue;
    const bool tones = id == kDurationIds || id == kFrequencyIds;
    replaceAll(&out, set.name,
               tones ? listedTones(id == kDurationIds ? zorvan::ToneKind::kDuration
                                                      : zorvan::ToneKind::kFrequency)
                     : listed(set.values));
  }
  return out;
}

// For a terminal: ASCII, no Markdown.
std::string plain(std::string text) {
  replaceAll(&text, "−", "-");
  replaceAll(&text, "–", "-");
  replaceAll(&text, "`", "");
  return text;
}

const char* effectText(Effect effect) {
  switch (effect) {
    case Effect::kNone:
      return "—";
    case Effect::kPending:
      return "pending until `ApplySettings`";
    case Effect::kAtOnce:
      return "at once";
    case Effect::kOnDevice:
      return "on the device, at once";
    case Effect::kScanner:
      return "in the driver, at once";
  }
  return "";
}

// A state's answer: its own text, or what it is as.
std::string answerText(const Reference& row, ObjectState state) {
  const char* texts[] = {row.opened, row.noDriver, row.noDeviceConfig};
  if (texts[state] == nullptr) return "as opened";
  return expanded(texts[state]);
}

std::string number(int16_t value) {
  return value < 0 ? "−" + std::to_string(-value) : std::to_string(value);
}

// An example's call as the guide shows it: the scratch area's fields by name.
std::string callText(const Example& example) {
  std::string text = example.call;
  // "(a, b), then c" reads "a, b, then c".
  if (text[0] == '(') {
    int depth = 0;
    size_t close = 0;
    while (close < text.size() && (depth += text[close] == '('   ? 1
                                            : text[close] == ')' ? -1
                                                                 : 0) > 0)
      ++close;
    text.erase(close, 1);
    text.erase(0, 1);
  }
  replaceAll(&text, "out.", "");
  replaceAll(&text, "s.", "");
  return text;
}

}  // namespace

std::string referenceLines(int position) {
  const Reference& row = operationAt(position).reference;
  std::string out;
  // "label: text", wrapped at kWidth columns under the text's start.
  constexpr size_t kWidth = 100;
  auto line = [&](const char* label, const std::string& text) {
    std::string current = "       " + std::string(label) + ":";
    const std::string indent(9, ' ');
    std::istringstream words(plain(text));
    std::string word;
    while (words >> word) {
      if (current.size() + 1 + word.size() > kWidth && current.size() > indent.size()) {
        out += current + "\n";
        current = indent.substr(1);
      }
      current += " " + word;
    }
    out += current + "\n";
  };
  if (row.arguments != nullptr) line("takes", expanded(row.arguments));
  if (row.effect != Effect::kNone) line("effect", effectText(row.effect));
  line("opened", answerText(row, kOpened));
  line("no driver", answerText(row, kNoDriver));
  line("no DeviceConfig", answerText(row, kNoDeviceConfig));
  if (row.outValues != nullptr) line("pointers", row.outValues);
  for (const Example& example : operationAt(position).examples) {
    // A call and its answers stay on one line.
    out += "       e.g. " +
           plain(callText(example) + " -> " + number(example.answers[kOpened]) + " | " +
                 number(example.answers[kNoDriver]) + " | " +
                 number(example.answers[kNoDeviceConfig])) +
           "\n";
  }
  return out;
}

std::string referenceSection() {
  std::string out =
      "| # | Operation | Arguments | Takes effect | Opened | Half-open: no driver | "
      "Half-open: no DeviceConfig |\n|---|---|---|---|---|---|---|\n";
  for (int position = 0; position < kOperationCount; ++position) {
    const Reference& row = operationAt(position).reference;
    out += "| " + std::to_string(position) + " | `" + declaredName(position) + "` | " +
           (row.arguments != nullptr ? expanded(row.arguments) : "—") + " | " +
           effectText(row.effect) + " | " + answerText(row, kOpened) + " | " +
           answerText(row, kNoDriver) + " | " + answerText(row, kNoDeviceConfig) + " |\n";
  }
  out +=
      "\nOut-values and null pointers:\n\n"
      "| # | Operation | On failure and for null pointers |\n|---|---|---|\n";
  for (int position = 0; position < kOperationCount; ++position) {
    const Reference& row = operationAt(position).reference;
    if (row.outValues == nullptr) continue;
    out += "| " + std::to_string(position) + " | `" + declaredName(position) + "` | " +
           row.outValues + " |\n";
  }
  out +=
      "\nAnswers, each call (or calls in a row, the answer of the last) made on a new object "
      "over the virtual device as it starts (every `DeviceConfig` field 0, the scanner "
      "disabled, no label waiting):\n\n"
      "| # | Call | Opened | No driver | No DeviceConfig |\n|---|---|---|---|---|\n";
  for (int position = 0; position < kOperationCount; ++position) {
    for (const Example& example : operationAt(position).examples) {
      out += "| " + std::to_string(position) + " | `" + callText(example) + "` | " +
             number(example.answers[kOpened]) + " | " + number(example.answers[kNoDriver]) + " | " +
             number(example.answers[kNoDeviceConfig]) + " |\n";
    }
  }
  return out;
}

}  // namespace scanhost
