// Host interface of the scanner plug-in.
//
// A host loads the plug-in, resolves the single export NewScanner and drives
// the returned object through the 91 virtual operations below, in this exact
// order. The order is the calling contract: never reorder, insert or remove.
#ifndef SCANNER_INTERFACE1_H
#define SCANNER_INTERFACE1_H

#include <stdint.h>

// Status values. Every operation from position 3 to 89 returns a 16-bit
// signed value that is either a value (a flag 0/1, a number) or one of these.
enum : int16_t {
  ResultOk = 0,            // done
  ResultUnsupported = -2,  // not supported, or the device refused a query or a scanner call
  ResultRejected = -4,     // bad argument, wrong state, or a device change failed
};

// Sizes of the byte records exchanged with the host. Multi-byte fields inside
// them are big-endian.
enum : int32_t {
  ScanEventRecordSize = 24,
  ToneRecordSize = 10,
  LabelRecordSize = 264,
};

// Called on the scan thread once per label with a 24-byte scan event record.
typedef void (*EventQueueCallback)(const uint8_t* scanEventRecord);
// printf-style debug output; called on the scan thread and by EnableScanner.
typedef void (*DebugMessageCallback)(const char* format, ...);
// Called with (0, 10-byte tone record, 0) by whichever thread plays a tone.
typedef void (*PlayToneCallback)(int32_t zero, const uint8_t* toneRecord, int32_t zero2);

class ScannerInterface1 {
 public:
  virtual void SetEvtAddEventToQueueCallBack(EventQueueCallback callback) = 0;  // 0
  virtual void SetEvtDebugMessageCallBack(DebugMessageCallback callback) = 0;   // 1
  virtual void SetEvtPlayToneCallBack(PlayToneCallback callback) = 0;           // 2
  virtual int16_t DisableAuxFlag() = 0;                                         // 3
  virtual int16_t EnableAuxFlag() = 0;                                          // 4
  virtual int16_t PlayTonePattern(uint32_t pattern) = 0;                        // 5
  virtual int16_t NotSupported6() = 0;                                          // 6
  virtual int16_t ReadLedOff() = 0;                                             // 7
  virtual int16_t ReadLedOn() = 0;                                              // 8
  virtual int16_t ResetToDefaults() = 0;                                        // 9
  virtual int16_t DisableScanner() = 0;                                         // 10
  virtual int16_t EnableScanner() = 0;                                          // 11
  virtual int16_t ApplySettings(int32_t tonePattern) = 0;                       // 12
  virtual int16_t StartSoftwareTrigger() = 0;                                   // 13
  virtual int16_t StopSoftwareTrigger() = 0;                                    // 14
  virtual int16_t NotSupported15() = 0;                                         // 15
  virtual int16_t NotSupported16() = 0;                                         // 16
  virtual int16_t GetStoredLevel2() = 0;                                        // 17
  virtual int16_t GetAuxFlag() = 0;                                             // 18
  virtual int16_t GetStoredCode() = 0;                                          // 19
  virtual int16_t GetSymbologyEnabled(int32_t id) = 0;                          // 20
  virtual int16_t GetSymbologyLengths(int32_t id, uint16_t* mode, uint16_t* first,
                                      uint16_t* second) = 0;                            // 21
  virtual int16_t GetGoodReadBeep() = 0;                                                // 22
  virtual int16_t GetToneDuration(int32_t id) = 0;                                      // 23
  virtual int16_t GetToneFrequency(int32_t id) = 0;                                     // 24
  virtual int16_t GetStoredFlag1() = 0;                                                 // 25
  virtual int16_t GetOptionB2() = 0;                                                    // 26
  virtual int16_t NoOpA() = 0;                                                          // 27
  virtual int16_t GetOptionA4() = 0;                                                    // 28
  virtual int16_t GetOptionA1() = 0;                                                    // 29
  virtual int16_t GetOptionIByKind(int32_t kind) = 0;                                   // 30
  virtual int16_t GetLastLabelRecord(uint8_t* record) = 0;                              // 31
  virtual int16_t GetStoredLevel3() = 0;                                                // 32
  virtual int16_t GetScannerModelName(char* buffer, int32_t size) = 0;                  // 33
  virtual int16_t GetOptionITriple() = 0;                                               // 34
  virtual int16_t FixedTrueA() = 0;                                                     // 35
  virtual int16_t GetOptionIKind3() = 0;                                                // 36
  virtual int16_t ReadLabel(int32_t maxCount, int16_t* symbology, char* buffer) = 0;    // 37
  virtual int16_t NotSupported38() = 0;                                                 // 38
  virtual int16_t GetOptionE1() = 0;                                                    // 39
  virtual int16_t GetStoredLevel1() = 0;                                                // 40
  virtual int16_t GetStoredSelector() = 0;                                              // 41
  virtual int16_t GetReadLedState() = 0;                                                // 42
  virtual int16_t FixedTrueB() = 0;                                                     // 43
  virtual int16_t GetOptionF1Bit1() = 0;                                                // 44
  virtual int16_t GetOptionB1() = 0;                                                    // 45
  virtual int16_t GetAffixChars(int8_t* prefix, int8_t* suffix1, int8_t* suffix2) = 0;  // 46
  virtual int16_t GetAffixMode() = 0;                                                   // 47
  virtual int16_t IsScannerEnabled() = 0;                                               // 48
  virtual int16_t GetBuildVersion(char* buffer, int32_t size) = 0;                      // 49
  virtual int16_t GetInterfaceId(char* buffer, int32_t size) = 0;                       // 50
  virtual int16_t NotSupported51() = 0;                                                 // 51
  virtual int16_t GetSymbologyOption(int32_t id) = 0;                                   // 52
  virtual int16_t GetOptionJ() = 0;                                                     // 53
  virtual int16_t GetTriggerMode() = 0;                                                 // 54
  virtual int16_t NotSupported55() = 0;                                                 // 55
  virtual int16_t GetStoredSelector2() = 0;                                             // 56
  virtual int16_t GetSymbologyOption2(int32_t id) = 0;                                  // 57
  virtual int16_t SetStoredLevel2(int32_t value) = 0;                                   // 58
  virtual int16_t SetStoredCode(int32_t value) = 0;                                     // 59
  virtual int16_t SetSymbologyEnabled(int32_t id, int32_t flag) = 0;                    // 60
  virtual int16_t SetSymbologyLengths(int32_t id, uint16_t mode, uint16_t first,
                                      uint16_t second) = 0;                          // 61
  virtual int16_t SetGoodReadBeep(int32_t flag) = 0;                                 // 62
  virtual int16_t SetToneDuration(int32_t id, int32_t value) = 0;                    // 63
  virtual int16_t SetToneFrequency(int32_t id, int32_t value) = 0;                   // 64
  virtual int16_t SetStoredFlag1(int32_t flag) = 0;                                  // 65
  virtual int16_t SetOptionB2(int32_t flag) = 0;                                     // 66
  virtual int16_t NotSupported67() = 0;                                              // 67
  virtual int16_t SetOptionA4(int32_t flag) = 0;                                     // 68
  virtual int16_t SetOptionA1(int32_t flag) = 0;                                     // 69
  virtual int16_t SetOptionIByKind(int32_t kind, int32_t flag) = 0;                  // 70
  virtual int16_t SetStoredLevel3(int32_t value) = 0;                                // 71
  virtual int16_t SetOptionITriple(int32_t state) = 0;                               // 72
  virtual int16_t NoOpB() = 0;                                                       // 73
  virtual int16_t SetOptionIKind3(int32_t flag) = 0;                                 // 74
  virtual int16_t NotSupported75() = 0;                                              // 75
  virtual int16_t SetOptionE1(int32_t state) = 0;                                    // 76
  virtual int16_t SetStoredLevel1(int32_t value) = 0;                                // 77
  virtual int16_t SetStoredSelector(int32_t value) = 0;                              // 78
  virtual int16_t AcceptValueOne(int32_t value) = 0;                                 // 79
  virtual int16_t SetOptionF1Bit1(int32_t flag) = 0;                                 // 80
  virtual int16_t SetOptionB1(int32_t flag) = 0;                                     // 81
  virtual int16_t SetAffixChars(int8_t prefix, int8_t suffix1, int8_t suffix2) = 0;  // 82
  virtual int16_t SetAffixMode(int32_t mode) = 0;                                    // 83
  virtual int16_t NotSupported84() = 0;                                              // 84
  virtual int16_t SetSymbologyOption(int32_t id, int32_t value) = 0;                 // 85
  virtual int16_t SetOptionJ(int32_t state) = 0;                                     // 86
  virtual int16_t SetTriggerMode(int32_t mode) = 0;                                  // 87
  virtual int16_t SetStoredSelector2(int32_t value) = 0;                             // 88
  virtual int16_t SetSymbologyOption2(int32_t id, uint16_t value) = 0;               // 89
  virtual ~ScannerInterface1() {}                                                    // 90
};

// The plug-in's only export. Returns a new scanner object, or null when
// memory for it cannot be obtained. The host deletes it through the virtual
// destructor.
extern "C" ScannerInterface1* NewScanner(void);
typedef ScannerInterface1* (*NewScannerFunction)(void);

#endif  // SCANNER_INTERFACE1_H
