#include "panel_state.h"

#include <stdio.h>
#include <stdlib.h>

#include <map>
#include <sstream>

#include "symbology/reported_symbology.h"
#include "symbology/symbology_table.h"

namespace scanhost {

namespace {

std::vector<std::string> wordsOf(const std::string& line) {
  std::vector<std::string> words;
  std::istringstream in(line);
  for (std::string word; in >> word;) words.push_back(word);
  return words;
}

// "key=value" words after the first, as a JSON object of strings.
std::string pairsJson(const std::string& line) {
  std::string out;
  const std::vector<std::string> words = wordsOf(line);
  for (size_t i = 1; i < words.size(); ++i) {
    const size_t equals = words[i].find('=');
    if (equals == std::string::npos) continue;
    out += (out.empty() ? "" : ",") + jsonString(words[i].substr(0, equals)) + ":" +
           jsonString(words[i].substr(equals + 1));
  }
  return "{" + out + "}";
}

// A symbology's row: where it lives, whether it is on, its lengths in the
// device's form.
std::string symbologyJson(const zorvan::SymbologyEntry& entry,
                          const std::vector<std::string>& fields) {
  const auto field = [&fields](int at) {
    return at < static_cast<int>(fields.size()) ? fields[at] : std::string("?");
  };
  std::string lengths = "none";
  if (entry.lengthForm == zorvan::LengthForm::kMinimumByte) {
    lengths = "minimum " + field(entry.lengthField);
  } else if (entry.lengthForm == zorvan::LengthForm::kLengthList) {
    lengths = "list kind " + field(entry.lengthField) + ": " + field(entry.lengthField + 1) +
              " (count " + field(entry.lengthField + 2) + ")";
  }
  const char group = static_cast<char>('A' + static_cast<int>(entry.group));
  return "{\"host\":" + std::to_string(entry.host) + ",\"vendor\":" + std::to_string(entry.vendor) +
         ",\"field\":" +
         jsonString(std::string("Group") + group + " " + std::to_string(entry.enableField)) +
         ",\"enabled\":" + jsonString(field(entry.enableField)) +
         ",\"lengths\":" + jsonString(lengths) + "}";
}

}  // namespace

std::string jsonString(const std::string& text) {
  std::string out = "\"";
  for (const char c : text) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (byte < 0x20 || byte >= 0x7F) {
      char escape[8];
      snprintf(escape, sizeof escape, "\\u%04x", byte);  // the lines are ASCII
      out += escape;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

std::string panelStateJson(const std::vector<std::string>& state,
                           const std::vector<std::string>& log) {
  std::string driver = "{}", calls = "{}", config = "null", settings = "null", labels;
  std::map<char, std::vector<std::string>> groups;
  for (const std::string& line : state) {
    const std::vector<std::string> words = wordsOf(line);
    if (words.empty()) continue;
    if (words[0] == "driver") driver = pairsJson(line);
    if (words[0] == "calls") calls = pairsJson(line);
    if (words[0] == "config" && words.size() > 1 && words[1] != "absent") config = pairsJson(line);
    if (words[0] == "group" && words.size() > 1) {
      groups[words[1][0]].assign(words.begin() + 2, words.end());
    }
    if (words[0] == "settings" && line.find(" request=") != std::string::npos) {
      const size_t request = line.find(" request=");
      std::string pairs = pairsJson(line.substr(0, request));
      pairs.pop_back();
      settings = pairs + (pairs.size() > 1 ? "," : "") +
                 "\"request\":" + jsonString(line.substr(request + 9)) + "}";
    }
    if (words[0] == "label" && words.size() >= 3) {
      // label SERIAL SYMBOLOGY TEXT: the text is all after the third blank.
      size_t at = 0;
      for (int blank = 0; blank < 3 && at != std::string::npos; ++blank)
        at = line.find(' ', at + 1);
      const std::string text = at == std::string::npos ? "" : line.substr(at + 1);
      labels += std::string(labels.empty() ? "" : ",") + "{\"serial\":" + words[1] +
                ",\"symbology\":" + words[2] + ",\"text\":" + jsonString(text) + "}";
    }
  }
  std::string symbologies;
  if (config != "null") {
    for (int i = 0; i < zorvan::kSymbologyCount; ++i) {
      const zorvan::SymbologyEntry& entry = zorvan::kSymbologyTable[i];
      symbologies +=
          (i == 0 ? "" : ",") + symbologyJson(entry, groups['A' + static_cast<int>(entry.group)]);
    }
  }
  std::string vendors;
  for (int i = 0; i < zorvan::kReportedSymbologyCount; ++i) {
    vendors += (i == 0 ? "" : ",") + std::to_string(zorvan::kReportedSymbologies[i].vendor);
  }
  std::string callLog;
  for (const std::string& line : log) callLog += (callLog.empty() ? "" : ",") + jsonString(line);
  return "{\"driver\":" + driver + ",\"calls\":" + calls + ",\"config\":" + config +
         ",\"settings\":" + settings + ",\"symbologies\":[" + symbologies + "],\"vendors\":[" +
         vendors + "],\"labels\":[" + labels + "],\"log\":[" + callLog + "]}";
}

}  // namespace scanhost
