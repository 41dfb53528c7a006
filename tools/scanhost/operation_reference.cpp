#include "operation_reference.h"

#include <algorithm>
#include <iterator>
#include <sstream>

#include "feedback/tone_parameters.h"
#include "plugin_ids.h"

namespace scanhost {

const char kModelNameText[] = "ITCKVP";
const char kInterfaceIdText[] = "KVSym01";
const char kReferenceBeginMarker[] =
    "<!-- Operation reference: rendered from tools/scanhost/operation_reference.cpp by the "
    "target host-guide-reference; a test compares. -->";
const char kReferenceEndMarker[] = "<!-- End of the operation reference. -->";

namespace {

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

constexpr int16_t kUnsupported = ResultUnsupported;
constexpr int16_t kRejected = ResultRejected;

// ---- The rows ----------------------------------------------------------------------

#define ROW(position, name, arguments, effect, opened, noDriver, noDeviceConfig, outValues) \
  { position, #name, arguments, Effect::effect, opened, noDriver, noDeviceConfig, outValues }
#define NOT_SUPPORTED(position)                                                               \
  ROW(position, NotSupported##position, nullptr, kNone, kAlwaysUnsupported, nullptr, nullptr, \
      nullptr)

const OperationFacts kRows[] = {
    ROW(0, SetEvtAddEventToQueueCallBack, "`callback`: the function, or null to unregister",
        kAtOnce,
        "no result; replaces the earlier callback. Without one, labels are stored and the "
        "missing-callback warning goes once per process to the debug callback",
        nullptr, nullptr, nullptr),
    ROW(1, SetEvtDebugMessageCallBack, "`callback`: the function, or null to unregister", kAtOnce,
        "no result; replaces the earlier callback", nullptr, nullptr, nullptr),
    ROW(2, SetEvtPlayToneCallBack, "`callback`: the function, or null to unregister", kAtOnce,
        "no result; replaces the earlier callback. Without one, each tone is the platform's "
        "alert sound",
        nullptr, nullptr, nullptr),
    ROW(3, DisableAuxFlag, nullptr, kPending, "0, always; the aux flag is cleared", nullptr,
        nullptr, nullptr),
    ROW(4, EnableAuxFlag, nullptr, kPending, "0, always; the aux flag is set", nullptr, nullptr,
        nullptr),
    ROW(5, PlayTonePattern,
        "`pattern`, taken unsigned: 0 nothing, 1–26 and 30 their own patterns, 27 the good-read "
        "beep; 28, 29 and every other number (negative ones too) the default pattern",
        kNone, "0, always; plays the pattern in the calling thread, waiting out its pauses",
        "0; the tone table holds zeros until `ResetToDefaults` or `SetToneFrequency`, so every "
        "token is a pause of 0 ms and nothing sounds",
        "as without the driver", nullptr),
    NOT_SUPPORTED(6),
    ROW(7, ReadLedOff, nullptr, kScanner,
        "0, or −2 when the driver refuses; the read LED flag is 0 either way", "−2; the flag is 0",
        nullptr, nullptr),
    ROW(8, ReadLedOn, nullptr, kScanner,
        "0, or −2 when the driver refuses; the read LED flag is 1 either way", "−2; the flag is 1",
        nullptr, nullptr),
    ROW(9, ResetToDefaults, nullptr, kAtOnce,
        "0, always. Pending changes are discarded and the defaults are in force at once: "
        "good-read beep 1, flag 0, levels 30 (1), 0 (2) and 30 (3), code 182, selector 1, "
        "trigger mode 0, aux flag 0; tones {tone defaults}; prefix 0, suffixes 10 and 13, affix "
        "mode 0; "
        "second selector 0; read LED flag 0 (the LED is not touched); both variant flags 0. "
        "Symbology settings on the device are not touched",
        "as opened: this is how a half-open object gets its defaults", nullptr, nullptr),
    ROW(10, DisableScanner, nullptr, kScanner,
        "−4 when the driver reports the scanner disabled, and nothing else happens. Otherwise "
        "stops the object's scan thread (cancels its read and waits up to 3000 ms, never for a "
        "host callback, and not again for a thread an earlier call already waited for), "
        "switches the scanner off: 0, or "
        "−4 when the driver refuses. Switches scanning off for every object",
        "−4", nullptr, nullptr),
    ROW(11, EnableScanner, nullptr, kScanner,
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
        nullptr),
    ROW(12, ApplySettings, "`tonePattern`: 0 for none, else as `PlayTonePattern` takes", kAtOnce,
        "0, always; copies every pending setting into the applied ones, then plays the pattern",
        nullptr, nullptr, nullptr),
    ROW(13, StartSoftwareTrigger, nullptr, kScanner,
        "with an applied trigger mode other than 8 (all 32 bits compared): plays pattern 29, "
        "−2. With 8: −4 when the scanner is disabled; else pulls the trigger: 0, or −2 when the "
        "driver refuses",
        "−2 (pattern 29 plays, silent without tone defaults); with trigger mode 8 applied, −4",
        nullptr, nullptr),
    ROW(14, StopSoftwareTrigger, nullptr, kScanner,
        "with an applied trigger mode other than 8: −2, no tone. With 8: releases the trigger: "
        "0, or −2 when the driver refuses",
        "−2", nullptr, nullptr),
    NOT_SUPPORTED(15),
    NOT_SUPPORTED(16),
    ROW(17, GetStoredLevel2, nullptr, kNone, "the applied level 2, 0–100 (default 0)", nullptr,
        nullptr, nullptr),
    ROW(18, GetAuxFlag, nullptr, kNone, "the applied aux flag, 0 or 1 (default 0)", nullptr,
        nullptr, nullptr),
    ROW(19, GetStoredCode, nullptr, kNone, "the applied code, 181 or 182 (default 182)",
        kNoDefaults, kNoDefaults, nullptr),
    ROW(20, GetSymbologyEnabled,
        "`id`: a symbology id, {symbology ids}. {shared enable fields} share one enable field "
        "each",
        kNone,
        "1 when the device's enable field holds 1, else 0; −4 for any other id, before any "
        "device call; −2 when the device refuses the query",
        kNeedsDeviceAfterArguments, kNeedsDeviceAfterArguments, nullptr),
    ROW(21, GetSymbologyLengths,
        "`id`: a length id, {length ids}; `mode`, `first`, `second`: out-values. Mode 0 any "
        "length; 1 one length (`first`); 2 two lengths (`first` the larger); 3 a range "
        "`first`–`second`, `second` 255 when the device keeps a minimum only",
        kNone,
        "0 with the restriction the device holds; −4 for any other id or a null out-pointer, "
        "before any device call; −2 when the device refuses the query",
        kNeedsDeviceAfterArguments, kNeedsDeviceAfterArguments,
        "written only when the answer is 0; a null pointer: −4"),
    ROW(22, GetGoodReadBeep, nullptr, kNone, "the applied good-read beep, 0 or 1 (default 1)",
        kFlagNoDefaults, kFlagNoDefaults, nullptr),
    ROW(23, GetToneDuration, "`id`: a duration id, {duration ids}", kNone,
        "the duration in ms, as a signed 16-bit value (65534 reads as −2); −2 for any other id",
        "as opened, but the defaults were never applied: 0 until `ResetToDefaults` or "
        "`SetToneDuration`",
        "as without the driver", nullptr),
    ROW(24, GetToneFrequency, "`id`: a frequency id, {frequency ids}", kNone,
        "the frequency in Hz, as a signed 16-bit value (40000 reads as −25536); −2 for any "
        "other id",
        "as opened, but the defaults were never applied: 0 until `ResetToDefaults` or "
        "`SetToneFrequency`",
        "as without the driver", nullptr),
    ROW(25, GetStoredFlag1, nullptr, kNone, "the applied flag 1, 0 or 1 (default 0)", nullptr,
        nullptr, nullptr),
    ROW(26, GetOptionB2, nullptr, kNone,
        "`GroupB` field 2: 1 when it holds 1, else 0; −2 when the device refuses the query",
        kNeedsDevice, kNeedsDevice, nullptr),
    ROW(27, NoOpA, nullptr, kNone, "0, always; does nothing", nullptr, nullptr, nullptr),
    ROW(28, GetOptionA4, nullptr, kNone,
        "`GroupA` field 4: 1 when it is not 0 (the mode on), else 0; −2 when the device refuses "
        "the query",
        kNeedsDevice, kNeedsDevice, nullptr),
    ROW(29, GetOptionA1, nullptr, kNone,
        "`GroupA` field 1: 1 when it holds 1, else 0; −2 when the device refuses the query",
        kNeedsDevice, kNeedsDevice, nullptr),
    ROW(30, GetOptionIByKind,
        "`kind`: {option kinds}; kinds 0 and 1 are `GroupI` field 15, kind 3 field 16, kinds 2 "
        "and 4 have no field",
        kNone,
        "kinds 0, 1, 3: 1 when the field holds 1, else 0, or −2 when the device refuses the "
        "query; kinds 2 and 4: 0, without a device call; any other kind −4",
        "kinds 2 and 4: 0; kinds 0, 1, 3: −2; any other kind −4; nothing is called",
        "as without the driver", nullptr),
    ROW(31, GetLastLabelRecord, "`record`: 264 bytes of the host's", kNone,
        "0; the waiting label's record, and the label is taken; with none waiting the no-label "
        "record",
        "0 with the no-label record: no label ever arrives", nullptr,
        "a null `record`: −4, and a waiting label stays waiting"),
    ROW(32, GetStoredLevel3, nullptr, kNone, "the applied level 3, 0–100 (default 30)", kNoDefaults,
        kNoDefaults, nullptr),
    ROW(33, GetScannerModelName, "`buffer` and its `size` in bytes", kNone,
        "0; writes \"ITCKVP\", cut to `size` − 1 characters, and a zero in its last byte", nullptr,
        nullptr,
        "`size` 0 or less: 0, nothing written (a null `buffer` too); a null `buffer` with a "
        "`size` above 0: −4"),
    ROW(34, GetOptionITriple, nullptr, kNone,
        "`GroupI` fields 5, 6, 7: 1 when field 5 holds 1; else 2 when field 6 or 7 is not 0; "
        "else 0. −2 when the device refuses the query",
        kNeedsDevice, kNeedsDevice, nullptr),
    ROW(35, FixedTrueA, nullptr, kNone, "1, always; does nothing", nullptr, nullptr, nullptr),
    ROW(36, GetOptionIKind3, nullptr, kNone, "as `GetOptionIByKind(3)`", kNeedsDevice, kNeedsDevice,
        nullptr),
    ROW(37, ReadLabel,
        "`maxCount`: 0 or more; `symbology`: out-value; `buffer`: `maxCount` + 1 bytes", kNone,
        "0; copies up to `maxCount` bytes of the waiting label and a zero byte after them, and "
        "its reported symbology; the label is taken. With none waiting: an empty text and "
        "symbology 0",
        "0 with an empty text and symbology 0: no label ever arrives", nullptr,
        "a negative `maxCount` or a null pointer: −4, nothing written, a waiting label stays "
        "waiting"),
    NOT_SUPPORTED(38),
    ROW(39, GetOptionE1, nullptr, kNone,
        "`GroupE` field 1: 0 gives 0, 1 or 2 gives 1, 3 or 4 gives 2, any other value −4; −2 "
        "when the device refuses the query",
        kNeedsDevice, kNeedsDevice, nullptr),
    ROW(40, GetStoredLevel1, nullptr, kNone, "the applied level 1, 0–100 (default 30)", kNoDefaults,
        kNoDefaults, nullptr),
    ROW(41, GetStoredSelector, nullptr, kNone, "the applied selector, 1–4 (default 1)", kNoDefaults,
        kNoDefaults, nullptr),
    ROW(42, GetReadLedState, nullptr, kNone,
        "the read LED flag, 0 or 1: what `ReadLedOn` or `ReadLedOff` last asked for, whatever "
        "the driver answered (default 0); the driver is not asked",
        nullptr, nullptr, nullptr),
    ROW(43, FixedTrueB, nullptr, kNone, "1, always; does nothing", nullptr, nullptr, nullptr),
    ROW(44, GetOptionF1Bit1, nullptr, kNone,
        "`GroupF` field 1: 1 when it holds a value other than 0 and 1 (bit 1 set), else 0; −2 "
        "when the device refuses the query",
        kNeedsDevice, kNeedsDevice, nullptr),
    ROW(45, GetOptionB1, nullptr, kNone,
        "`GroupB` field 1: 1 when it holds 0, else 0; −2 when the device refuses the query",
        kNeedsDevice, kNeedsDevice, nullptr),
    ROW(46, GetAffixChars, "`prefix`, `suffix1`, `suffix2`: out-values", kNone,
        "0 with the three characters in force (default 0, 10, 13)",
        "0 with 0, 0, 0 until `ResetToDefaults` or `SetAffixChars`", "as without the driver",
        "any null pointer: −4, nothing written"),
    ROW(47, GetAffixMode, nullptr, kNone, "the affix mode in force, 0–7 (default 0)", nullptr,
        nullptr, nullptr),
    ROW(48, IsScannerEnabled, nullptr, kNone,
        "1 when the driver reports the scanner enabled, else 0; the same for every object. It "
        "says nothing about the scan thread",
        "0", nullptr, nullptr),
    ROW(49, GetBuildVersion, "`buffer` and its `size` in bytes", kNone,
        "0; writes the build version, cut to `size` − 1 characters, and a zero in its last "
        "byte. Five characters from the build date: the year's last digit, the month's first "
        "two letters (June Jn, July Jl), the day in two digits; \"0Jl27\" for Jul 27 2010. The "
        "date is the day of the build unless the build pins it with `ZORVAN_BUILD_DATE`",
        nullptr, nullptr, "as `GetScannerModelName`"),
    ROW(50, GetInterfaceId, "`buffer` and its `size` in bytes", kNone,
        "0; writes \"KVSym01\", cut to `size` − 1 characters, and a zero in its last byte", nullptr,
        nullptr, "as `GetScannerModelName`"),
    NOT_SUPPORTED(51),
    ROW(52, GetSymbologyOption, "`id`: an option id, {option ids}", kNone,
        "ids 0 and 6: the variant flag `SetSymbologyOption` stored for them (default 0), "
        "without a device call; 1: `GroupI` field 8, 2 and 12: `GroupI` field 9, 1 when it "
        "holds 1; 11: 1 when bit 0 of `GroupF` field 1 is clear; any other id −4; −2 when the "
        "device refuses the query",
        "ids 0 and 6 as opened; 1, 2, 11, 12: −2; any other id −4; nothing is called",
        "as without the driver", nullptr),
    ROW(53, GetOptionJ, nullptr, kNone,
        "`GroupJ` field 0: 0 gives 0, 1 gives 2, 2 gives 1, any other value −2; −2 when the "
        "device refuses the query",
        kNeedsDevice, kNeedsDevice, nullptr),
    ROW(54, GetTriggerMode, nullptr, kNone,
        "the low 16 bits of the applied trigger mode, as a signed value (default 0); "
        "`StartSoftwareTrigger` compares all 32",
        nullptr, nullptr, nullptr),
    NOT_SUPPORTED(55),
    ROW(56, GetStoredSelector2, nullptr, kNone, "the second selector in force, 0–4 (default 0)",
        nullptr, nullptr, nullptr),
    ROW(57, GetSymbologyOption2, "`id`: {option2 ids}; 1 is `GroupI` field 12, 2 and 12 field 13",
        kNone,
        "0 or 1 as the field holds it, −2 for any other field value; −4 for any other id, before "
        "any device call; −4 when the device refuses the query",
        kNeedsDeviceAfterArguments, kNeedsDeviceAfterArguments, nullptr),
    ROW(58, SetStoredLevel2, "`value`: {levels}", kPending, kPendingChange, nullptr, nullptr,
        nullptr),
    ROW(59, SetStoredCode, "`value`: {codes}", kPending, kPendingChange, nullptr, nullptr, nullptr),
    ROW(60, SetSymbologyEnabled,
        "`id`: a symbology id, as `GetSymbologyEnabled`; `flag`: not 0 "
        "enables, 0 disables",
        kOnDevice,
        "0; −4 for any other id, before any device call; −4 when the device refuses the change",
        kNeedsDeviceAfterArguments, kNeedsDeviceAfterArguments, nullptr),
    ROW(61, SetSymbologyLengths,
        "`id`: a length id, {length ids}; `mode` and lengths as `GetSymbologyLengths` gives "
        "them (any other mode counts as 0); a length reaches the device as its low 8 bits. Ids "
        "0, 9 and 11 keep only a minimum (the smaller length for modes 2 and 3); the others "
        "keep one or two lengths, or in mode 3 the minimum only",
        kOnDevice,
        "0; −4 for any other id, before any device call; −4 when the device refuses the change",
        kNeedsDeviceAfterArguments, kNeedsDeviceAfterArguments, nullptr),
    ROW(62, SetGoodReadBeep, "`flag`: not 0 on, 0 off", kPending,
        "0, always; the scan thread beeps after each label while the applied flag is on", nullptr,
        "0; no good-read beep sounds whatever the flag", nullptr),
    ROW(63, SetToneDuration,
        "`id`: a duration id, {duration ids}; `value`: its low 16 bits are "
        "kept",
        kAtOnce, "0, always; any other id changes nothing", nullptr, nullptr, nullptr),
    ROW(64, SetToneFrequency,
        "`id`: a frequency id, {frequency ids}; `value`: its low 16 bits "
        "are kept (0 makes the letter's tones pauses)",
        kAtOnce, "0, always; any other id changes nothing", nullptr, nullptr, nullptr),
    ROW(65, SetStoredFlag1, "`flag`: not 0 on, 0 off", kPending, "0, always", nullptr, nullptr,
        nullptr),
    ROW(66, SetOptionB2, "`flag`: not 0 on (`GroupB` field 2 written 1), 0 off", kOnDevice,
        "0; −4 when the device refuses the change", kNeedsDevice, kNeedsDevice, nullptr),
    NOT_SUPPORTED(67),
    ROW(68, SetOptionA4,
        "`flag`: not 0 switches the mode on, writing `GroupA` field 4 as 1 when the variant flag "
        "of id 0 is set, else 2; 0 writes 0",
        kOnDevice, "0; −4 when the device refuses the change", kNeedsDevice, kNeedsDevice, nullptr),
    ROW(69, SetOptionA1, "`flag`: not 0 on (`GroupA` field 1 written 1), 0 off", kOnDevice,
        "0; −4 when the device refuses the change", kNeedsDevice, kNeedsDevice, nullptr),
    ROW(70, SetOptionIByKind, "`kind`: as `GetOptionIByKind`; `flag`: not 0 on, 0 off", kOnDevice,
        "kinds 0, 1, 3: 0, or −4 when the device refuses the change; kinds 2 and 4: −2, without "
        "a device call; any other kind −4",
        "kinds 0–4: −2; any other kind −4; nothing is called", "as without the driver", nullptr),
    ROW(71, SetStoredLevel3, "`value`: {levels}", kPending, kPendingChange, nullptr, nullptr,
        nullptr),
    ROW(72, SetOptionITriple,
        "`state`: 0, 1 or 2, written to `GroupI` fields 5, 6, 7 as 0 0 0, 1 1 1, 0 1 1", kOnDevice,
        "0; −4 for any other state; −2 when the device refuses the change",
        kNeedsDeviceAfterArguments, kNeedsDeviceAfterArguments, nullptr),
    ROW(73, NoOpB, nullptr, kNone, "0, always; does nothing", nullptr, nullptr, nullptr),
    ROW(74, SetOptionIKind3, "`flag`: as `SetOptionIByKind(3, flag)`", kOnDevice,
        "as `SetOptionIByKind(3, flag)`", kNeedsDevice, kNeedsDevice, nullptr),
    NOT_SUPPORTED(75),
    ROW(76, SetOptionE1,
        "`state`: 0 off; 1 mode 1, 2 mode 2, written to `GroupE` field 1 as the odd value when "
        "the variant flag of id 6 is set, else the even one (1 or 2, 3 or 4)",
        kOnDevice, "0; −4 for any other state; −2 when the device refuses the change",
        kNeedsDeviceAfterArguments, kNeedsDeviceAfterArguments, nullptr),
    ROW(77, SetStoredLevel1, "`value`: {levels}", kPending, kPendingChange, nullptr, nullptr,
        nullptr),
    ROW(78, SetStoredSelector, "`value`: {selectors}", kPending, kPendingChange, nullptr, nullptr,
        nullptr),
    ROW(79, AcceptValueOne, "`value`: 1", kNone, "0 for 1, −2 for any other value; does nothing",
        nullptr, nullptr, nullptr),
    ROW(80, SetOptionF1Bit1, "`flag`: 0 or 1, for bit 1 of `GroupF` field 1", kOnDevice,
        "reads the group first: −2 when the device refuses the query, whatever the flag. Then a "
        "flag other than 0 and 1: −4; the bit already as asked: −2, nothing written; else 0, or "
        "−2 when the device refuses the change",
        "−2, whatever the flag; nothing is called", "as without the driver", nullptr),
    ROW(81, SetOptionB1, "`flag`: not 0 on (`GroupB` field 1 written 0), 0 off (written 2)",
        kOnDevice, "0; −4 when the device refuses the change", kNeedsDevice, kNeedsDevice, nullptr),
    ROW(82, SetAffixChars,
        "`prefix`, `suffix1`, `suffix2`: any bytes; a character of 0, or of 128 and above, is "
        "never added to a label",
        kAtOnce, "0, always", nullptr, nullptr, nullptr),
    ROW(83, SetAffixMode,
        "`mode`: {affix modes}; bit 2 adds the prefix, bit 0 the first suffix, bit 1 the second",
        kAtOnce, "0; −4 outside 0–7 (taken unsigned), nothing changed", nullptr, nullptr, nullptr),
    NOT_SUPPORTED(84),
    ROW(85, SetSymbologyOption, "`id`: an option id, {option ids}; `value`: 1 on, any other off",
        kOnDevice,
        "ids 0 and 6 store the variant flag first (it stands whatever follows), then switch "
        "the variant of `GroupA` field 4 or `GroupE` field 1 when its mode is on: 0, or −4 when "
        "the device refuses the change; −2 when the device refuses the query, the mode is off "
        "or already that variant (nothing written). 11 switches bit 0 of `GroupF` field 1 "
        "(set is off) the same way. 1, 2 and 12 write `GroupI` field 8 or 9: 0, or −4 when the "
        "device refuses. Any other id −4, nothing stored",
        "ids 0 and 6: the variant flag is stored, then −2; 1, 2, 11, 12: −2; any other id −4; "
        "nothing is called",
        "as without the driver", nullptr),
    ROW(86, SetOptionJ, "`state`: 0, 1 or 2 (written to `GroupJ` field 0 as 0, 2, 1)", kOnDevice,
        "0; −4 for any other state; −2 when the device refuses the change",
        kNeedsDeviceAfterArguments, kNeedsDeviceAfterArguments, nullptr),
    ROW(87, SetTriggerMode, "`mode`: any 32-bit value; 8 allows the software trigger", kPending,
        "0, always. A value equal to the applied one leaves the pending one as it is", nullptr,
        nullptr, nullptr),
    ROW(88, SetStoredSelector2, "`value`: {second selectors}", kAtOnce,
        "0; −4 outside 0–4 (taken unsigned), nothing changed", nullptr, nullptr, nullptr),
    ROW(89, SetSymbologyOption2, "`id`: {option2 ids}, as `GetSymbologyOption2`; `value`: 0 or 1",
        kOnDevice,
        "0; −4 for any other id and −2 for any other value, both before any device call; −2 "
        "when the device refuses the change",
        kNeedsDeviceAfterArguments, kNeedsDeviceAfterArguments, nullptr),
    ROW(90, ~ScannerInterface1, nullptr, kScanner,
        "no result. Stops the scan thread (cancels its read and waits up to 3000 ms, never for "
        "a host callback, and not again for a thread DisableScanner already waited for), "
        "switches the scanner off and closes the driver: other objects' scanner "
        "operations then fail until a new object opens it",
        "no result; frees the object (there is no driver to switch off or close)", nullptr,
        nullptr),
};

static_assert(std::size(kRows) == kReferenceCount, "one row a position");

// ---- Value sets ----------------------------------------------------------------------

std::vector<int32_t> range(int32_t first, int32_t last) {
  std::vector<int32_t> values;
  for (int32_t value = first; value <= last; ++value) values.push_back(value);
  return values;
}

const ValueSet kValueSets[] = {
    {"{symbology ids}", symbologyIds()},
    {"{length ids}", lengthIds()},
    {"{option ids}", optionIds()},
    {"{option2 ids}", option2Ids()},
    {"{option kinds}", optionKinds()},
    {"{device option kinds}", deviceOptionKinds()},
    {"{duration ids}", toneIds(zorvan::ToneKind::kDuration)},
    {"{frequency ids}", toneIds(zorvan::ToneKind::kFrequency)},
    {"{levels}", range(0, 100)},
    {"{codes}", {181, 182}},
    {"{selectors}", range(1, 4)},
    {"{second selectors}", range(0, 4)},
    {"{affix modes}", range(0, 7)},
};

static_assert(std::size(kValueSets) == kValueSetCount, "one set an id");

}  // namespace

const std::vector<std::vector<int32_t>> kSharedEnableFields = sharedEnableFields();

namespace {

// "0–9, 11, 12, 83–85": runs of three or more as a range.
std::string listed(const std::vector<int32_t>& values) {
  std::string out;
  for (size_t i = 0; i < values.size();) {
    size_t end = i;
    while (end + 1 < values.size() && values[end + 1] == values[end] + 1) ++end;
    if (!out.empty()) out += ", ";
    if (end >= i + 2) {
      out += std::to_string(values[i]) + "–" + std::to_string(values[end]);
      i = end + 1;
    } else {
      out += std::to_string(values[i++]);
    }
  }
  return out;
}

// A tone id with the pattern letter that uses it.
std::string listedTones(zorvan::ToneKind kind) {
  std::string out;
  for (int32_t id : toneIds(kind)) {
    const int slot = zorvan::toneSlotOfId(kind, id);
    out += (out.empty() ? "" : ", ") + std::to_string(id) + " (`" +
           std::string(1, zorvan::kToneParameters[slot].letter) + "`)";
  }
  return out;
}

void replaceAll(std::string* text, const std::string& from, const std::string& to) {
  for (size_t at = text->find(from); at != std::string::npos; at = text->find(from, at + to.size()))
    text->replace(at, from.size(), to);
}

// "a and b, c, d and e": items joined as a sentence joins them.
std::string sentence(const std::vector<std::string>& items) {
  std::string out;
  for (size_t i = 0; i < items.size(); ++i) {
    out += (i == 0                 ? ""
            : i + 1 < items.size() ? ", "
            : items.size() > 2     ? ", and "
                                   : " and ") +
           items[i];
  }
  return out;
}

std::string sharedEnableFields() {
  std::vector<std::string> groups;
  for (const std::vector<int32_t>& group : kSharedEnableFields) {
    std::vector<std::string> ids;
    for (int32_t id : group) ids.push_back(std::to_string(id));
    groups.push_back(sentence(ids));
  }
  return sentence(groups);
}

// "id 39 90 ms, ..., id 40 3000 Hz, ...": the defaults in table order.
std::string toneDefaults() {
  std::string out;
  for (const zorvan::ToneParameter& parameter : zorvan::kToneParameters) {
    out += (out.empty() ? "id " : ", id ") + std::to_string(parameter.id) + " " +
           std::to_string(parameter.defaultValue) +
           (parameter.kind == zorvan::ToneKind::kDuration ? " ms" : " Hz");
  }
  return out;
}

// A row's text with the value sets written out.
std::string expanded(const char* text) {
  std::string out = text;
  replaceAll(&out, "{tone defaults}", toneDefaults());
  replaceAll(&out, "{shared enable fields}", sharedEnableFields());
  for (const ValueSet& set : kValueSets) {
    if (out.find(set.name) == std::string::npos) continue;
    const bool tones = &set == &kValueSets[kDurationIds] || &set == &kValueSets[kFrequencyIds];
    replaceAll(&out, set.name,
               tones ? listedTones(&set == &kValueSets[kDurationIds] ? zorvan::ToneKind::kDuration
                                                                     : zorvan::ToneKind::kFrequency)
                     : listed(set.values));
  }
  return out;
}

// For a terminal: ASCII, no Markdown.
std::string plain(std::string text) {
  replaceAll(&text, "−", "-");
  replaceAll(&text, "–", "-");
  replaceAll(&text, "`", "");
  return text;
}

const char* effectText(Effect effect) {
  switch (effect) {
    case Effect::kNone:
      return "—";
    case Effect::kPending:
      return "pending until `ApplySettings`";
    case Effect::kAtOnce:
      return "at once";
    case Effect::kOnDevice:
      return "on the device, at once";
    case Effect::kScanner:
      return "in the driver, at once";
  }
  return "";
}

// A state's answer: its own text, or what it is as.
std::string answerText(const OperationFacts& row, ObjectState state) {
  const char* texts[] = {row.opened, row.noDriver, row.noDeviceConfig};
  if (texts[state] == nullptr) return "as opened";
  return expanded(texts[state]);
}

std::string number(int16_t value) {
  return value < 0 ? "−" + std::to_string(-value) : std::to_string(value);
}

// An example's call as the guide shows it: the scratch area's fields by name.
std::string callText(const Example& example) {
  std::string text = example.call;
  // "(a, b), then c" reads "a, b, then c".
  if (text[0] == '(') {
    int depth = 0;
    size_t close = 0;
    while (close < text.size() && (depth += text[close] == '('   ? 1
                                            : text[close] == ')' ? -1
                                                                 : 0) > 0)
      ++close;
    text.erase(close, 1);
    text.erase(0, 1);
  }
  replaceAll(&text, "out.", "");
  replaceAll(&text, "s.", "");
  return text;
}

}  // namespace

// ---- Examples --------------------------------------------------------------------------

// A call, or calls in a row with the answer of the last, on a new object.
#define EX(position, call, opened, noDriver, noDeviceConfig) \
  {                                                          \
    position, #call,                                         \
        [](ScannerInterface1& s, Scratch& out) -> int16_t {  \
          (void)out;                                         \
          return s.call;                                     \
        },                                                   \
    {                                                        \
      opened, noDriver, noDeviceConfig                       \
    }                                                        \
  }
#define EX_AFTER(position, before, call, opened, noDriver, noDeviceConfig) \
  {                                                                        \
    position, #before ", then " #call,                                     \
        [](ScannerInterface1& s, Scratch& out) -> int16_t {                \
          (void)out;                                                       \
          before;                                                          \
          return s.call;                                                   \
        },                                                                 \
    {                                                                      \
      opened, noDriver, noDeviceConfig                                     \
    }                                                                      \
  }

const Example kExamples[] = {
    EX(3, DisableAuxFlag(), 0, 0, 0),
    EX_AFTER(4, (s.EnableAuxFlag(), s.ApplySettings(0)), GetAuxFlag(), 1, 1, 1),
    EX(5, PlayTonePattern(1), 0, 0, 0),
    EX(6, NotSupported6(), kUnsupported, kUnsupported, kUnsupported),
    EX(7, ReadLedOff(), 0, kUnsupported, 0),
    EX(8, ReadLedOn(), 0, kUnsupported, 0),
    EX_AFTER(8, s.ReadLedOn(), GetReadLedState(), 1, 1, 1),
    EX(9, ResetToDefaults(), 0, 0, 0),
    EX_AFTER(9, s.ResetToDefaults(), GetToneFrequency(35), 7500, 7500, 7500),
    EX_AFTER(9, (s.SetStoredLevel2(5), s.ResetToDefaults(), s.ApplySettings(0)), GetStoredLevel2(),
             0, 0, 0),
    EX(10, DisableScanner(), kRejected, kRejected, kRejected),
    EX_AFTER(10, s.EnableScanner(), DisableScanner(), 0, kRejected, 0),
    EX(11, EnableScanner(), 0, kRejected, 0),
    EX(12, ApplySettings(0), 0, 0, 0),
    EX(13, StartSoftwareTrigger(), kUnsupported, kUnsupported, kUnsupported),
    EX_AFTER(13, (s.SetTriggerMode(8), s.ApplySettings(0)), StartSoftwareTrigger(), kRejected,
             kRejected, kRejected),
    EX_AFTER(13, (s.SetTriggerMode(8), s.ApplySettings(0), s.EnableScanner()),
             StartSoftwareTrigger(), 0, kRejected, 0),
    EX_AFTER(13, (s.SetTriggerMode(0x10008), s.ApplySettings(0), s.EnableScanner()),
             StartSoftwareTrigger(), kUnsupported, kUnsupported, kUnsupported),
    EX(14, StopSoftwareTrigger(), kUnsupported, kUnsupported, kUnsupported),
    EX_AFTER(14, (s.SetTriggerMode(8), s.ApplySettings(0)), StopSoftwareTrigger(), 0, kUnsupported,
             0),
    EX(15, NotSupported15(), kUnsupported, kUnsupported, kUnsupported),
    EX(16, NotSupported16(), kUnsupported, kUnsupported, kUnsupported),
    EX(17, GetStoredLevel2(), 0, 0, 0),
    EX(18, GetAuxFlag(), 0, 0, 0),
    EX(19, GetStoredCode(), 182, 0, 0),
    EX(20, GetSymbologyEnabled(7), 0, kUnsupported, kUnsupported),
    EX_AFTER(20, s.SetSymbologyEnabled(14, 1), GetSymbologyEnabled(84), 1, kUnsupported,
             kUnsupported),
    EX(20, GetSymbologyEnabled(10), kRejected, kRejected, kRejected),
    EX(21, GetSymbologyLengths(7, &out.mode, &out.first, &out.second), 0, kUnsupported,
       kUnsupported),
    EX(21, GetSymbologyLengths(1, &out.mode, &out.first, &out.second), kRejected, kRejected,
       kRejected),
    EX(21, GetSymbologyLengths(7, nullptr, nullptr, nullptr), kRejected, kRejected, kRejected),
    EX(22, GetGoodReadBeep(), 1, 0, 0),
    EX(23, GetToneDuration(39), 90, 0, 0),
    EX(23, GetToneDuration(35), kUnsupported, kUnsupported, kUnsupported),
    EX(24, GetToneFrequency(40), 3000, 0, 0),
    EX(24, GetToneFrequency(38), kUnsupported, kUnsupported, kUnsupported),
    EX(25, GetStoredFlag1(), 0, 0, 0),
    EX(26, GetOptionB2(), 0, kUnsupported, kUnsupported),
    EX(27, NoOpA(), 0, 0, 0),
    EX(28, GetOptionA4(), 0, kUnsupported, kUnsupported),
    EX(29, GetOptionA1(), 0, kUnsupported, kUnsupported),
    EX(30, GetOptionIByKind(0), 0, kUnsupported, kUnsupported),
    EX(30, GetOptionIByKind(2), 0, 0, 0),
    EX(30, GetOptionIByKind(5), kRejected, kRejected, kRejected),
    EX(31, GetLastLabelRecord(out.record), 0, 0, 0),
    EX(31, GetLastLabelRecord(nullptr), kRejected, kRejected, kRejected),
    EX(32, GetStoredLevel3(), 30, 0, 0),
    EX(33, GetScannerModelName(out.text, 64), 0, 0, 0),
    EX(33, GetScannerModelName(nullptr, 8), kRejected, kRejected, kRejected),
    EX(33, GetScannerModelName(nullptr, 0), 0, 0, 0),
    EX(34, GetOptionITriple(), 0, kUnsupported, kUnsupported),
    EX(35, FixedTrueA(), 1, 1, 1),
    EX(36, GetOptionIKind3(), 0, kUnsupported, kUnsupported),
    EX(37, ReadLabel(63, &out.symbology, out.text), 0, 0, 0),
    EX(37, ReadLabel(-1, &out.symbology, out.text), kRejected, kRejected, kRejected),
    EX(37, ReadLabel(10, nullptr, out.text), kRejected, kRejected, kRejected),
    EX(38, NotSupported38(), kUnsupported, kUnsupported, kUnsupported),
    EX(39, GetOptionE1(), 0, kUnsupported, kUnsupported),
    EX(40, GetStoredLevel1(), 30, 0, 0),
    EX(41, GetStoredSelector(), 1, 0, 0),
    EX(42, GetReadLedState(), 0, 0, 0),
    EX(43, FixedTrueB(), 1, 1, 1),
    EX(44, GetOptionF1Bit1(), 0, kUnsupported, kUnsupported),
    EX(45, GetOptionB1(), 1, kUnsupported, kUnsupported),
    EX(46, GetAffixChars(&out.prefix, &out.suffix1, &out.suffix2), 0, 0, 0),
    EX(46, GetAffixChars(nullptr, &out.suffix1, &out.suffix2), kRejected, kRejected, kRejected),
    EX(47, GetAffixMode(), 0, 0, 0),
    EX(48, IsScannerEnabled(), 0, 0, 0),
    EX_AFTER(48, s.EnableScanner(), IsScannerEnabled(), 1, 0, 1),
    EX(49, GetBuildVersion(out.text, 64), 0, 0, 0),
    EX(50, GetInterfaceId(out.text, 3), 0, 0, 0),
    EX(51, NotSupported51(), kUnsupported, kUnsupported, kUnsupported),
    EX(52, GetSymbologyOption(0), 0, 0, 0),
    EX_AFTER(52, s.SetSymbologyOption(0, 1), GetSymbologyOption(0), 1, 1, 1),
    EX(52, GetSymbologyOption(11), 1, kUnsupported, kUnsupported),
    EX(52, GetSymbologyOption(3), kRejected, kRejected, kRejected),
    EX(53, GetOptionJ(), 0, kUnsupported, kUnsupported),
    EX(54, GetTriggerMode(), 0, 0, 0),
    EX_AFTER(54, (s.SetTriggerMode(0x12345), s.ApplySettings(0)), GetTriggerMode(), 0x2345, 0x2345,
             0x2345),
    EX(55, NotSupported55(), kUnsupported, kUnsupported, kUnsupported),
    EX(56, GetStoredSelector2(), 0, 0, 0),
    EX(57, GetSymbologyOption2(1), 0, kUnsupported, kUnsupported),
    EX(57, GetSymbologyOption2(0), kRejected, kRejected, kRejected),
    EX(58, SetStoredLevel2(100), 0, 0, 0),
    EX(58, SetStoredLevel2(101), kRejected, kRejected, kRejected),
    EX(58, SetStoredLevel2(-1), kRejected, kRejected, kRejected),
    EX(59, SetStoredCode(181), 0, 0, 0),
    EX(59, SetStoredCode(183), kRejected, kRejected, kRejected),
    EX(60, SetSymbologyEnabled(7, 1), 0, kUnsupported, kUnsupported),
    EX(60, SetSymbologyEnabled(10, 1), kRejected, kRejected, kRejected),
    EX(61, SetSymbologyLengths(7, 1, 12, 0), 0, kUnsupported, kUnsupported),
    EX(61, SetSymbologyLengths(8, 1, 12, 0), kRejected, kRejected, kRejected),
    EX(62, SetGoodReadBeep(0), 0, 0, 0),
    EX_AFTER(62, s.SetGoodReadBeep(0), GetGoodReadBeep(), 1, 0, 0),
    EX(63, SetToneDuration(35, 5), 0, 0, 0),
    EX_AFTER(63, s.SetToneDuration(39, 65736), GetToneDuration(39), 200, 200, 200),
    EX(64, SetToneFrequency(38, 1), 0, 0, 0),
    EX_AFTER(64, s.SetToneFrequency(35, 40000), GetToneFrequency(35), -25536, -25536, -25536),
    EX(65, SetStoredFlag1(1), 0, 0, 0),
    EX(66, SetOptionB2(1), 0, kUnsupported, kUnsupported),
    EX(67, NotSupported67(), kUnsupported, kUnsupported, kUnsupported),
    EX(68, SetOptionA4(1), 0, kUnsupported, kUnsupported),
    EX(69, SetOptionA1(1), 0, kUnsupported, kUnsupported),
    EX(70, SetOptionIByKind(3, 1), 0, kUnsupported, kUnsupported),
    EX(70, SetOptionIByKind(4, 1), kUnsupported, kUnsupported, kUnsupported),
    EX(70, SetOptionIByKind(-1, 1), kRejected, kRejected, kRejected),
    EX(71, SetStoredLevel3(50), 0, 0, 0),
    EX(72, SetOptionITriple(2), 0, kUnsupported, kUnsupported),
    EX(72, SetOptionITriple(3), kRejected, kRejected, kRejected),
    EX(73, NoOpB(), 0, 0, 0),
    EX(74, SetOptionIKind3(1), 0, kUnsupported, kUnsupported),
    EX(75, NotSupported75(), kUnsupported, kUnsupported, kUnsupported),
    EX(76, SetOptionE1(1), 0, kUnsupported, kUnsupported),
    EX(76, SetOptionE1(3), kRejected, kRejected, kRejected),
    EX(77, SetStoredLevel1(50), 0, 0, 0),
    EX_AFTER(77, (s.SetStoredLevel1(50), s.SetStoredLevel1(30), s.ApplySettings(0)),
             GetStoredLevel1(), 50, 30, 30),
    EX(78, SetStoredSelector(4), 0, 0, 0),
    EX(78, SetStoredSelector(0), kRejected, kRejected, kRejected),
    EX(79, AcceptValueOne(1), 0, 0, 0),
    EX(79, AcceptValueOne(2), kUnsupported, kUnsupported, kUnsupported),
    EX(80, SetOptionF1Bit1(1), 0, kUnsupported, kUnsupported),
    EX(80, SetOptionF1Bit1(0), kUnsupported, kUnsupported, kUnsupported),
    EX(80, SetOptionF1Bit1(2), kRejected, kUnsupported, kUnsupported),
    EX(81, SetOptionB1(1), 0, kUnsupported, kUnsupported),
    EX(82, SetAffixChars(2, 10, 13), 0, 0, 0),
    EX(83, SetAffixMode(7), 0, 0, 0),
    EX(83, SetAffixMode(8), kRejected, kRejected, kRejected),
    EX(84, NotSupported84(), kUnsupported, kUnsupported, kUnsupported),
    EX(85, SetSymbologyOption(0, 1), kUnsupported, kUnsupported, kUnsupported),
    EX(85, SetSymbologyOption(1, 1), 0, kUnsupported, kUnsupported),
    EX(85, SetSymbologyOption(11, 0), 0, kUnsupported, kUnsupported),
    EX(85, SetSymbologyOption(3, 1), kRejected, kRejected, kRejected),
    EX(86, SetOptionJ(1), 0, kUnsupported, kUnsupported),
    EX(86, SetOptionJ(3), kRejected, kRejected, kRejected),
    EX(87, SetTriggerMode(8), 0, 0, 0),
    EX(88, SetStoredSelector2(4), 0, 0, 0),
    EX(88, SetStoredSelector2(5), kRejected, kRejected, kRejected),
    EX(89, SetSymbologyOption2(12, 1), 0, kUnsupported, kUnsupported),
    EX(89, SetSymbologyOption2(1, 7), kUnsupported, kUnsupported, kUnsupported),
    EX(89, SetSymbologyOption2(0, 1), kRejected, kRejected, kRejected),
};

const int kExampleCount = static_cast<int>(std::size(kExamples));

const OperationFacts& operationFacts(int position) { return kRows[position]; }

const ValueSet& valueSet(ValueSetId id) { return kValueSets[id]; }

std::string referenceLines(int position) {
  const OperationFacts& row = kRows[position];
  std::string out;
  // "label: text", wrapped at kWidth columns under the text's start.
  constexpr size_t kWidth = 100;
  auto line = [&](const char* label, const std::string& text) {
    std::string current = "       " + std::string(label) + ":";
    const std::string indent(9, ' ');
    std::istringstream words(plain(text));
    std::string word;
    while (words >> word) {
      if (current.size() + 1 + word.size() > kWidth && current.size() > indent.size()) {
        out += current + "\n";
        current = indent.substr(1);
      }
      current += " " + word;
    }
    out += current + "\n";
  };
  if (row.arguments != nullptr) line("takes", expanded(row.arguments));
  if (row.effect != Effect::kNone) line("effect", effectText(row.effect));
  line("opened", answerText(row, kOpened));
  line("no driver", answerText(row, kNoDriver));
  line("no DeviceConfig", answerText(row, kNoDeviceConfig));
  if (row.outValues != nullptr) line("pointers", row.outValues);
  for (const Example& example : kExamples) {
    if (example.position != position) continue;
    // A call and its answers stay on one line.
    out += "       e.g. " +
           plain(callText(example) + " -> " + number(example.answers[kOpened]) + " | " +
                 number(example.answers[kNoDriver]) + " | " +
                 number(example.answers[kNoDeviceConfig])) +
           "\n";
  }
  return out;
}

std::string referenceSection() {
  std::string out =
      "| # | Operation | Arguments | Takes effect | Opened | Half-open: no driver | "
      "Half-open: no DeviceConfig |\n|---|---|---|---|---|---|---|\n";
  for (const OperationFacts& row : kRows) {
    out += "| " + std::to_string(row.position) + " | `" + row.name + "` | " +
           (row.arguments != nullptr ? expanded(row.arguments) : "—") + " | " +
           effectText(row.effect) + " | " + answerText(row, kOpened) + " | " +
           answerText(row, kNoDriver) + " | " + answerText(row, kNoDeviceConfig) + " |\n";
  }
  out +=
      "\nOut-values and null pointers:\n\n"
      "| # | Operation | On failure and for null pointers |\n|---|---|---|\n";
  for (const OperationFacts& row : kRows) {
    if (row.outValues == nullptr) continue;
    out +=
        "| " + std::to_string(row.position) + " | `" + row.name + "` | " + row.outValues + " |\n";
  }
  out +=
      "\nAnswers, each call (or calls in a row, the answer of the last) made on a new object "
      "over the virtual device as it starts (every `DeviceConfig` field 0, the scanner "
      "disabled, no label waiting):\n\n"
      "| # | Call | Opened | No driver | No DeviceConfig |\n|---|---|---|---|---|\n";
  for (const Example& example : kExamples) {
    out += "| " + std::to_string(example.position) + " | `" + callText(example) + "` | " +
           number(example.answers[kOpened]) + " | " + number(example.answers[kNoDriver]) + " | " +
           number(example.answers[kNoDeviceConfig]) + " |\n";
  }
  return out;
}

}  // namespace scanhost
