// What the panel's page shows, as JSON: the endpoint's `state` and `log`
// answers read into the driver's state, each symbology's row (from the
// plug-in's symbology table and the group fields), the settings service,
// the last labels and the call log.
#ifndef SCANHOST_PANEL_STATE_H
#define SCANHOST_PANEL_STATE_H

#include <string>
#include <vector>

namespace scanhost {

// The answer lines of `state` and of `log FROM` (their ok lines left out)
// as one JSON object.
std::string panelStateJson(const std::vector<std::string>& state,
                           const std::vector<std::string>& log);

// `text` as a JSON string, quotes included.
std::string jsonString(const std::string& text);

}  // namespace scanhost

#endif  // SCANHOST_PANEL_STATE_H
