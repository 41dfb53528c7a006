// The operation reference against the plug-in: every example's call is made
// on a new object in each of the three states and must answer as the
// reference says, leaving its out-values alone when it fails; the value sets
// the reference lists are exactly those the operations accept; and the host
// guide's reference section is the one rendered from the reference.
#include "operation_reference.h"

#include <gtest/gtest.h>
#include <limits.h>
#include <string.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <regex>
#include <set>
#include <sstream>

#include "device/vendor_api.h"
#include "host_recorder.h"
#include "operations.h"
#include "plugin/zorvan_scanner.h"
#include "symbology_reference.h"
#include "virtual_device.h"

namespace zorvan_test {
namespace {

using scanhost::ObjectState;

const char* const kStateNames[] = {"opened", "no driver", "no DeviceConfig"};

// The vendor table of each state: the virtual device's, none at all, or the
// virtual device's without the device-configuration library.
const zorvan::VendorApi& vendorOf(ObjectState state) {
  static const zorvan::VendorApi withoutDeviceConfig = [] {
    zorvan::VendorApi api = zorvan::processVendorApi();
    api.ITCDeviceOpen = zorvan::unavailableVendorApi().ITCDeviceOpen;
    api.ITCDeviceClose = zorvan::unavailableVendorApi().ITCDeviceClose;
    return api;
  }();
  switch (state) {
    case scanhost::kNoDriver:
      return zorvan::unavailableVendorApi();
    case scanhost::kNoDeviceConfig:
      return withoutDeviceConfig;
    default:
      return zorvan::processVendorApi();
  }
}

class OperationReferenceTest : public ::testing::Test {
 protected:
  void SetUp() override { vdev_reset_all(); }
  void TearDown() override {
    scanner.reset();
    vdev_reset_all();
  }
  zorvan::ZorvanScannerInterface& open(ObjectState state) {
    scanner.reset();
    vdev_reset_all();
    scanner.reset(zorvan::ZorvanScannerInterface::create(platform, vendorOf(state)));
    registerRecorder(*scanner);
    return *scanner;
  }

  RecordingPlatform platform;
  std::unique_ptr<zorvan::ZorvanScannerInterface> scanner;
};

constexpr uint8_t kUntouched = 0x5A;

std::string readSource(const char* relative) {
  std::ifstream in(std::string(SOURCE_DIR) + "/" + relative, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST_F(OperationReferenceTest, EveryExampleAnswersAsTheReferenceSays) {
  for (int position = 0; position < scanhost::kOperationCount; ++position) {
    const scanhost::Operation& row = scanhost::operationAt(position);
    for (const scanhost::Example& example : row.examples) {
      for (int s = 0; s < scanhost::kObjectStateCount; ++s) {
        const ObjectState state = static_cast<ObjectState>(s);
        SCOPED_TRACE(std::string(example.call) + " on an object with " + kStateNames[s]);
        scanhost::Scratch out;
        memset(&out, kUntouched, sizeof out);
        EXPECT_EQ(example.answers[s], example.run(open(state), out));
        // The answers the fuzzer allows cover every answer shown, those of
        // the operation called last.
        std::string last = example.call;
        const size_t then = last.rfind(", then ");
        if (then != std::string::npos) last = last.substr(then + 7);
        const scanhost::Operation* answering =
            scanhost::findOperation(last.substr(0, last.find('(')));
        ASSERT_NE(nullptr, answering);
        EXPECT_TRUE(answering->answers.allows(example.answers[s])) << answering->answers.describe();
        if (example.answers[s] < 0) {
          const uint8_t* bytes = reinterpret_cast<const uint8_t*>(&out);
          EXPECT_EQ(sizeof out,
                    static_cast<size_t>(std::count(bytes, bytes + sizeof out, kUntouched)))
              << "a failing call wrote an out-value";
        }
      }
    }
  }
}

// Rows sit at their positions; every operation with a result has answers and
// an example, the others neither; scanhost's listing names them in order and
// marks the pending setters.
TEST_F(OperationReferenceTest, EveryRowIsComplete) {
  std::istringstream listing(scanhost::listOperations());
  std::string line;
  int listed = 0;
  while (std::getline(listing, line)) {
    std::istringstream words(line);
    int number = -1;
    std::string name;
    if ((words >> number >> name) && number == listed) {
      EXPECT_EQ(name, scanhost::operationAt(listed).name);
      // The listing's result says pending exactly for the rows whose effect is.
      EXPECT_EQ(scanhost::pending(scanhost::operationAt(listed)),
                line.find("pending until ApplySettings") != std::string::npos)
          << line;
      ++listed;
    }
  }
  EXPECT_EQ(scanhost::kOperationCount, listed);
  for (int p = 0; p < scanhost::kOperationCount; ++p) {
    const scanhost::Operation& row = scanhost::operationAt(p);
    EXPECT_EQ(p, row.position);
    const bool hasResult = p > 2 && p < 90;
    EXPECT_EQ(hasResult, !row.examples.empty()) << row.name;
    EXPECT_EQ(hasResult, row.answers.kind != scanhost::Answers::kNoResult) << row.name;
  }
}

// The test hosts that call the operations by hand follow the table: the
// Microsoft-ABI host calls every position by its name and the destructor
// through delete; the fault sweep probes every operation that needs
// DeviceConfig (the one whose examples answer otherwise without it).
TEST_F(OperationReferenceTest, HandWrittenHostsCallEveryOperationTheTableHas) {
  const std::string msvcHost = readSource("tests/msvc_host/msvc_host.cpp");
  const std::string faultSweep = readSource("tests/plugin/fault_sweep_test.cpp");
  ASSERT_FALSE(msvcHost.empty());
  ASSERT_FALSE(faultSweep.empty());
  for (int p = 0; p + 1 < scanhost::kOperationCount; ++p) {
    const scanhost::Operation& row = scanhost::operationAt(p);
    EXPECT_NE(std::string::npos, msvcHost.find(std::string("->") + row.name + "("))
        << "the Microsoft-ABI host does not call " << row.name;
    const bool needsDeviceConfig =
        std::any_of(row.examples.begin(), row.examples.end(), [](const scanhost::Example& e) {
          return e.answers[scanhost::kNoDeviceConfig] == ResultUnsupported &&
                 e.answers[scanhost::kOpened] != ResultUnsupported;
        });
    if (needsDeviceConfig) {
      EXPECT_NE(std::string::npos, faultSweep.find(std::string("\"") + row.name + "\""))
          << "the fault sweep does not probe " << row.name;
    }
  }
  EXPECT_NE(std::string::npos, msvcHost.find("delete ")) << "no delete through position 90";
}

// The ids, kinds, tone ids and setting ranges the reference lists are those
// the operations accept on an opened object, no more and no fewer.
TEST_F(OperationReferenceTest, ValueSetsAreWhatTheOperationsAccept) {
  using Probe = bool (*)(ScannerInterface1&, int32_t);
  struct {
    scanhost::ValueSetId set;
    Probe accepted;
  } const kProbes[] = {
      {scanhost::kSymbologyIds,
       [](ScannerInterface1& s, int32_t id) {
         return s.GetSymbologyEnabled(id) != ResultRejected;
       }},
      {scanhost::kLengthIds,
       [](ScannerInterface1& s, int32_t id) {
         uint16_t mode, first, second;
         return s.GetSymbologyLengths(id, &mode, &first, &second) != ResultRejected;
       }},
      {scanhost::kOptionIds,
       [](ScannerInterface1& s, int32_t id) { return s.GetSymbologyOption(id) != ResultRejected; }},
      {scanhost::kOption2Ids,
       [](ScannerInterface1& s, int32_t id) {
         return s.GetSymbologyOption2(id) != ResultRejected;
       }},
      {scanhost::kOptionKinds,
       [](ScannerInterface1& s, int32_t kind) {
         return s.GetOptionIByKind(kind) != ResultRejected;
       }},
      {scanhost::kDeviceOptionKinds,
       [](ScannerInterface1& s, int32_t kind) { return s.SetOptionIByKind(kind, 1) == ResultOk; }},
      {scanhost::kDurationIds,
       [](ScannerInterface1& s, int32_t id) { return s.GetToneDuration(id) != ResultUnsupported; }},
      {scanhost::kFrequencyIds,
       [](ScannerInterface1& s, int32_t id) {
         return s.GetToneFrequency(id) != ResultUnsupported;
       }},
      {scanhost::kLevels,
       [](ScannerInterface1& s, int32_t value) { return s.SetStoredLevel1(value) == ResultOk; }},
      {scanhost::kLevels,
       [](ScannerInterface1& s, int32_t value) { return s.SetStoredLevel2(value) == ResultOk; }},
      {scanhost::kLevels,
       [](ScannerInterface1& s, int32_t value) { return s.SetStoredLevel3(value) == ResultOk; }},
      {scanhost::kCodes,
       [](ScannerInterface1& s, int32_t value) { return s.SetStoredCode(value) == ResultOk; }},
      {scanhost::kSelectors,
       [](ScannerInterface1& s, int32_t value) { return s.SetStoredSelector(value) == ResultOk; }},
      {scanhost::kSecondSelectors,
       [](ScannerInterface1& s, int32_t value) { return s.SetStoredSelector2(value) == ResultOk; }},
      {scanhost::kAffixModes,
       [](ScannerInterface1& s, int32_t value) { return s.SetAffixMode(value) == ResultOk; }},
  };
  // Around every set, and values whose low 16 bits or sign would pass.
  std::vector<int32_t> candidates = {INT32_MIN, -65536 + 4, 65536, 65536 + 4, INT32_MAX};
  for (int32_t value = -300; value <= 300; ++value) candidates.push_back(value);
  std::sort(candidates.begin(), candidates.end());
  zorvan::ZorvanScannerInterface& s = open(scanhost::kOpened);
  for (const auto& probe : kProbes) {
    const scanhost::ValueSet& set = scanhost::valueSet(probe.set);
    std::vector<int32_t> accepted;
    for (int32_t value : candidates) {
      if (probe.accepted(s, value)) accepted.push_back(value);
    }
    EXPECT_EQ(set.values, accepted) << set.name;
  }
}

// Enabling one symbology enables exactly the ids the reference says share
// its field.
TEST_F(OperationReferenceTest, SharedEnableFieldsAreWhatTheDeviceShares) {
  const std::vector<int32_t>& ids = scanhost::valueSet(scanhost::kSymbologyIds).values;
  for (int32_t id : ids) {
    std::vector<int32_t> expected = {id};
    for (const std::vector<int32_t>& group : scanhost::kSharedEnableFields) {
      if (std::find(group.begin(), group.end(), id) != group.end()) expected = group;
    }
    zorvan::ZorvanScannerInterface& s = open(scanhost::kOpened);
    ASSERT_EQ(ResultOk, s.SetSymbologyEnabled(id, 1));
    std::vector<int32_t> enabled;
    for (int32_t other : ids) {
      if (s.GetSymbologyEnabled(other) == 1) enabled.push_back(other);
    }
    EXPECT_EQ(expected, enabled) << "enabling " << id;
  }
}

TEST_F(OperationReferenceTest, FixedTextsAreTheOperationsTexts) {
  zorvan::ZorvanScannerInterface& s = open(scanhost::kNoDriver);
  char text[64];
  ASSERT_EQ(ResultOk, s.GetScannerModelName(text, sizeof text));
  EXPECT_STREQ(scanhost::kModelNameText, text);
  ASSERT_EQ(ResultOk, s.GetInterfaceId(text, sizeof text));
  EXPECT_STREQ(scanhost::kInterfaceIdText, text);
}

// Each rendered section of the guide, between its two markers, is the one
// rendered from the data, byte for byte ("cmake --build --preset default
// --target host-guide-reference" renders them anew).
struct RenderedSection {
  const char* name;
  const char* begin;
  const char* end;
  std::string (*render)();
};

void PrintTo(const RenderedSection& section, std::ostream* os) { *os << section.name; }

class HostGuideSection : public ::testing::TestWithParam<RenderedSection> {};

TEST_P(HostGuideSection, GuideHoldsTheRenderedSection) {
  std::ifstream in(HOST_GUIDE_PATH, std::ios::binary);
  ASSERT_TRUE(in.good()) << "cannot read " << HOST_GUIDE_PATH;
  std::stringstream text;
  text << in.rdbuf();
  const std::string guide = text.str();
  const std::string begin = std::string(GetParam().begin) + "\n";
  const size_t from = guide.find(begin);
  const size_t to = guide.find(std::string(GetParam().end) + "\n");
  ASSERT_NE(std::string::npos, from) << "no section in the guide: " << begin;
  ASSERT_NE(std::string::npos, to) << "no end to the section in the guide: " << begin;
  std::istringstream rendered(GetParam().render());
  std::istringstream written(guide.substr(from + begin.size(), to - from - begin.size()));
  for (int line = 1;; ++line) {
    std::string renderedLine = "(end)", writtenLine = "(end)";
    const bool moreRendered = static_cast<bool>(std::getline(rendered, renderedLine));
    const bool moreWritten = static_cast<bool>(std::getline(written, writtenLine));
    if (!moreRendered && !moreWritten) break;
    ASSERT_EQ(renderedLine, writtenLine) << "line " << line << " of the section; render it "
                                         << "anew with the target host-guide-reference";
  }
}

INSTANTIATE_TEST_SUITE_P(
    Sections, HostGuideSection,
    ::testing::Values(RenderedSection{"OperationReference", scanhost::kReferenceBeginMarker,
                                      scanhost::kReferenceEndMarker, scanhost::referenceSection},
                      RenderedSection{"SymbologyNumbers", scanhost::kSymbologyBeginMarker,
                                      scanhost::kSymbologyEndMarker, scanhost::symbologySection}));

std::string readText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string trimmed(const std::string& line) {
  const size_t first = line.find_first_not_of(' ');
  return first == std::string::npos ? ""
                                    : line.substr(first, line.find_last_not_of(' ') + 1 - first);
}

struct GuideCode {
  const char* guide;    // in docs/
  const char* section;  // the heading of the part holding the code; "": the whole page
  const char* example;  // in examples/
};

void PrintTo(const GuideCode& code, std::ostream* os) { *os << code.guide; }

class GuideCodeTest : public ::testing::TestWithParam<GuideCode> {};

// Every line of every C++ block of the part is a line of the example, which
// the package test builds and runs.
TEST_P(GuideCodeTest, IsTheExamplesOwn) {
  std::string page = readText(std::string(DOCS_DIR) + "/" + GetParam().guide);
  ASSERT_FALSE(page.empty()) << GetParam().guide;
  if (*GetParam().section != '\0') {
    const size_t from = page.find(std::string("\n") + GetParam().section + "\n");
    ASSERT_NE(std::string::npos, from) << GetParam().section;
    page = page.substr(from, page.find("\n## ", from + 1) - from);
  }
  std::set<std::string> exampleLines;
  std::istringstream example(readText(std::string(SOURCE_DIR) + "/examples/" + GetParam().example));
  for (std::string line; std::getline(example, line);) exampleLines.insert(trimmed(line));
  std::istringstream lines(page);
  int blocks = 0;
  bool inCode = false;
  for (std::string line; std::getline(lines, line);) {
    const std::string text = trimmed(line);
    if (text == "```cpp" || (inCode && text == "```")) {
      inCode = !inCode;
      blocks += inCode ? 1 : 0;
    } else if (inCode) {
      EXPECT_EQ(1u, exampleLines.count(text)) << "not in " << GetParam().example << ": " << text;
    }
  }
  EXPECT_LT(3, blocks);
}

INSTANTIATE_TEST_SUITE_P(
    Guides, GuideCodeTest,
    ::testing::Values(GuideCode{"host-integration.md", "## A first host, step by step",
                                "first_host.cpp"},
                      GuideCode{"virtual-device.md", "", "virtual_device_test.cpp"}));

// The virtual device's page describes every control function its header
// declares.
TEST(VirtualDevicePage, DescribesEveryControl) {
  const std::string page = readText(std::string(DOCS_DIR) + "/virtual-device.md");
  const std::string header =
      readText(std::string(SOURCE_DIR) + "/virtual/include/virtual_device.h");
  const std::regex declared("VDEV_API [^;(]*[ *](vdev_[a-z_]+)\\(");
  int controls = 0;
  for (std::sregex_iterator found(header.begin(), header.end(), declared), end; found != end;
       ++found, ++controls) {
    EXPECT_NE(std::string::npos, page.find("`" + (*found)[1].str() + "("))
        << (*found)[1].str() << " is not described";
  }
  EXPECT_LT(40, controls);
}

}  // namespace
}  // namespace zorvan_test
