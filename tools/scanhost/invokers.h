// How scanhost makes each call of the operation table: plain integer
// arguments straight from the interface's own declaration, the callback
// registrations, and the operations that hand the plug-in memory (checked
// for writes past what it was given).
#ifndef SCANHOST_INVOKERS_H
#define SCANHOST_INVOKERS_H

#include <stddef.h>
#include <stdint.h>

#include <type_traits>
#include <utility>

#include "call_kinds.h"
#include "operation_table.h"

namespace scanhost {

// How long a pushed label may take to be read and handled.
constexpr uint32_t kLabelTimeoutMs = 5000;

// The argument kind of a parameter type of the interface.
template <typename T>
constexpr const ArgKind* kindOf() {
  if (std::is_same<T, int8_t>::value) return &kByte;
  if (std::is_same<T, uint16_t>::value) return &kUnsigned16;
  return std::is_same<T, uint32_t>::value ? &kUnsigned32 : &kInt32;
}

// Operations whose arguments are all plain integers: the argument kinds come
// from the interface's own declaration, so the table cannot disagree with it.
template <typename... A>
constexpr std::array<const ArgKind*, kMaxArgs> kindsOf(int16_t (ScannerInterface1::*)(A...)) {
  return {kindOf<A>()...};
}

// Arguments were checked against their kind; the cast keeps the low bits, so
// 4294967295 reaches a 32-bit parameter as -1 (0xFFFFFFFF).
template <typename... A, size_t... I>
int16_t callWith(ScannerInterface1* scanner, int16_t (ScannerInterface1::*method)(A...),
                 [[maybe_unused]] const int64_t* args, std::index_sequence<I...>) {
  return (scanner->*method)(static_cast<A>(args[I])...);
}

template <typename... A>
int16_t callWith(ScannerInterface1* scanner, int16_t (ScannerInterface1::*method)(A...),
                 const int64_t* args) {
  return callWith(scanner, method, args, std::index_sequence_for<A...>{});
}

template <auto method>
void invokePlain(Session& session, const Call& call, CallResult* result) {
  result->value = callWith(session.scanner, method, call.args);
}

// Registers the host's callback with `on`, none with `off`.
template <auto setter, auto callback>
void registerCallback(Session& session, const Call& call, CallResult*) {
  (session.scanner->*setter)(call.args[0] != 0 ? session.*callback : nullptr);
}

// The text the plug-in wrote into `room` bytes of a buffer of `bufferSize`
// (filled beforehand), up to its zero; a write past the room, or a text that
// fills the room without its zero, is a fault.
void takeText(const uint8_t* buffer, size_t bufferSize, size_t room, bool emptyNeedsZero,
              CallResult* result);
// Memory handed to the plug-in is filled with kFill and followed by guard
// bytes, so that writes past what the plug-in was given show up.
constexpr uint8_t kFill = 0xA5;
constexpr size_t kGuardBytes = 16;

// GetScannerModelName, GetBuildVersion, GetInterfaceId.
void getText(int16_t (ScannerInterface1::*method)(char*, int32_t), Session& session,
             const Call& call, CallResult* result);
template <int16_t (ScannerInterface1::*M)(char*, int32_t)>
void getTextOf(Session& session, const Call& call, CallResult* result) {
  getText(M, session, call, result);
}

void destroy(Session& session, const Call& call, CallResult* result);
void getSymbologyLengths(Session& session, const Call& call, CallResult* result);
void getAffixChars(Session& session, const Call& call, CallResult* result);
void getLastLabelRecord(Session& session, const Call& call, CallResult* result);
void readLabel(Session& session, const Call& call, CallResult* result);
void newScanner(Session& session, const Call& call, CallResult* result);
void pushLabel(Session& session, const Call& call, CallResult* result);

}  // namespace scanhost

#endif  // SCANHOST_INVOKERS_H
