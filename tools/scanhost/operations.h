// Calls as scanhost reads, describes and lists them, from the operation
// table: call mode, call scripts, argument checking and the `ops` listing.
#ifndef SCANHOST_OPERATIONS_H
#define SCANHOST_OPERATIONS_H

#include <stdint.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "common/status_names.h"
#include "operation_table.h"
#include "text_forms.h"

namespace scanhost {

// ---- Calls ---------------------------------------------------------------------------

// Reads calls from `words`: an operation name followed by its arguments,
// then the next call. Beside the 91 operations there are NewScanner (a fresh
// object after Destructor) and PushLabel (a label scanned on the virtual
// device). Returns false with a one-line explanation on the first unknown
// name, missing or surplus argument, or argument of the wrong kind.
bool parseCalls(const std::vector<std::string>& words, std::vector<Call>* calls,
                std::string* error);
// A call of `name` with `args`; those left out take their default, or 0.
Call makeCall(const char* name, std::initializer_list<int64_t> args = {});
// Sets argument `index` of `call` from what a person wrote; false with a
// one-line explanation when the text is no such argument.
bool setArgument(Call* call, int index, const std::string& text, std::string* error);

// "unknown operation 'X'", with the operation of that name in another case
// when there is one.
std::string unknownOperation(const std::string& name);

// "Name arg arg" as the call was written.
std::string describeCall(const Call& call);
// " -> value StatusName outputs" for a finished call.
std::string describeResult(const Call& call, const CallResult& result);
// Status names come from the plug-in's own table.
using zorvan::statusName;

// The `ops` listing.
std::string listOperations();
// The listing's header and the rows of the operations `names` (the host's
// own two calls among them); false with a one-line explanation for a name
// that is none.
bool listOperations(const std::vector<std::string>& names, std::string* text, std::string* error);

}  // namespace scanhost

#endif  // SCANHOST_OPERATIONS_H
