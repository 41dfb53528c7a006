// The plug-in's scanner object: the one implementation of the host
// interface. Each operation is a thin call into the owner or routine of its
// area; the operations are defined, by area, in:
//   src/plugin/lifecycle.cpp            construction, destruction, callbacks,
//                                       enable/disable, trigger, LED
//   src/plugin/fixed_operations.cpp     fixed answers and the three texts
//   src/plugin/label_operations.cpp     ReadLabel, GetLastLabelRecord
//   src/plugin/tone_operations.cpp      tone patterns and tone parameters
//   src/plugin/settings_operations.cpp  settings, apply and reset
//   src/plugin/symbology_operations.cpp symbology enabling, lengths, options
#ifndef ZORVAN_PLUGIN_ZORVAN_SCANNER_H
#define ZORVAN_PLUGIN_ZORVAN_SCANNER_H

#include "plugin/scanner_state.h"
#include "scanner_interface1.h"

namespace zorvan {

class ZorvanScannerInterface final : public ScannerInterface1 {
 public:
  // A new object on the given platform and vendor libraries, constructed as
  // the host sees it: opened, or half-open when the driver or DeviceConfig
  // could not be had. Null only when memory cannot be obtained.
  static ZorvanScannerInterface* create(Platform& platform, const VendorApi& vendor);
  ~ZorvanScannerInterface() override;

  ZorvanScannerInterface(const ZorvanScannerInterface&) = delete;
  ZorvanScannerInterface& operator=(const ZorvanScannerInterface&) = delete;

  // For the library's own tests and tools.
  ScannerState& state() { return *state_; }
  SymbologyConfig& symbology() { return state_->symbology; }

  void SetEvtAddEventToQueueCallBack(EventQueueCallback callback) override;  // 0
  void SetEvtDebugMessageCallBack(DebugMessageCallback callback) override;   // 1
  void SetEvtPlayToneCallBack(PlayToneCallback callback) override;           // 2
  int16_t DisableAuxFlag() override;                                         // 3
  int16_t EnableAuxFlag() override;                                          // 4
  int16_t PlayTonePattern(uint32_t pattern) override;                        // 5
  int16_t NotSupported6() override;                                          // 6
  int16_t ReadLedOff() override;                                             // 7
  int16_t ReadLedOn() override;                                              // 8
  int16_t ResetToDefaults() override;                                        // 9
  int16_t DisableScanner() override;                                         // 10
  int16_t EnableScanner() override;                                          // 11
  int16_t ApplySettings(int32_t tonePattern) override;                       // 12
  int16_t StartSoftwareTrigger() override;                                   // 13
  int16_t StopSoftwareTrigger() override;                                    // 14
  int16_t NotSupported15() override;                                         // 15
  int16_t NotSupported16() override;                                         // 16
  int16_t GetStoredLevel2() override;                                        // 17
  int16_t GetAuxFlag() override;                                             // 18
  int16_t GetStoredCode() override;                                          // 19
  int16_t GetSymbologyEnabled(int32_t id) override;                          // 20
  int16_t GetSymbologyLengths(int32_t id, uint16_t* mode, uint16_t* first,
                              uint16_t* second) override;                            // 21
  int16_t GetGoodReadBeep() override;                                                // 22
  int16_t GetToneDuration(int32_t id) override;                                      // 23
  int16_t GetToneFrequency(int32_t id) override;                                     // 24
  int16_t GetStoredFlag1() override;                                                 // 25
  int16_t GetOptionB2() override;                                                    // 26
  int16_t NoOpA() override;                                                          // 27
  int16_t GetOptionA4() override;                                                    // 28
  int16_t GetOptionA1() override;                                                    // 29
  int16_t GetOptionIByKind(int32_t kind) override;                                   // 30
  int16_t GetLastLabelRecord(uint8_t* record) override;                              // 31
  int16_t GetStoredLevel3() override;                                                // 32
  int16_t GetScannerModelName(char* buffer, int32_t size) override;                  // 33
  int16_t GetOptionITriple() override;                                               // 34
  int16_t FixedTrueA() override;                                                     // 35
  int16_t GetOptionIKind3() override;                                                // 36
  int16_t ReadLabel(int32_t maxCount, int16_t* symbology, char* buffer) override;    // 37
  int16_t NotSupported38() override;                                                 // 38
  int16_t GetOptionE1() override;                                                    // 39
  int16_t GetStoredLevel1() override;                                                // 40
  int16_t GetStoredSelector() override;                                              // 41
  int16_t GetReadLedState() override;                                                // 42
  int16_t FixedTrueB() override;                                                     // 43
  int16_t GetOptionF1Bit1() override;                                                // 44
  int16_t GetOptionB1() override;                                                    // 45
  int16_t GetAffixChars(int8_t* prefix, int8_t* suffix1, int8_t* suffix2) override;  // 46
  int16_t GetAffixMode() override;                                                   // 47
  int16_t IsScannerEnabled() override;                                               // 48
  int16_t GetBuildVersion(char* buffer, int32_t size) override;                      // 49
  int16_t GetInterfaceId(char* buffer, int32_t size) override;                       // 50
  int16_t NotSupported51() override;                                                 // 51
  int16_t GetSymbologyOption(int32_t id) override;                                   // 52
  int16_t GetOptionJ() override;                                                     // 53
  int16_t GetTriggerMode() override;                                                 // 54
  int16_t NotSupported55() override;                                                 // 55
  int16_t GetStoredSelector2() override;                                             // 56
  int16_t GetSymbologyOption2(int32_t id) override;                                  // 57
  int16_t SetStoredLevel2(int32_t value) override;                                   // 58
  int16_t SetStoredCode(int32_t value) override;                                     // 59
  int16_t SetSymbologyEnabled(int32_t id, int32_t flag) override;                    // 60
  int16_t SetSymbologyLengths(int32_t id, uint16_t mode, uint16_t first,
                              uint16_t second) override;                          // 61
  int16_t SetGoodReadBeep(int32_t flag) override;                                 // 62
  int16_t SetToneDuration(int32_t id, int32_t value) override;                    // 63
  int16_t SetToneFrequency(int32_t id, int32_t value) override;                   // 64
  int16_t SetStoredFlag1(int32_t flag) override;                                  // 65
  int16_t SetOptionB2(int32_t flag) override;                                     // 66
  int16_t NotSupported67() override;                                              // 67
  int16_t SetOptionA4(int32_t flag) override;                                     // 68
  int16_t SetOptionA1(int32_t flag) override;                                     // 69
  int16_t SetOptionIByKind(int32_t kind, int32_t flag) override;                  // 70
  int16_t SetStoredLevel3(int32_t value) override;                                // 71
  int16_t SetOptionITriple(int32_t state) override;                               // 72
  int16_t NoOpB() override;                                                       // 73
  int16_t SetOptionIKind3(int32_t flag) override;                                 // 74
  int16_t NotSupported75() override;                                              // 75
  int16_t SetOptionE1(int32_t state) override;                                    // 76
  int16_t SetStoredLevel1(int32_t value) override;                                // 77
  int16_t SetStoredSelector(int32_t value) override;                              // 78
  int16_t AcceptValueOne(int32_t value) override;                                 // 79
  int16_t SetOptionF1Bit1(int32_t flag) override;                                 // 80
  int16_t SetOptionB1(int32_t flag) override;                                     // 81
  int16_t SetAffixChars(int8_t prefix, int8_t suffix1, int8_t suffix2) override;  // 82
  int16_t SetAffixMode(int32_t mode) override;                                    // 83
  int16_t NotSupported84() override;                                              // 84
  int16_t SetSymbologyOption(int32_t id, int32_t value) override;                 // 85
  int16_t SetOptionJ(int32_t state) override;                                     // 86
  int16_t SetTriggerMode(int32_t mode) override;                                  // 87
  int16_t SetStoredSelector2(int32_t value) override;                             // 88
  int16_t SetSymbologyOption2(int32_t id, uint16_t value) override;               // 89

 private:
  explicit ZorvanScannerInterface(ScannerState* state);
  void construct();

  ScannerState* state_;
  // The object's share of its state.
  SharedReference stateShare_;
};

}  // namespace zorvan

#endif  // ZORVAN_PLUGIN_ZORVAN_SCANNER_H
