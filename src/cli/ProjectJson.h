// SPDX-License-Identifier: GPL-3.0-or-later
// The project as JSON for `pontra-cli dump`: keys fixed, tools and tests rely on them.
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
