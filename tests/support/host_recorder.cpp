#include "host_recorder.h"

#include <stdarg.h>
#include <stdio.h>

#include <chrono>

namespace zorvan_test {

HostRecorder& HostRecorder::instance() {
  static HostRecorder recorder;
  return recorder;
}

void HostRecorder::clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  events_.clear();
}

void HostRecorder::add(HostEvent event) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    events_.push_back(std::move(event));
  }
  changed_.notify_all();
}

std::vector<HostEvent> HostRecorder::events() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return events_;
}

std::vector<HostEvent> HostRecorder::eventsOf(HostEvent::Kind kind) const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<HostEvent> selected;
  for (const HostEvent& event : events_) {
    if (event.kind == kind) selected.push_back(event);
  }
  return selected;
}

size_t HostRecorder::count(HostEvent::Kind kind) const { return eventsOf(kind).size(); }

bool HostRecorder::waitFor(HostEvent::Kind kind, size_t wanted, int timeoutMs) const {
  std::unique_lock<std::mutex> lock(mutex_);
  return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
    size_t n = 0;
    for (const HostEvent& event : events_) n += event.kind == kind;
    return n >= wanted;
  });
}

void HostRecorder::onEvent(const uint8_t* record) {
  HostEvent event{HostEvent::kScanEvent, {}, {}, {}};
  event.bytes.assign(record, record + ScanEventRecordSize);
  instance().add(std::move(event));
}

void HostRecorder::onDebug(const char* format, ...) {
  char text[512];
  va_list arguments;
  va_start(arguments, format);
  vsnprintf(text, sizeof text, format, arguments);
  va_end(arguments);
  HostEvent event{HostEvent::kDebug, {}, text, format};
  instance().add(std::move(event));
}

void HostRecorder::onTone(int32_t zero, const uint8_t* record, int32_t zero2) {
  HostEvent event{HostEvent::kTone, {}, {}, {}};
  event.bytes.assign(record, record + ToneRecordSize);
  event.toneZero1 = zero;
  event.toneZero2 = zero2;
  instance().add(std::move(event));
}

void registerRecorder(ScannerInterface1& scanner) {
  scanner.SetEvtAddEventToQueueCallBack(HostRecorder::onEvent);
  scanner.SetEvtDebugMessageCallBack(HostRecorder::onDebug);
  scanner.SetEvtPlayToneCallBack(HostRecorder::onTone);
}

bool RecordingPlatform::pause(uint32_t milliseconds, zorvan::Event* interrupt) {
  HostEvent event{HostEvent::kSleep, {}, {}, {}};
  event.value = milliseconds;
  HostRecorder::instance().add(std::move(event));
  if (realPauses) {
    if (zorvan::systemPlatform().pause(milliseconds, interrupt)) return true;
    pausesCutShort.fetch_add(1);
    return false;
  }
  return interrupt == nullptr || !interrupt->wait(0);
}

void RecordingPlatform::alertSound(uint32_t code) {
  HostEvent event{HostEvent::kAlert, {}, {}, {}};
  event.value = code;
  HostRecorder::instance().add(std::move(event));
}

bool RecordingPlatform::startThread(zorvan::ThreadSlot& slot, zorvan::ThreadEntry entry,
                                    zorvan::ThreadAfterEnd afterEnd, void* argument) {
  if (refuseThreads) return false;
  return zorvan::systemPlatform().startThread(slot, entry, afterEnd, argument);
}

bool RecordingPlatform::waitThread(zorvan::ThreadSlot& slot, uint32_t timeoutMs) {
  ++threadWaits;
  lastWaitMs = timeoutMs;
  if (beforeThreadWait) beforeThreadWait(timeoutMs);
  if (waitLimitMs != 0 && timeoutMs > waitLimitMs) timeoutMs = waitLimitMs;
  if (extendNextWaitMs > timeoutMs) timeoutMs = extendNextWaitMs;
  extendNextWaitMs = 0;
  return zorvan::systemPlatform().waitThread(slot, timeoutMs);
}

void RecordingPlatform::pinModule() {
  if (beforeModulePin) beforeModulePin();
  ++modulePins;
}

void RecordingPlatform::detachThread(zorvan::ThreadSlot& slot) {
  zorvan::systemPlatform().detachThread(slot);
}

}  // namespace zorvan_test
