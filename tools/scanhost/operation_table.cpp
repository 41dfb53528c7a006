#include "operation_table.h"

#include <string.h>

#include <algorithm>
#include <iterator>

#include "call_kinds.h"
#include "invokers.h"

namespace scanhost {

namespace {

constexpr int16_t kOk = ResultOk;
constexpr int16_t kUnsupported = ResultUnsupported;
constexpr int16_t kRejected = ResultRejected;

// ---- Texts several rows share ------------------------------------------------------

// The answers of operations that need DeviceConfig when the object has none:
// arguments are checked first, then the device would be needed.
const char kNeedsDevice[] = "−2, without calling anything";
const char kNeedsDeviceAfterArguments[] =
    "the refused arguments answer as on an opened object; any other call −2, without calling "
    "anything";
const char kNoDefaults[] =
    "as opened, but the defaults were never applied: the applied value is 0 until "
    "`ResetToDefaults` or an applied change";
const char kFlagNoDefaults[] =
    "as opened, but the defaults were never applied: 0 until `ResetToDefaults` or an applied "
    "change";
const char kPendingChange[] =
    "0; −4 for a value outside the range (taken unsigned, so every negative value is outside), "
    "nothing changed. A value equal to the applied one leaves the pending one as it is";
const char kAlwaysUnsupported[] = "−2, always; does nothing";

// ---- Answers -----------------------------------------------------------------------

Answers noResult() { return {}; }
Answers anything() { return {Answers::kAnything}; }
Answers oneOf(std::initializer_list<int16_t> values) {
  Answers answers{Answers::kOneOf};
  std::copy(values.begin(), values.end(), answers.values.begin());
  answers.count = static_cast<uint8_t>(values.size());
  return answers;
}
// A getter of an applied setting.
Answers appliedSetting(zorvan::SettingId setting) {
  Answers answers{Answers::kSetting};
  answers.setting = setting;
  return answers;
}

// ---- Row parts ---------------------------------------------------------------------

// A row's first part, how scanhost calls the operation. PLAIN: integer
// arguments only (their kinds from the interface's declaration), then their
// names.
// clang-format off
#define PLAIN(position, name, result, ...)                                        \
  #name, position, &result, kindsOf(&ScannerInterface1::name), {__VA_ARGS__}, {}, \
      invokePlain<&ScannerInterface1::name>
// Any other: its invoker, argument kinds, argument names and out-value names.
#define SPECIAL(position, name, result, invoker, ...) \
  #name, position, &result, __VA_ARGS__, invoker
// An operation that registers one of the host's callbacks (on), or none (off).
#define SETS_CALLBACK(position, name, callback)                                         \
  SPECIAL(position, name, kNoValue,                                                     \
          (registerCallback<&ScannerInterface1::name, &Session::callback>), {&kSwitch}, \
          {"callback"}, {})
// An operation that copies a text into a buffer of the size given.
#define GETS_TEXT(position, name)                                                        \
  SPECIAL(position, name, kStatus, getTextOf<&ScannerInterface1::name>, {&kBufferSize}, \
          {"size"}, {"text"})

// An example: a call, or calls in a row with the answer of the last, on a new
// object; then its answers opened, without the driver, without DeviceConfig.
#define EXAMPLE_RUN(before, call)                     \
  [](ScannerInterface1& s, Scratch& out) -> int16_t { \
    (void)out;                                        \
    before;                                           \
    return s.call;                                    \
  }
#define EX(call, opened, noDriver, noDeviceConfig) \
  { #call, EXAMPLE_RUN((void)0, call), {opened, noDriver, noDeviceConfig} }
#define EX_AFTER(before, call, opened, noDriver, noDeviceConfig) \
  { #before ", then " #call, EXAMPLE_RUN(before, call), {opened, noDriver, noDeviceConfig} }

// A position the plug-in does not support: the whole row.
#define NOT_SUPPORTED(position)                                                  \
  { PLAIN(position, NotSupported##position, kStatus),                            \
    {nullptr, Effect::kNone, kAlwaysUnsupported, nullptr, nullptr, nullptr},     \
    oneOf({kUnsupported}),                                                       \
    {EX(NotSupported##position(), kUnsupported, kUnsupported, kUnsupported)} }
// clang-format on

// ---- The table ---------------------------------------------------------------------

// Built on first use: its rows hold vectors.
const std::vector<Operation>& table() {
  static const std::vector<Operation> rows = {
      {SETS_CALLBACK(0, SetEvtAddEventToQueueCallBack, eventCallback),
       {"`callback`: the function, or null to unregister", Effect::kAtOnce,
        "no result; replaces the earlier callback. Without one, labels are stored and the "
        "missing-callback warning goes once per process to the debug callback",
        nullptr, nullptr, nullptr},
       noResult(),
       {}},
      {SETS_CALLBACK(1, SetEvtDebugMessageCallBack, debugCallback),
       {"`callback`: the function, or null to unregister", Effect::kAtOnce,
        "no result; replaces the earlier callback", nullptr, nullptr, nullptr},
       noResult(),
       {}},
      {SETS_CALLBACK(2, SetEvtPlayToneCallBack, toneCallback),
       {"`callback`: the function, or null to unregister", Effect::kAtOnce,
        "no result; replaces the earlier callback. Without one, each tone is the platform's "
        "alert sound",
        nullptr, nullptr, nullptr},
       noResult(),
       {}},
      {PLAIN(3, DisableAuxFlag, kStatus),
       {nullptr, Effect::kPending, "0, always; the aux flag is cleared", nullptr, nullptr, nullptr},
       oneOf({kOk}),
       {EX(DisableAuxFlag(), 0, 0, 0)}},
      {PLAIN(4, EnableAuxFlag, kStatus),
       {nullptr, Effect::kPending, "0, always; the aux flag is set", nullptr, nullptr, nullptr},
       oneOf({kOk}),
       {EX_AFTER((s.EnableAuxFlag(), s.ApplySettings(0)), GetAuxFlag(), 1, 1, 1)}},
      {PLAIN(5, PlayTonePattern, kPatternStatus, "pattern"),
       {"`pattern`, taken unsigned: {silent patterns} nothing, {own patterns} their own patterns, "
        "{good-read pattern} the good-read beep; {default patterns} and every other number "
        "(negative ones too) the default pattern",
        Effect::kNone, "0, always; plays the pattern in the calling thread, waiting out its pauses",
        "0; the tone table holds zeros until `ResetToDefaults` or `SetToneFrequency`, so every "
        "token is a pause of 0 ms and nothing sounds",
        "as without the driver", nullptr},
       oneOf({kOk}),
       {EX(PlayTonePattern(1), 0, 0, 0)}},
      NOT_SUPPORTED(6),
      {PLAIN(7, ReadLedOff, kStatus),
       {nullptr, Effect::kScanner,
        "0, or −2 when the driver refuses; the read LED flag is 0 either way", "−2; the flag is 0",
        nullptr, nullptr},
       oneOf({kOk, kUnsupported}),
       {EX(ReadLedOff(), 0, kUnsupported, 0)}},
      {PLAIN(8, ReadLedOn, kStatus),
       {nullptr, Effect::kScanner,
        "0, or −2 when the driver refuses; the read LED flag is 1 either way", "−2; the flag is 1",
        nullptr, nullptr},
       oneOf({kOk, kUnsupported}),
       {EX(ReadLedOn(), 0, kUnsupported, 0), EX_AFTER(s.ReadLedOn(), GetReadLedState(), 1, 1, 1)}},
      {PLAIN(9, ResetToDefaults, kStatus),
       {nullptr, Effect::kAtOnce,
        "0, always. Pending changes are discarded and the defaults are in force at once: "
        "good-read beep {default GoodReadBeep}, flag {default StoredFlag1}, levels "
        "{default StoredLevel1} (1), {default StoredLevel2} (2) and {default StoredLevel3} (3), "
        "code {default StoredCode}, selector {default StoredSelector}, trigger mode "
        "{default TriggerMode}, aux flag {default AuxFlag}; tones {tone defaults}; prefix "
        "{default AffixPrefix}, suffixes {default AffixSuffix1} and {default AffixSuffix2}, "
        "affix mode {default AffixMode}; second selector {default StoredSelector2}; read LED flag "
        "0 (the LED is not touched); both variant flags 0. "
        "Symbology settings on the device are not touched",
        "as opened: this is how a half-open object gets its defaults", nullptr, nullptr},
       oneOf({kOk}),
       {EX(ResetToDefaults(), 0, 0, 0),
        EX_AFTER(s.ResetToDefaults(), GetToneFrequency(35), 7500, 7500, 7500),
        EX_AFTER((s.SetStoredLevel2(5), s.ResetToDefaults(), s.ApplySettings(0)), GetStoredLevel2(),
                 0, 0, 0)}},
      {PLAIN(10, DisableScanner, kStatus),
       {nullptr, Effect::kScanner,
        "−4 when the driver reports the scanner disabled, and nothing else happens. Otherwise "
        "stops the object's scan thread (cancels its read and waits up to {stop wait} ms, never "
        "for a "
        "host callback, and not again for a thread an earlier call already waited for), "
        "switches the scanner off: 0, or "
        "−4 when the driver refuses. Switches scanning off for every object",
        "−4", nullptr, nullptr},
       oneOf({kOk, kRejected}),
       {EX(DisableScanner(), kRejected, kRejected, kRejected),
        EX_AFTER(s.EnableScanner(), DisableScanner(), 0, kRejected, 0)}},
      {PLAIN(11, EnableScanner, kStatus),
       {nullptr, Effect::kScanner,
        "First brings back a scan thread of an earlier enable period: one still running is "
        "taken back and goes on scanning, one that ended after its stop is collected. Then, when "
        "the driver reports the scanner enabled already: 0, starting a scan thread if the "
        "object has none. Otherwise switches the scanner on and starts the scan thread: 0; −4 "
        "when the driver refuses, or a thread was taken back (it reads on; the next call "
        "answers 0), or one that ended on a failed read is still recorded, or the thread "
        "cannot be started (the scanner stays on)",
        "−4",
        "as opened: the object scans, but plays no good-read beep and leaves the device's own "
        "beeper as it is",
        nullptr},
       oneOf({kOk, kRejected}),
       {EX(EnableScanner(), 0, kRejected, 0)}},
      {PLAIN(12, ApplySettings, kPatternStatus, "pattern"),
       {"`tonePattern`: 0 for none, else as `PlayTonePattern` takes", Effect::kAtOnce,
        "0, always; copies every pending setting into the applied ones, then plays the pattern",
        nullptr, nullptr, nullptr},
       oneOf({kOk}),
       {EX(ApplySettings(0), 0, 0, 0)}},
      {PLAIN(13, StartSoftwareTrigger, kPatternStatus),
       {nullptr, Effect::kScanner,
        "with an applied trigger mode other than 8 (all 32 bits compared): plays pattern 29, "
        "−2. With 8: −4 when the scanner is disabled; else pulls the trigger: 0, or −2 when the "
        "driver refuses",
        "−2 (pattern 29 plays, silent without tone defaults); with trigger mode 8 applied, −4",
        nullptr, nullptr},
       oneOf({kOk, kUnsupported, kRejected}),
       {EX(StartSoftwareTrigger(), kUnsupported, kUnsupported, kUnsupported),
        EX_AFTER((s.SetTriggerMode(8), s.ApplySettings(0)), StartSoftwareTrigger(), kRejected,
                 kRejected, kRejected),
        EX_AFTER((s.SetTriggerMode(8), s.ApplySettings(0), s.EnableScanner()),
                 StartSoftwareTrigger(), 0, kRejected, 0),
        EX_AFTER((s.SetTriggerMode(0x10008), s.ApplySettings(0), s.EnableScanner()),
                 StartSoftwareTrigger(), kUnsupported, kUnsupported, kUnsupported)}},
      {PLAIN(14, StopSoftwareTrigger, kStatus),
       {nullptr, Effect::kScanner,
        "with an applied trigger mode other than 8: −2, no tone. With 8: releases the trigger: "
        "0, or −2 when the driver refuses",
        "−2", nullptr, nullptr},
       oneOf({kOk, kUnsupported}),
       {EX(StopSoftwareTrigger(), kUnsupported, kUnsupported, kUnsupported),
        EX_AFTER((s.SetTriggerMode(8), s.ApplySettings(0)), StopSoftwareTrigger(), 0, kUnsupported,
                 0)}},
      NOT_SUPPORTED(15),
      NOT_SUPPORTED(16),
      {PLAIN(17, GetStoredLevel2, kValue),
       {nullptr, Effect::kNone,
        "the applied level 2, {range StoredLevel2} (default {default StoredLevel2})", nullptr,
        nullptr, nullptr},
       appliedSetting(zorvan::kStoredLevel2),
       {EX(GetStoredLevel2(), 0, 0, 0)}},
      {PLAIN(18, GetAuxFlag, kFlag),
       {nullptr, Effect::kNone, "the applied aux flag, 0 or 1 (default {default AuxFlag})", nullptr,
        nullptr, nullptr},
       oneOf({0, 1}),
       {EX(GetAuxFlag(), 0, 0, 0)}},
      {PLAIN(19, GetStoredCode, kValue),
       {nullptr, Effect::kNone,
        "the applied code, {range StoredCode} (default {default StoredCode})", kNoDefaults,
        kNoDefaults, nullptr},
       appliedSetting(zorvan::kStoredCode),
       {EX(GetStoredCode(), 182, 0, 0)}},
      {PLAIN(20, GetSymbologyEnabled, kFlagOrStatus, "id"),
       {"`id`: a symbology id, {symbology ids}. {shared enable fields} share one enable field "
        "each",
        Effect::kNone,
        "1 when the device's enable field holds 1, else 0; −4 for any other id, before any "
        "device call; −2 when the device refuses the query",
        kNeedsDeviceAfterArguments, kNeedsDeviceAfterArguments, nullptr},
       oneOf({0, 1, kUnsupported, kRejected}),
       {EX(GetSymbologyEnabled(7), 0, kUnsupported, kUnsupported),
        EX_AFTER(s.SetSymbologyEnabled(14, 1), GetSymbologyEnabled(84), 1, kUnsupported,
                 kUnsupported),
        EX(GetSymbologyEnabled(10), kRejected, kRejected, kRejected)}},
      {SPECIAL(21, GetSymbologyLengths, kStatus, getSymbologyLengths, {&kInt32}, {"id"},
               {"mode", "first", "second"}),
       {"`id`: a length id, {length ids}; `mode`, `first`, `second`: out-values. Mode 0 any "
        "length; 1 one length (`first`); 2 two lengths (`first` the larger); 3 a range "
        "`first`–`second`, `second` 255 when the device keeps a minimum only",
        Effect::kNone,
        "0 with the restriction the device holds; −4 for any other id or a null out-pointer, "
        "before any device call; −2 when the device refuses the query",
        kNeedsDeviceAfterArguments, kNeedsDeviceAfterArguments,
        "written only when the answer is 0; a null pointer: −4"},
       oneOf({kOk, kUnsupported, kRejected}),
       {EX(GetSymbologyLengths(7, &out.mode, &out.first, &out.second), 0, kUnsupported,
           kUnsupported),
        EX(GetSymbologyLengths(1, &out.mode, &out.first, &out.second), kRejected, kRejected,
           kRejected),
        EX(GetSymbologyLengths(7, nullptr, nullptr, nullptr), kRejected, kRejected, kRejected)}},
      {PLAIN(22, GetGoodReadBeep, kFlag),
       {nullptr, Effect::kNone,
        "the applied good-read beep, 0 or 1 (default {default GoodReadBeep})", kFlagNoDefaults,
        kFlagNoDefaults, nullptr},
       oneOf({0, 1}),
       {EX(GetGoodReadBeep(), 1, 0, 0)}},
      {PLAIN(23, GetToneDuration, kValueOrStatus, "id"),
       {"`id`: a duration id, {duration ids}", Effect::kNone,
        "the duration in ms, as a signed 16-bit value (65534 reads as −2); −2 for any other id",
        "as opened, but the defaults were never applied: 0 until `ResetToDefaults` or "
        "`SetToneDuration`",
        "as without the driver", nullptr},
       anything(),
       {EX(GetToneDuration(39), 90, 0, 0),
        EX(GetToneDuration(35), kUnsupported, kUnsupported, kUnsupported)}},
      {PLAIN(24, GetToneFrequency, kValueOrStatus, "id"),
       {"`id`: a frequency id, {frequency ids}", Effect::kNone,
        "the frequency in Hz, as a signed 16-bit value (40000 reads as −25536); −2 for any "
        "other id",
        "as opened, but the defaults were never applied: 0 until `ResetToDefaults` or "
        "`SetToneFrequency`",
        "as without the driver", nullptr},
       anything(),
       {EX(GetToneFrequency(40), 3000, 0, 0),
        EX(GetToneFrequency(38), kUnsupported, kUnsupported, kUnsupported)}},
      {PLAIN(25, GetStoredFlag1, kFlag),
       {nullptr, Effect::kNone, "the applied flag 1, 0 or 1 (default {default StoredFlag1})",
        nullptr, nullptr, nullptr},
       oneOf({0, 1}),
       {EX(GetStoredFlag1(), 0, 0, 0)}},
      {PLAIN(26, GetOptionB2, kFlagOrStatus),
       {nullptr, Effect::kNone,
        "`GroupB` field 2: 1 when it holds 1, else 0; −2 when the device refuses the query",
        kNeedsDevice, kNeedsDevice, nullptr},
       oneOf({0, 1, kUnsupported}),
       {EX(GetOptionB2(), 0, kUnsupported, kUnsupported)}},
      {PLAIN(27, NoOpA, kValue),
       {nullptr, Effect::kNone, "0, always; does nothing", nullptr, nullptr, nullptr},
       oneOf({0}),
       {EX(NoOpA(), 0, 0, 0)}},
      {PLAIN(28, GetOptionA4, kFlagOrStatus),
       {nullptr, Effect::kNone,
        "`GroupA` field 4: 1 when it is not 0 (the mode on), else 0; −2 when the device refuses "
        "the query",
        kNeedsDevice, kNeedsDevice, nullptr},
       oneOf({0, 1, kUnsupported}),
       {EX(GetOptionA4(), 0, kUnsupported, kUnsupported)}},
      {PLAIN(29, GetOptionA1, kFlagOrStatus),
       {nullptr, Effect::kNone,
        "`GroupA` field 1: 1 when it holds 1, else 0; −2 when the device refuses the query",
        kNeedsDevice, kNeedsDevice, nullptr},
       oneOf({0, 1, kUnsupported}),
       {EX(GetOptionA1(), 0, kUnsupported, kUnsupported)}},
      {PLAIN(30, GetOptionIByKind, kFlagOrStatus, "kind"),
       {"`kind`: {option kinds}; kinds 0 and 1 are `GroupI` field 15, kind 3 field 16, kinds 2 "
        "and 4 have no field",
        Effect::kNone,
        "kinds 0, 1, 3: 1 when the field holds 1, else 0, or −2 when the device refuses the "
        "query; kinds 2 and 4: 0, without a device call; any other kind −4",
        "kinds 2 and 4: 0; kinds 0, 1, 3: −2; any other kind −4; nothing is called",
        "as without the driver", nullptr},
       oneOf({0, 1, kUnsupported, kRejected}),
       {EX(GetOptionIByKind(0), 0, kUnsupported, kUnsupported), EX(GetOptionIByKind(2), 0, 0, 0),
        EX(GetOptionIByKind(5), kRejected, kRejected, kRejected)}},
      {SPECIAL(31, GetLastLabelRecord, kStatus, getLastLabelRecord, {}, {},
               {"length", "symbology", "reserved", "data"}),
       {"`record`: 264 bytes of the host's", Effect::kNone,
        "0; the waiting label's record, and the label is taken; with none waiting the no-label "
        "record",
        "0 with the no-label record: no label ever arrives", nullptr,
        "a null `record`: −4, and a waiting label stays waiting"},
       oneOf({kOk, kRejected}),
       {EX(GetLastLabelRecord(out.record), 0, 0, 0),
        EX(GetLastLabelRecord(nullptr), kRejected, kRejected, kRejected)}},
      {PLAIN(32, GetStoredLevel3, kValue),
       {nullptr, Effect::kNone,
        "the applied level 3, {range StoredLevel3} (default {default StoredLevel3})", kNoDefaults,
        kNoDefaults, nullptr},
       appliedSetting(zorvan::kStoredLevel3),
       {EX(GetStoredLevel3(), 30, 0, 0)}},
      {GETS_TEXT(33, GetScannerModelName),
       {"`buffer` and its `size` in bytes", Effect::kNone,
        "0; writes \"ITCKVP\", cut to `size` − 1 characters, and a zero in its last byte", nullptr,
        nullptr,
        "`size` 0 or less: 0, nothing written (a null `buffer` too); a null `buffer` with a "
        "`size` above 0: −4"},
       oneOf({kOk, kRejected}),
       {EX(GetScannerModelName(out.text, 64), 0, 0, 0),
        EX(GetScannerModelName(nullptr, 8), kRejected, kRejected, kRejected),
        EX(GetScannerModelName(nullptr, 0), 0, 0, 0)}},
      {PLAIN(34, GetOptionITriple, kStateOrStatus),
       {nullptr, Effect::kNone,
        "`GroupI` fields 5, 6, 7: 1 when field 5 holds 1; else 2 when field 6 or 7 is not 0; "
        "else 0. −2 when the device refuses the query",
        kNeedsDevice, kNeedsDevice, nullptr},
       oneOf({0, 1, 2, kUnsupported}),
       {EX(GetOptionITriple(), 0, kUnsupported, kUnsupported)}},
      {PLAIN(35, FixedTrueA, kValue),
       {nullptr, Effect::kNone, "1, always; does nothing", nullptr, nullptr, nullptr},
       oneOf({1}),
       {EX(FixedTrueA(), 1, 1, 1)}},
      {PLAIN(36, GetOptionIKind3, kFlagOrStatus),
       {nullptr, Effect::kNone, "as `GetOptionIByKind(3)`", kNeedsDevice, kNeedsDevice, nullptr},
       oneOf({0, 1, kUnsupported}),
       {EX(GetOptionIKind3(), 0, kUnsupported, kUnsupported)}},
      {SPECIAL(37, ReadLabel, kStatus, readLabel, {&kLabelCount}, {"count"},
               {"symbology", "length", "text"}),
       {"`maxCount`: 0 or more; `symbology`: out-value; `buffer`: `maxCount` + 1 bytes",
        Effect::kNone,
        "0; copies up to `maxCount` bytes of the waiting label and a zero byte after them, and "
        "its reported symbology; the label is taken. With none waiting: an empty text and "
        "symbology 0",
        "0 with an empty text and symbology 0: no label ever arrives", nullptr,
        "a negative `maxCount` or a null pointer: −4, nothing written, a waiting label stays "
        "waiting"},
       oneOf({kOk, kRejected}),
       {EX(ReadLabel(63, &out.symbology, out.text), 0, 0, 0),
        EX(ReadLabel(-1, &out.symbology, out.text), kRejected, kRejected, kRejected),
        EX(ReadLabel(10, nullptr, out.text), kRejected, kRejected, kRejected)}},
      NOT_SUPPORTED(38),
      {PLAIN(39, GetOptionE1, kStateOrStatus),
       {nullptr, Effect::kNone,
        "`GroupE` field 1: 0 gives 0, 1 or 2 gives 1, 3 or 4 gives 2, any other value −4; −2 "
        "when the device refuses the query",
        kNeedsDevice, kNeedsDevice, nullptr},
       oneOf({0, 1, 2, kUnsupported, kRejected}),
       {EX(GetOptionE1(), 0, kUnsupported, kUnsupported)}},
      {PLAIN(40, GetStoredLevel1, kValue),
       {nullptr, Effect::kNone,
        "the applied level 1, {range StoredLevel1} (default {default StoredLevel1})", kNoDefaults,
        kNoDefaults, nullptr},
       appliedSetting(zorvan::kStoredLevel1),
       {EX(GetStoredLevel1(), 30, 0, 0)}},
      {PLAIN(41, GetStoredSelector, kValue),
       {nullptr, Effect::kNone,
        "the applied selector, {range StoredSelector} (default {default StoredSelector})",
        kNoDefaults, kNoDefaults, nullptr},
       appliedSetting(zorvan::kStoredSelector),
       {EX(GetStoredSelector(), 1, 0, 0)}},
      {PLAIN(42, GetReadLedState, kFlag),
       {nullptr, Effect::kNone,
        "the read LED flag, 0 or 1: what `ReadLedOn` or `ReadLedOff` last asked for, whatever "
        "the driver answered (default 0); the driver is not asked",
        nullptr, nullptr, nullptr},
       oneOf({0, 1}),
       {EX(GetReadLedState(), 0, 0, 0)}},
      {PLAIN(43, FixedTrueB, kValue),
       {nullptr, Effect::kNone, "1, always; does nothing", nullptr, nullptr, nullptr},
       oneOf({1}),
       {EX(FixedTrueB(), 1, 1, 1)}},
      {PLAIN(44, GetOptionF1Bit1, kFlagOrStatus),
       {nullptr, Effect::kNone,
        "`GroupF` field 1: 1 when it holds a value other than 0 and 1 (bit 1 set), else 0; −2 "
        "when the device refuses the query",
        kNeedsDevice, kNeedsDevice, nullptr},
       oneOf({0, 1, kUnsupported}),
       {EX(GetOptionF1Bit1(), 0, kUnsupported, kUnsupported)}},
      {PLAIN(45, GetOptionB1, kFlagOrStatus),
       {nullptr, Effect::kNone,
        "`GroupB` field 1: 1 when it holds 0, else 0; −2 when the device refuses the query",
        kNeedsDevice, kNeedsDevice, nullptr},
       oneOf({0, 1, kUnsupported}),
       {EX(GetOptionB1(), 1, kUnsupported, kUnsupported)}},
      {SPECIAL(46, GetAffixChars, kStatus, getAffixChars, {}, {}, {"prefix", "suffix1", "suffix2"}),
       {"`prefix`, `suffix1`, `suffix2`: out-values", Effect::kNone,
        "0 with the three characters in force (default {default AffixPrefix}, {default "
        "AffixSuffix1}, "
        "{default AffixSuffix2})",
        "0 with 0, 0, 0 until `ResetToDefaults` or `SetAffixChars`", "as without the driver",
        "any null pointer: −4, nothing written"},
       oneOf({kOk, kRejected}),
       {EX(GetAffixChars(&out.prefix, &out.suffix1, &out.suffix2), 0, 0, 0),
        EX(GetAffixChars(nullptr, &out.suffix1, &out.suffix2), kRejected, kRejected, kRejected)}},
      {PLAIN(47, GetAffixMode, kValue),
       {nullptr, Effect::kNone,
        "the affix mode in force, {range AffixMode} (default {default AffixMode})", nullptr,
        nullptr, nullptr},
       appliedSetting(zorvan::kAffixMode),
       {EX(GetAffixMode(), 0, 0, 0)}},
      {PLAIN(48, IsScannerEnabled, kFlag),
       {nullptr, Effect::kNone,
        "1 when the driver reports the scanner enabled, else 0; the same for every object. It "
        "says nothing about the scan thread",
        "0", nullptr, nullptr},
       oneOf({0, 1}),
       {EX(IsScannerEnabled(), 0, 0, 0), EX_AFTER(s.EnableScanner(), IsScannerEnabled(), 1, 0, 1)}},
      {GETS_TEXT(49, GetBuildVersion),
       {"`buffer` and its `size` in bytes", Effect::kNone,
        "0; writes the build version, cut to `size` − 1 characters, and a zero in its last "
        "byte. Five characters from the build date: the year's last digit, the month's first "
        "two letters (June Jn, July Jl), the day in two digits; \"0Jl27\" for Jul 27 2010. The "
        "date is the day of the build unless the build pins it with `ZORVAN_BUILD_DATE`",
        nullptr, nullptr, "as `GetScannerModelName`"},
       oneOf({kOk, kRejected}),
       {EX(GetBuildVersion(out.text, 64), 0, 0, 0)}},
      {GETS_TEXT(50, GetInterfaceId),
       {"`buffer` and its `size` in bytes", Effect::kNone,
        "0; writes \"KVSym01\", cut to `size` − 1 characters, and a zero in its last byte", nullptr,
        nullptr, "as `GetScannerModelName`"},
       oneOf({kOk, kRejected}),
       {EX(GetInterfaceId(out.text, 3), 0, 0, 0)}},
      NOT_SUPPORTED(51),
      {PLAIN(52, GetSymbologyOption, kFlagOrStatus, "id"),
       {"`id`: an option id, {option ids}", Effect::kNone,
        "ids 0 and 6: the variant flag `SetSymbologyOption` stored for them (default 0), "
        "without a device call; 1: `GroupI` field 8, 2 and 12: `GroupI` field 9, 1 when it "
        "holds 1; 11: 1 when bit 0 of `GroupF` field 1 is clear; any other id −4; −2 when the "
        "device refuses the query",
        "ids 0 and 6 as opened; 1, 2, 11, 12: −2; any other id −4; nothing is called",
        "as without the driver", nullptr},
       oneOf({0, 1, kUnsupported, kRejected}),
       {EX(GetSymbologyOption(0), 0, 0, 0),
        EX_AFTER(s.SetSymbologyOption(0, 1), GetSymbologyOption(0), 1, 1, 1),
        EX(GetSymbologyOption(11), 1, kUnsupported, kUnsupported),
        EX(GetSymbologyOption(3), kRejected, kRejected, kRejected)}},
      {PLAIN(53, GetOptionJ, kStateOrStatus),
       {nullptr, Effect::kNone,
        "`GroupJ` field 0: 0 gives 0, 1 gives 2, 2 gives 1, any other value −2; −2 when the "
        "device refuses the query",
        kNeedsDevice, kNeedsDevice, nullptr},
       oneOf({0, 1, 2, kUnsupported}),
       {EX(GetOptionJ(), 0, kUnsupported, kUnsupported)}},
      {PLAIN(54, GetTriggerMode, kValue),
       {nullptr, Effect::kNone,
        "the low 16 bits of the applied trigger mode, as a signed value (default {default "
        "TriggerMode}); "
        "`StartSoftwareTrigger` compares all 32",
        nullptr, nullptr, nullptr},
       anything(),
       {EX(GetTriggerMode(), 0, 0, 0), EX_AFTER((s.SetTriggerMode(0x12345), s.ApplySettings(0)),
                                                GetTriggerMode(), 0x2345, 0x2345, 0x2345)}},
      NOT_SUPPORTED(55),
      {PLAIN(56, GetStoredSelector2, kValue),
       {nullptr, Effect::kNone,
        "the second selector in force, {range StoredSelector2} (default {default StoredSelector2})",
        nullptr, nullptr, nullptr},
       appliedSetting(zorvan::kStoredSelector2),
       {EX(GetStoredSelector2(), 0, 0, 0)}},
      {PLAIN(57, GetSymbologyOption2, kFlagOrStatus, "id"),
       {"`id`: {option2 ids}; 1 is `GroupI` field 12, 2 and 12 field 13", Effect::kNone,
        "0 or 1 as the field holds it, −2 for any other field value; −4 for any other id, before "
        "any device call; −4 when the device refuses the query",
        kNeedsDeviceAfterArguments, kNeedsDeviceAfterArguments, nullptr},
       oneOf({0, 1, kUnsupported, kRejected}),
       {EX(GetSymbologyOption2(1), 0, kUnsupported, kUnsupported),
        EX(GetSymbologyOption2(0), kRejected, kRejected, kRejected)}},
      {PLAIN(58, SetStoredLevel2, kStatus, "value"),
       {"`value`: {levels}", Effect::kPending, kPendingChange, nullptr, nullptr, nullptr},
       oneOf({kOk, kRejected}),
       {EX(SetStoredLevel2(100), 0, 0, 0),
        EX(SetStoredLevel2(101), kRejected, kRejected, kRejected),
        EX(SetStoredLevel2(-1), kRejected, kRejected, kRejected)}},
      {PLAIN(59, SetStoredCode, kStatus, "value"),
       {"`value`: {codes}", Effect::kPending, kPendingChange, nullptr, nullptr, nullptr},
       oneOf({kOk, kRejected}),
       {EX(SetStoredCode(181), 0, 0, 0), EX(SetStoredCode(183), kRejected, kRejected, kRejected)}},
      {PLAIN(60, SetSymbologyEnabled, kStatus, "id", "flag"),
       {"`id`: a symbology id, as `GetSymbologyEnabled`; `flag`: not 0 "
        "enables, 0 disables",
        Effect::kOnDevice,
        "0; −4 for any other id, before any device call; −4 when the device refuses the change",
        kNeedsDeviceAfterArguments, kNeedsDeviceAfterArguments, nullptr},
       oneOf({kOk, kUnsupported, kRejected}),
       {EX(SetSymbologyEnabled(7, 1), 0, kUnsupported, kUnsupported),
        EX(SetSymbologyEnabled(10, 1), kRejected, kRejected, kRejected)}},
      {PLAIN(61, SetSymbologyLengths, kStatus, "id", "mode", "first", "second"),
       {"`id`: a length id, {length ids}; `mode` and lengths as `GetSymbologyLengths` gives "
        "them (any other mode counts as 0); a length reaches the device as its low 8 bits. Ids "
        "0, 9 and 11 keep only a minimum (the smaller length for modes 2 and 3); the others "
        "keep one or two lengths, or in mode 3 the minimum only",
        Effect::kOnDevice,
        "0; −4 for any other id, before any device call; −4 when the device refuses the change",
        kNeedsDeviceAfterArguments, kNeedsDeviceAfterArguments, nullptr},
       oneOf({kOk, kUnsupported, kRejected}),
       {EX(SetSymbologyLengths(7, 1, 12, 0), 0, kUnsupported, kUnsupported),
        EX(SetSymbologyLengths(8, 1, 12, 0), kRejected, kRejected, kRejected)}},
      {PLAIN(62, SetGoodReadBeep, kStatus, "flag"),
       {"`flag`: not 0 on, 0 off", Effect::kPending,
        "0, always; the scan thread beeps after each label while the applied flag is on", nullptr,
        "0; no good-read beep sounds whatever the flag", nullptr},
       oneOf({kOk}),
       {EX(SetGoodReadBeep(0), 0, 0, 0),
        EX_AFTER(s.SetGoodReadBeep(0), GetGoodReadBeep(), 1, 0, 0)}},
      {PLAIN(63, SetToneDuration, kStatus, "id", "value"),
       {"`id`: a duration id, {duration ids}; `value`: its low 16 bits are "
        "kept",
        Effect::kAtOnce, "0, always; any other id changes nothing", nullptr, nullptr, nullptr},
       oneOf({kOk}),
       {EX(SetToneDuration(35, 5), 0, 0, 0),
        EX_AFTER(s.SetToneDuration(39, 65736), GetToneDuration(39), 200, 200, 200)}},
      {PLAIN(64, SetToneFrequency, kStatus, "id", "value"),
       {"`id`: a frequency id, {frequency ids}; `value`: its low 16 bits "
        "are kept (0 makes the letter's tones pauses)",
        Effect::kAtOnce, "0, always; any other id changes nothing", nullptr, nullptr, nullptr},
       oneOf({kOk}),
       {EX(SetToneFrequency(38, 1), 0, 0, 0),
        EX_AFTER(s.SetToneFrequency(35, 40000), GetToneFrequency(35), -25536, -25536, -25536)}},
      {PLAIN(65, SetStoredFlag1, kStatus, "flag"),
       {"`flag`: not 0 on, 0 off", Effect::kPending, "0, always", nullptr, nullptr, nullptr},
       oneOf({kOk}),
       {EX(SetStoredFlag1(1), 0, 0, 0)}},
      {PLAIN(66, SetOptionB2, kStatus, "flag"),
       {"`flag`: not 0 on (`GroupB` field 2 written 1), 0 off", Effect::kOnDevice,
        "0; −4 when the device refuses the change", kNeedsDevice, kNeedsDevice, nullptr},
       oneOf({kOk, kUnsupported, kRejected}),
       {EX(SetOptionB2(1), 0, kUnsupported, kUnsupported)}},
      NOT_SUPPORTED(67),
      {PLAIN(68, SetOptionA4, kStatus, "flag"),
       {"`flag`: not 0 switches the mode on, writing `GroupA` field 4 as 1 when the variant flag "
        "of id 0 is set, else 2; 0 writes 0",
        Effect::kOnDevice, "0; −4 when the device refuses the change", kNeedsDevice, kNeedsDevice,
        nullptr},
       oneOf({kOk, kUnsupported, kRejected}),
       {EX(SetOptionA4(1), 0, kUnsupported, kUnsupported)}},
      {PLAIN(69, SetOptionA1, kStatus, "flag"),
       {"`flag`: not 0 on (`GroupA` field 1 written 1), 0 off", Effect::kOnDevice,
        "0; −4 when the device refuses the change", kNeedsDevice, kNeedsDevice, nullptr},
       oneOf({kOk, kUnsupported, kRejected}),
       {EX(SetOptionA1(1), 0, kUnsupported, kUnsupported)}},
      {PLAIN(70, SetOptionIByKind, kStatus, "kind", "flag"),
       {"`kind`: as `GetOptionIByKind`; `flag`: not 0 on, 0 off", Effect::kOnDevice,
        "kinds 0, 1, 3: 0, or −4 when the device refuses the change; kinds 2 and 4: −2, without "
        "a device call; any other kind −4",
        "kinds 0–4: −2; any other kind −4; nothing is called", "as without the driver", nullptr},
       oneOf({kOk, kUnsupported, kRejected}),
       {EX(SetOptionIByKind(3, 1), 0, kUnsupported, kUnsupported),
        EX(SetOptionIByKind(4, 1), kUnsupported, kUnsupported, kUnsupported),
        EX(SetOptionIByKind(-1, 1), kRejected, kRejected, kRejected)}},
      {PLAIN(71, SetStoredLevel3, kStatus, "value"),
       {"`value`: {levels}", Effect::kPending, kPendingChange, nullptr, nullptr, nullptr},
       oneOf({kOk, kRejected}),
       {EX(SetStoredLevel3(50), 0, 0, 0)}},
      {PLAIN(72, SetOptionITriple, kStatus, "state"),
       {"`state`: 0, 1 or 2, written to `GroupI` fields 5, 6, 7 as 0 0 0, 1 1 1, 0 1 1",
        Effect::kOnDevice, "0; −4 for any other state; −2 when the device refuses the change",
        kNeedsDeviceAfterArguments, kNeedsDeviceAfterArguments, nullptr},
       oneOf({kOk, kUnsupported, kRejected}),
       {EX(SetOptionITriple(2), 0, kUnsupported, kUnsupported),
        EX(SetOptionITriple(3), kRejected, kRejected, kRejected)}},
      {PLAIN(73, NoOpB, kValue),
       {nullptr, Effect::kNone, "0, always; does nothing", nullptr, nullptr, nullptr},
       oneOf({0}),
       {EX(NoOpB(), 0, 0, 0)}},
      {PLAIN(74, SetOptionIKind3, kStatus, "flag"),
       {"`flag`: as `SetOptionIByKind(3, flag)`", Effect::kOnDevice,
        "as `SetOptionIByKind(3, flag)`", kNeedsDevice, kNeedsDevice, nullptr},
       oneOf({kOk, kUnsupported, kRejected}),
       {EX(SetOptionIKind3(1), 0, kUnsupported, kUnsupported)}},
      NOT_SUPPORTED(75),
      {PLAIN(76, SetOptionE1, kStatus, "state"),
       {"`state`: 0 off; 1 mode 1, 2 mode 2, written to `GroupE` field 1 as the odd value when "
        "the variant flag of id 6 is set, else the even one (1 or 2, 3 or 4)",
        Effect::kOnDevice, "0; −4 for any other state; −2 when the device refuses the change",
        kNeedsDeviceAfterArguments, kNeedsDeviceAfterArguments, nullptr},
       oneOf({kOk, kUnsupported, kRejected}),
       {EX(SetOptionE1(1), 0, kUnsupported, kUnsupported),
        EX(SetOptionE1(3), kRejected, kRejected, kRejected)}},
      {PLAIN(77, SetStoredLevel1, kStatus, "value"),
       {"`value`: {levels}", Effect::kPending, kPendingChange, nullptr, nullptr, nullptr},
       oneOf({kOk, kRejected}),
       {EX(SetStoredLevel1(50), 0, 0, 0),
        EX_AFTER((s.SetStoredLevel1(50), s.SetStoredLevel1(30), s.ApplySettings(0)),
                 GetStoredLevel1(), 50, 30, 30)}},
      {PLAIN(78, SetStoredSelector, kStatus, "value"),
       {"`value`: {selectors}", Effect::kPending, kPendingChange, nullptr, nullptr, nullptr},
       oneOf({kOk, kRejected}),
       {EX(SetStoredSelector(4), 0, 0, 0),
        EX(SetStoredSelector(0), kRejected, kRejected, kRejected)}},
      {PLAIN(79, AcceptValueOne, kStatus, "value"),
       {"`value`: 1", Effect::kNone, "0 for 1, −2 for any other value; does nothing", nullptr,
        nullptr, nullptr},
       oneOf({kOk, kUnsupported}),
       {EX(AcceptValueOne(1), 0, 0, 0),
        EX(AcceptValueOne(2), kUnsupported, kUnsupported, kUnsupported)}},
      {PLAIN(80, SetOptionF1Bit1, kStatus, "flag"),
       {"`flag`: 0 or 1, for bit 1 of `GroupF` field 1", Effect::kOnDevice,
        "reads the group first: −2 when the device refuses the query, whatever the flag. Then a "
        "flag other than 0 and 1: −4; the bit already as asked: −2, nothing written; else 0, or "
        "−2 when the device refuses the change",
        "−2, whatever the flag; nothing is called", "as without the driver", nullptr},
       oneOf({kOk, kUnsupported, kRejected}),
       {EX(SetOptionF1Bit1(1), 0, kUnsupported, kUnsupported),
        EX(SetOptionF1Bit1(0), kUnsupported, kUnsupported, kUnsupported),
        EX(SetOptionF1Bit1(2), kRejected, kUnsupported, kUnsupported)}},
      {PLAIN(81, SetOptionB1, kStatus, "flag"),
       {"`flag`: not 0 on (`GroupB` field 1 written 0), 0 off (written 2)", Effect::kOnDevice,
        "0; −4 when the device refuses the change", kNeedsDevice, kNeedsDevice, nullptr},
       oneOf({kOk, kUnsupported, kRejected}),
       {EX(SetOptionB1(1), 0, kUnsupported, kUnsupported)}},
      {PLAIN(82, SetAffixChars, kStatus, "prefix", "suffix1", "suffix2"),
       {"`prefix`, `suffix1`, `suffix2`: any bytes; a character of 0, or of 128 and above, is "
        "never added to a label",
        Effect::kAtOnce, "0, always", nullptr, nullptr, nullptr},
       oneOf({kOk}),
       {EX(SetAffixChars(2, 10, 13), 0, 0, 0)}},
      {PLAIN(83, SetAffixMode, kStatus, "mode"),
       {"`mode`: {affix modes}; bit 2 adds the prefix, bit 0 the first suffix, bit 1 the second",
        Effect::kAtOnce, "0; −4 outside {range AffixMode} (taken unsigned), nothing changed",
        nullptr, nullptr, nullptr},
       oneOf({kOk, kRejected}),
       {EX(SetAffixMode(7), 0, 0, 0), EX(SetAffixMode(8), kRejected, kRejected, kRejected)}},
      NOT_SUPPORTED(84),
      {PLAIN(85, SetSymbologyOption, kStatus, "id", "value"),
       {"`id`: an option id, {option ids}; `value`: 1 on, any other off", Effect::kOnDevice,
        "ids 0 and 6 store the variant flag first (it stands whatever follows), then switch "
        "the variant of `GroupA` field 4 or `GroupE` field 1 when its mode is on: 0, or −4 when "
        "the device refuses the change; −2 when the device refuses the query, the mode is off "
        "or already that variant (nothing written). 11 switches bit 0 of `GroupF` field 1 "
        "(set is off) the same way. 1, 2 and 12 write `GroupI` field 8 or 9: 0, or −4 when the "
        "device refuses. Any other id −4, nothing stored",
        "ids 0 and 6: the variant flag is stored, then −2; 1, 2, 11, 12: −2; any other id −4; "
        "nothing is called",
        "as without the driver", nullptr},
       oneOf({kOk, kUnsupported, kRejected}),
       {EX(SetSymbologyOption(0, 1), kUnsupported, kUnsupported, kUnsupported),
        EX(SetSymbologyOption(1, 1), 0, kUnsupported, kUnsupported),
        EX(SetSymbologyOption(11, 0), 0, kUnsupported, kUnsupported),
        EX(SetSymbologyOption(3, 1), kRejected, kRejected, kRejected)}},
      {PLAIN(86, SetOptionJ, kStatus, "state"),
       {"`state`: 0, 1 or 2 (written to `GroupJ` field 0 as 0, 2, 1)", Effect::kOnDevice,
        "0; −4 for any other state; −2 when the device refuses the change",
        kNeedsDeviceAfterArguments, kNeedsDeviceAfterArguments, nullptr},
       oneOf({kOk, kUnsupported, kRejected}),
       {EX(SetOptionJ(1), 0, kUnsupported, kUnsupported),
        EX(SetOptionJ(3), kRejected, kRejected, kRejected)}},
      {PLAIN(87, SetTriggerMode, kStatus, "mode"),
       {"`mode`: any 32-bit value; 8 allows the software trigger", Effect::kPending,
        "0, always. A value equal to the applied one leaves the pending one as it is", nullptr,
        nullptr, nullptr},
       oneOf({kOk}),
       {EX(SetTriggerMode(8), 0, 0, 0)}},
      {PLAIN(88, SetStoredSelector2, kStatus, "value"),
       {"`value`: {second selectors}", Effect::kAtOnce,
        "0; −4 outside {range StoredSelector2} (taken unsigned), nothing changed", nullptr, nullptr,
        nullptr},
       oneOf({kOk, kRejected}),
       {EX(SetStoredSelector2(4), 0, 0, 0),
        EX(SetStoredSelector2(5), kRejected, kRejected, kRejected)}},
      {PLAIN(89, SetSymbologyOption2, kStatus, "id", "value"),
       {"`id`: {option2 ids}, as `GetSymbologyOption2`; `value`: 0 or 1", Effect::kOnDevice,
        "0; −4 for any other id and −2 for any other value, both before any device call; −2 "
        "when the device refuses the change",
        kNeedsDeviceAfterArguments, kNeedsDeviceAfterArguments, nullptr},
       oneOf({kOk, kUnsupported, kRejected}),
       {EX(SetSymbologyOption2(12, 1), 0, kUnsupported, kUnsupported),
        EX(SetSymbologyOption2(1, 7), kUnsupported, kUnsupported, kUnsupported),
        EX(SetSymbologyOption2(0, 1), kRejected, kRejected, kRejected)}},
      {SPECIAL(90, Destructor, kNoValue, destroy, {}, {}, {}),
       {nullptr, Effect::kScanner,
        "no result. Stops the scan thread (cancels its read and waits up to {stop wait} ms, never "
        "for "
        "a host callback, and not again for a thread DisableScanner already waited for), "
        "switches the scanner off and closes the driver: other objects' scanner "
        "operations then fail until a new object opens it",
        "no result; frees the object (there is no driver to switch off or close)", nullptr,
        nullptr},
       noResult(),
       {}},
      {SPECIAL(-1, NewScanner, kNoValue, newScanner, {}, {}, {}), {}, noResult(), {}},
      {SPECIAL(-1, PushLabel, kNoValue, pushLabel, {&kSymbology, &kLabelText},
               {"symbology", "text"}, {}),
       {},
       noResult(),
       {}},
  };
  return rows;
}

}  // namespace

// ---- Lookups -----------------------------------------------------------------------

const Operation& operationAt(int position) { return table()[static_cast<size_t>(position)]; }
const Operation* operationsBegin() { return table().data(); }
const Operation* operationsEnd() { return table().data() + table().size(); }

const Operation* findOperation(const std::string& name) {
  const auto found = std::find_if(operationsBegin(), operationsEnd(),
                                  [&](const Operation& row) { return name == row.name; });
  return found != operationsEnd() ? found : nullptr;
}

namespace {

template <typename T>
int countSet(const std::array<T, kMaxArgs>& items) {
  return static_cast<int>(std::find(items.begin(), items.end(), nullptr) - items.begin());
}

}  // namespace

int argCount(const Operation& operation) { return countSet(operation.kinds); }
int outputCount(const Operation& operation) { return countSet(operation.outputs); }

std::string joinedNames(const std::array<const char*, kMaxArgs>& names) {
  std::string out;
  for (int i = 0; i < countSet(names); ++i) out += (i > 0 ? " " : "") + std::string(names[i]);
  return out;
}

bool playsPattern(const Operation& operation) { return operation.result == &kPatternStatus; }

bool Answers::allows(int16_t result) const {
  switch (kind) {
    case kAnything:
      return true;
    case kOneOf:
      return std::find(values.begin(), values.begin() + count, result) != values.begin() + count;
    case kSetting: {
      const zorvan::SettingRow& row = zorvan::kSettingRows[setting];
      return result == 0 || (result >= static_cast<int32_t>(row.lowest) &&
                             result <= static_cast<int32_t>(row.highest));
    }
    case kNoResult:
      break;
  }
  return false;
}

std::string Answers::describe() const {
  switch (kind) {
    case kAnything:
      return "any 16-bit value";
    case kOneOf: {
      std::string out;
      for (int i = 0; i < count; ++i) out += (i > 0 ? ", " : "") + std::to_string(values[i]);
      return out;
    }
    case kSetting: {
      const zorvan::SettingRow& row = zorvan::kSettingRows[setting];
      return "0, " + std::to_string(row.lowest) + "-" + std::to_string(row.highest);
    }
    case kNoResult:
      break;
  }
  return "no result";
}

}  // namespace scanhost
