#include "invokers.h"

#include <string.h>

#include <algorithm>
#include <initializer_list>
#include <string>

#include "records.h"

namespace scanhost {

namespace {

void setNumbers(std::initializer_list<int64_t> numbers, CallResult* result) {
  std::copy(numbers.begin(), numbers.end(), result->outValues);
  result->numbers = static_cast<int>(numbers.size());
}

void checkBounds(const uint8_t* buffer, size_t bufferSize, size_t given, CallResult* result) {
  if (std::any_of(buffer + given, buffer + bufferSize, [](uint8_t b) { return b != kFill; })) {
    result->fault = "wrote past the " + std::to_string(given) + " bytes it was given";
  }
}

}  // namespace

// Without the zero, a text that fills the room is a fault, and so is an
// empty room when `emptyNeedsZero`.
void takeText(const uint8_t* buffer, size_t bufferSize, size_t room, bool emptyNeedsZero,
              CallResult* result) {
  checkBounds(buffer, bufferSize, room, result);
  if (result->value != ResultOk) return;
  const size_t length = std::find(buffer, buffer + room, 0) - buffer;
  if (length == room && (room > 0 || emptyNeedsZero) && result->fault.empty()) {
    result->fault = "left no terminating zero within the " + std::to_string(room) + " bytes";
  }
  result->outBytes.assign(reinterpret_cast<const char*>(buffer), length);
}

void getSymbologyLengths(Session& session, const Call& call, CallResult* result) {
  uint16_t mode = 0, first = 0, second = 0;
  const int32_t id = static_cast<int32_t>(call.args[0]);
  result->value = session.scanner->GetSymbologyLengths(id, &mode, &first, &second);
  setNumbers({mode, first, second}, result);
}

void getAffixChars(Session& session, const Call&, CallResult* result) {
  int8_t prefix = 0, suffix1 = 0, suffix2 = 0;
  result->value = session.scanner->GetAffixChars(&prefix, &suffix1, &suffix2);
  setNumbers({prefix, suffix1, suffix2}, result);
}

void getLastLabelRecord(Session& session, const Call&, CallResult* result) {
  uint8_t record[LabelRecordSize + kGuardBytes];
  memset(record, kFill, sizeof record);
  result->value = session.scanner->GetLastLabelRecord(record);
  checkBounds(record, sizeof record, LabelRecordSize, result);
  const LabelRecordFields fields = decodeLabelRecord(record);
  setNumbers({fields.length, fields.symbology, fields.reserved}, result);
  result->outBytes.assign(reinterpret_cast<const char*>(fields.data), fields.shownLength);
}

void readLabel(Session& session, const Call& call, CallResult* result) {
  uint8_t buffer[kLabelBufferSize + kGuardBytes];
  memset(buffer, kFill, sizeof buffer);
  int16_t symbology = 0;
  const int32_t count = static_cast<int32_t>(call.args[0]);
  result->value = session.scanner->ReadLabel(count, &symbology, reinterpret_cast<char*>(buffer));
  // The plug-in may write the count's bytes and a terminating zero.
  takeText(buffer, sizeof buffer, count >= 0 ? count + size_t{1} : 0, true, result);
  setNumbers({symbology, static_cast<int64_t>(result->outBytes.size())}, result);
}

void getText(int16_t (ScannerInterface1::*method)(char*, int32_t), Session& session,
             const Call& call, CallResult* result) {
  uint8_t buffer[kTextBufferSize + kGuardBytes];
  memset(buffer, kFill, sizeof buffer);
  const int32_t size = static_cast<int32_t>(call.args[0]);
  result->value = (session.scanner->*method)(reinterpret_cast<char*>(buffer), size);
  takeText(buffer, sizeof buffer, size > 0 ? static_cast<size_t>(size) : 0, false, result);
}

void newScanner(Session& session, const Call&, CallResult* result) {
  if (session.scanner != nullptr) {
    result->notCalled = "NewScanner: an object exists already (call Destructor first)";
  } else if ((session.scanner = session.newScanner()) == nullptr) {
    result->notCalled = "NewScanner returned no object";
  } else {
    session.scanner->SetEvtAddEventToQueueCallBack(session.eventCallback);
    session.scanner->SetEvtDebugMessageCallBack(session.debugCallback);
    session.scanner->SetEvtPlayToneCallBack(session.toneCallback);
    result->hostResult = "object, callbacks registered";
  }
}

// The label goes into the virtual device's queue; when the scanner is
// enabled, waits until the scan thread has handled it.
void pushLabel(Session& session, const Call& call, CallResult* result) {
  if (session.pushLabel == nullptr) {
    result->notCalled = "PushLabel needs the virtual device (--virtual none was given)";
  } else if (session.pushLabel(static_cast<int32_t>(call.args[0]),
                               reinterpret_cast<const uint8_t*>(call.label.data()),
                               static_cast<uint32_t>(call.label.size())) != 0) {
    result->notCalled = "PushLabel: the virtual device refused the label (its queue is full)";
  } else if (session.scannerEnabled() == 0) {
    result->hostResult = "queued (the scanner is disabled; it reads the label once enabled)";
  } else if (session.waitIdle(kLabelTimeoutMs) != 1) {
    result->notCalled = "PushLabel: the scanner did not take the label within " +
                        std::to_string(kLabelTimeoutMs) + " ms";
  } else {
    result->hostResult = "read";
  }
}

void destroy(Session& session, const Call&, CallResult*) {
  delete session.scanner;
  session.scanner = nullptr;
}

}  // namespace scanhost
