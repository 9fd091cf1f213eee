// SPDX-License-Identifier: GPL-3.0-or-later
// The project as JSON for `pontra-cli dump` (and the fuzz target that reads projects): keys
// fixed, tools and tests rely on them. JSON is UTF-8: every text of the model is converted
// from Windows-1252 here, so a description like "F\xF6rderband" dumps as valid JSON.
#pragma once

#include <nlohmann/json.hpp>

namespace pontra {

class CProject;
class CRung;
class CTag;

nlohmann::ordered_json RungToJson(const CRung& rung);
nlohmann::ordered_json TagToJson(const CTag& tag);
nlohmann::ordered_json ProjectToJson(const CProject& project);

}  // namespace pontra
