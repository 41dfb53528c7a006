// The symbology options other than enabling and lengths, as tables over the
// field maps of field_access.h, and the routines the option operations call.
#ifndef ZORVAN_SYMBOLOGY_OPTION_TABLE_H
#define ZORVAN_SYMBOLOGY_OPTION_TABLE_H

#include <stdint.h>

#include "symbology/field_access.h"
#include "symbology/symbology_config.h"
#include "symbology/symbology_table.h"

namespace zorvan {

// ---- Single-field pairs: a get and a set over one option --------------------

enum class PairedOption : uint8_t { kB2, kA1, kB1, kA4, kE1, kJ, kITriple };
constexpr int kPairedOptionCount = 7;

struct PairedOptionEntry {
  PairedOption option;  // the row's own index
  OptionField where;
  const ValueMap* get;
  const ArgumentMap* set;
  int16_t failingGet;  // status of a get the device refuses
  int16_t failingSet;  // status of a set the device refuses
};

// Indexed by PairedOption.
extern const PairedOptionEntry kPairedOptions[];

int16_t getPairedOption(SymbologyConfig& config, PairedOption option);
int16_t setPairedOption(SymbologyConfig& config, PairedOption option, int32_t argument);

// ---- Read-modify-write changes ---------------------------------------------

// Current field value → new value.
struct Transition {
  uint8_t from;
  uint8_t to;
};

struct TransitionSet {
  Transition pairs[3];
  uint8_t count;
};

// A change that reads the field first and writes only when the current value
// has a transition for the request; any other value (the state already as
// requested, the mode off, a value outside the encoding) is answered with
// ResultUnsupported and nothing is written. A request of 1 switches on, any
// other switches off, unless `zeroOrOneOnly` refuses requests other than 0
// and 1 (after the read). A group with a length list gets back the list and
// count just read, its kind NoChange.
struct ReadModifyWrite {
  bool zeroOrOneOnly;
  TransitionSet switchOn;
  TransitionSet switchOff;
  int16_t failingSet;
};

int16_t readModifyWrite(SymbologyConfig& config, const OptionField& where,
                        const ReadModifyWrite& rule, int32_t request);

// Bit 1 (value 2) of GroupF field 1.
int16_t getOptionF1Bit1(SymbologyConfig& config);
int16_t setOptionF1Bit1(SymbologyConfig& config, int32_t flag);

// ---- Options chosen by option kind (GroupI) ----------------------------------

struct OptionKindEntry {
  bool onDevice;  // false: kinds answered without the device
  uint8_t field;  // GroupI field of the kind
};

constexpr int kOptionKindCount = 5;
// Indexed by option kind.
extern const OptionKindEntry kOptionKinds[];

int16_t getOptionByKind(SymbologyConfig& config, int32_t kind);
int16_t setOptionByKind(SymbologyConfig& config, int32_t kind, int32_t flag);

// ---- The per-symbology option ----------------------------------------------

struct SymbologyOptionEntry {
  HostSymbologyId id;
  // The variant flag the option is answered from and that a change stores
  // first; kNone: the option is read from the device.
  VariantFlag flag;
  OptionField where;
  const ValueMap* read;           // null when answered from the flag
  const ArgumentMap* write;       // a plain write, or null
  const ReadModifyWrite* modify;  // a read-modify-write, or null
};

constexpr int kSymbologyOptionCount = 6;
// Sorted by host value; a host value missing here has no such option.
extern const SymbologyOptionEntry kSymbologyOptions[];

int16_t getSymbologyOption(SymbologyConfig& config, HostSymbologyId id);
int16_t setSymbologyOption(SymbologyConfig& config, HostSymbologyId id, int32_t value);

// ---- The second per-symbology option (GroupI), by vendor number -------------

struct SymbologyOption2Entry {
  VendorSymbologyId vendor;
  uint8_t field;  // GroupI field
};

constexpr int kSymbologyOption2Count = 3;
// Sorted by vendor number.
extern const SymbologyOption2Entry kSymbologyOptions2[];

int16_t getSymbologyOption2(SymbologyConfig& config, HostSymbologyId id);
int16_t setSymbologyOption2(SymbologyConfig& config, HostSymbologyId id, uint16_t value);

}  // namespace zorvan

#endif  // ZORVAN_SYMBOLOGY_OPTION_TABLE_H
