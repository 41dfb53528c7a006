// Labels arriving from the scan thread while two host threads retrieve them:
// each label reaches the host at most once, whole, and with nothing else
// going on each label reaches it exactly once.
#include <gtest/gtest.h>
#include <stdio.h>
#include <string.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "common/byte_order.h"
#include "scanner_fixture.h"

namespace zorvan_test {
namespace {

// Driver symbologies with a non-zero reported number, and those numbers.
const int32_t kVendorSymbologies[] = {1, 2, 4, 5, 7, 11, 12, 13, 19, 63};
const int16_t kReportedSymbologies[] = {1, 7, 6, 2, 3, 14, 17, 4, 255, 9};
constexpr int kSymbologies = sizeof kVendorSymbologies / sizeof kVendorSymbologies[0];

// Label i: "label-<i>-" followed by i % 40 copies of a letter, so a mixture
// of two labels never reads as a valid one.
std::string labelText(int i) {
  char head[32];
  snprintf(head, sizeof head, "label-%d-", i);
  return std::string(head) +
         std::string(static_cast<size_t>(i % 40), static_cast<char>('a' + i % 26));
}

struct Received {
  std::string text;
  int16_t symbology;
};

// Retrieves until told to stop, one thread by text and one by record.
class Retriever {
 public:
  Retriever(zorvan::ZorvanScannerInterface& scanner, bool byRecord, std::atomic<int>& total)
      : scanner_(scanner), byRecord_(byRecord), total_(total) {}

  void start() {
    thread_ = std::thread([this] { run(); });
  }
  void stop() {
    if (!thread_.joinable()) return;
    stop_.store(true);
    thread_.join();
  }
  const std::vector<Received>& received() const { return received_; }

 private:
  void run() {
    while (!stop_.load()) {
      Received got;
      if (byRecord_ ? fetchRecord(got) : fetchText(got)) {
        received_.push_back(got);
        total_.fetch_add(1);
      } else {
        std::this_thread::yield();
      }
    }
  }

  bool fetchText(Received& got) {
    char buffer[128];
    int16_t symbology = -1;
    if (scanner_.ReadLabel(sizeof buffer - 1, &symbology, buffer) != ResultOk) return false;
    if (buffer[0] == 0) return false;
    got = {buffer, symbology};
    return true;
  }

  bool fetchRecord(Received& got) {
    uint8_t record[LabelRecordSize];
    if (scanner_.GetLastLabelRecord(record) != ResultOk) return false;
    const uint16_t length = zorvan::getBigEndian16(record);
    const int16_t symbology = static_cast<int16_t>(zorvan::getBigEndian16(record + 2));
    if (symbology == 0) return false;  // the no-label record; every label here has one
    got = {std::string(reinterpret_cast<const char*>(record + 6), length), symbology};
    return true;
  }

  zorvan::ZorvanScannerInterface& scanner_;
  const bool byRecord_;
  std::atomic<int>& total_;
  std::atomic<bool> stop_{false};

  std::thread thread_;
  std::vector<Received> received_;
};

// Two host threads retrieving at once, one by text and one by record. They
// stop when the pair goes, also when an assertion ends a test early.
struct RetrieverPair {
  explicit RetrieverPair(zorvan::ZorvanScannerInterface& scanner)
      : byText(scanner, false, total), byRecord(scanner, true, total) {
    byText.start();
    byRecord.start();
  }
  ~RetrieverPair() { stop(); }
  void stop() {
    byText.stop();
    byRecord.stop();
  }

  std::atomic<int> total{0};
  Retriever byText;
  Retriever byRecord;
};

class LabelDeliveryTest : public ScannerTest {
 protected:
  void push(int i) {
    const std::string text = labelText(i);
    const int32_t symbology = kVendorSymbologies[i % kSymbologies];
    while (vdev_scan_push_label(symbology, reinterpret_cast<const uint8_t*>(text.data()),
                                static_cast<uint32_t>(text.size())) != 0) {
      std::this_thread::yield();  // the driver's queue is full
    }
  }

  // How often each label was received; fails on any label that is not
  // exactly one that was pushed.
  std::vector<int> deliveries(const Retriever& a, const Retriever& b, int labels) {
    std::vector<int> counts(static_cast<size_t>(labels), 0);
    for (const Retriever* retriever : {&a, &b}) {
      for (const Received& got : retriever->received()) {
        int i = -1;
        if (sscanf(got.text.c_str(), "label-%d-", &i) != 1 || i < 0 || i >= labels) {
          ADD_FAILURE() << "not a pushed label: " << got.text;
          continue;
        }
        EXPECT_EQ(labelText(i), got.text);
        EXPECT_EQ(kReportedSymbologies[i % kSymbologies], got.symbology) << got.text;
        ++counts[static_cast<size_t>(i)];
      }
    }
    return counts;
  }
};

TEST_F(LabelDeliveryTest, EachLabelIsDeliveredExactlyOnceBetweenTwoThreads) {
  auto& s = open();
  ASSERT_EQ(ResultOk, s.EnableScanner());
  RetrieverPair retrievers(s);
  std::atomic<int>& total = retrievers.total;
  Retriever& byText = retrievers.byText;
  Retriever& byRecord = retrievers.byRecord;

  constexpr int kLabels = 2000;
  for (int i = 0; i < kLabels; ++i) {
    push(i);
    ASSERT_EQ(1, vdev_scan_wait_idle(5000));
    // The next label only once this one was taken, so none is replaced
    // unseen.
    for (int spin = 0; total.load() < i + 1 && spin < 5000000; ++spin) std::this_thread::yield();
    ASSERT_EQ(i + 1, total.load()) << "deliveries once label " << i << " arrived";
  }
  retrievers.stop();

  const std::vector<int> counts = deliveries(byText, byRecord, kLabels);
  for (int i = 0; i < kLabels; ++i) EXPECT_EQ(1, counts[static_cast<size_t>(i)]) << "label " << i;
  EXPECT_EQ(static_cast<size_t>(kLabels), byText.received().size() + byRecord.received().size());
}

// Labels arriving faster than the host takes them replace one another; none
// is delivered twice or torn, and the last one is always there to take.
TEST_F(LabelDeliveryTest, UnpacedLabelsAreDeliveredAtMostOnceAndWhole) {
  auto& s = open();
  ASSERT_EQ(ResultOk, s.EnableScanner());
  RetrieverPair retrievers(s);
  Retriever& byText = retrievers.byText;
  Retriever& byRecord = retrievers.byRecord;

  constexpr int kLabels = 5000;
  for (int i = 0; i < kLabels; ++i) push(i);
  ASSERT_EQ(1, vdev_scan_wait_idle(5000));
  zorvan::LabelStore::Contents contents;
  for (int spin = 0; spin < 5000000; ++spin) {
    s.state().labels.inspect(contents);
    if (!contents.pending) break;
    std::this_thread::yield();
  }
  retrievers.stop();

  const std::vector<int> counts = deliveries(byText, byRecord, kLabels);
  for (int i = 0; i < kLabels; ++i) EXPECT_LE(counts[static_cast<size_t>(i)], 1) << "label " << i;
  EXPECT_EQ(1, counts[kLabels - 1]);
  EXPECT_EQ(static_cast<size_t>(kLabels), host().count(HostEvent::kScanEvent));
}

}  // namespace
}  // namespace zorvan_test
