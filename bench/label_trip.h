// A label's trip from the driver to the host and back to an idle reader, two
// ways: through the plug-in on the virtual device, and through the floor, a
// loop that does only what any plug-in must do per label. Both are driven the
// same way: the producer hands over one label and waits until the reader is
// blocked again. The benchmarks and the instruction-count runner share them.
#ifndef ZORVAN_BENCH_LABEL_TRIP_H
#define ZORVAN_BENCH_LABEL_TRIP_H

#include <stdint.h>
#include <string.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "acquisition/scan_thread.h"
#include "plugin/zorvan_scanner.h"
#include "virtual_device.h"

namespace zorvan_bench {

// The host's callbacks, the same for both: they only count.
inline std::atomic<uint32_t> gEvents{0};
inline std::atomic<uint32_t> gTones{0};
inline void countEvent(const uint8_t*) { gEvents.fetch_add(1, std::memory_order_relaxed); }
inline void countTone(int32_t, const uint8_t*, int32_t) {
  gTones.fetch_add(1, std::memory_order_relaxed);
}

// The floor. Its driver is the least a blocking driver can be: one mutex,
// one condition for the reader and one for whoever waits for the reader to
// block again, and the copy into the caller's buffer. Its reader does per
// label what the plug-in cannot skip: zero the read request and the 7095-byte
// read buffer, read, then under one lock zero the 3000-byte label buffer and
// copy the label in once, build the event record, call the event callback
// (and the tone callback once when the good-read beep is on), and read again.
// The producer waits for the reader to block again with a time limit, as
// vdev_scan_wait_idle does, so both are measured with the same harness.
class FloorTrip {
 public:
  explicit FloorTrip(bool beep) : beep_(beep), reader_([this] { readerLoop(); }) {
    std::unique_lock<std::mutex> lock(mutex_);
    ++watchers_;
    idle_.wait(lock, [this] { return blocked_; });
    --watchers_;
  }

  ~FloorTrip() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stop_ = true;
    }
    readable_.notify_one();
    reader_.join();
  }

  FloorTrip(const FloorTrip&) = delete;
  FloorTrip& operator=(const FloorTrip&) = delete;

  // Hand over one label and wait until the reader has handled it and is
  // blocked again.
  void trip(const uint8_t* data, uint32_t size) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      memcpy(queued_, data, size);
      queuedSize_ = size;
      hasLabel_ = true;
    }
    readable_.notify_one();
    std::unique_lock<std::mutex> lock(mutex_);
    ++watchers_;
    idle_.wait_for(lock, std::chrono::milliseconds(5000),
                   [this] { return !hasLabel_ && blocked_; });
    --watchers_;
  }

 private:
  // The driver's read: block until a label or the end.
  bool read(ReadRequest& request) {
    std::unique_lock<std::mutex> lock(mutex_);
    blocked_ = true;
    if (watchers_ > 0) idle_.notify_one();
    readable_.wait(lock, [this] { return hasLabel_ || stop_; });
    blocked_ = false;
    if (stop_) return false;
    const uint32_t n = queuedSize_ < request.bufferSize ? queuedSize_ : request.bufferSize;
    memcpy(request.data, queued_, n);
    request.bytesReturned = queuedSize_;
    hasLabel_ = false;
    return true;
  }

  void readerLoop() {
    uint8_t readBuffer[zorvan::kReadBufferSize];
    for (;;) {
      ReadRequest request;
      memset(&request, 0, sizeof request);
      memset(readBuffer, 0, sizeof readBuffer);
      request.data = readBuffer;
      request.bufferSize = sizeof readBuffer;
      request.timeout = -1;
      if (!read(request)) return;
      const uint32_t delivered = request.bytesReturned < zorvan::kLabelBufferSize - 1
                                     ? request.bytesReturned
                                     : zorvan::kLabelBufferSize - 1;
      {
        zorvan::MutexLocker lock(labelLock_);
        memset(labelBuffer_, 0, sizeof labelBuffer_);
        memcpy(labelBuffer_, readBuffer, delivered);
        labelLength_ = static_cast<uint16_t>(delivered);
        labelPending_ = 1;
      }
      uint8_t record[ScanEventRecordSize] = {0x87, 0xFF};
      if (delivered > 255) {
        record[9] = 1;
        record[10] = static_cast<uint8_t>(delivered >> 8);
        record[11] = static_cast<uint8_t>(delivered);
      }
      countEvent(record);
      if (beep_) {
        const uint8_t tone[ToneRecordSize] = {1, 0, 0, 0, 0x0B, 0xB8, 0, 0x5A, 0, 0x40};
        countTone(0, tone, 0);
      }
    }
  }

  const bool beep_;

  std::mutex mutex_;
  std::condition_variable readable_;
  std::condition_variable idle_;
  uint8_t queued_[VDEV_MAX_LABEL];
  uint32_t queuedSize_ = 0;
  bool hasLabel_ = false;
  bool blocked_ = false;
  bool stop_ = false;
  int watchers_ = 0;

  zorvan::Mutex labelLock_;
  uint8_t labelBuffer_[zorvan::kLabelBufferSize] ZV_GUARDED_BY(labelLock_) = {};
  uint16_t labelLength_ ZV_GUARDED_BY(labelLock_) = 0;
  uint8_t labelPending_ ZV_GUARDED_BY(labelLock_) = 0;

  std::thread reader_;  // last: starts once everything above is set up
};

// The plug-in: an object on the virtual device, enabled, its scan thread
// blocked in the driver, the good-read beep applied on or off through the
// table as a host would set it.
class PluginTrip {
 public:
  explicit PluginTrip(bool beep, zorvan::Platform& platform = zorvan::systemPlatform(),
                      const zorvan::VendorApi& vendor = zorvan::processVendorApi()) {
    vdev_reset_all();
    scanner_.reset(zorvan::ZorvanScannerInterface::create(platform, vendor));
    ScannerInterface1& host = *scanner_;
    host.SetEvtAddEventToQueueCallBack(countEvent);
    host.SetEvtPlayToneCallBack(countTone);
    host.SetGoodReadBeep(beep ? 1 : 0);
    host.ApplySettings(0);
    host.EnableScanner();
    vdev_scan_wait_blocked(1, 5000);
  }

  ~PluginTrip() {
    scanner_->DisableScanner();
    scanner_.reset();
    vdev_reset_all();
  }

  PluginTrip(const PluginTrip&) = delete;
  PluginTrip& operator=(const PluginTrip&) = delete;

  void trip(const uint8_t* data, uint32_t size) {
    vdev_scan_push_label(1, data, size);
    vdev_scan_wait_idle(5000);
  }

  ScannerInterface1& host() { return *scanner_; }

 private:
  std::unique_ptr<zorvan::ZorvanScannerInterface> scanner_;
};

}  // namespace zorvan_bench

#endif  // ZORVAN_BENCH_LABEL_TRIP_H
