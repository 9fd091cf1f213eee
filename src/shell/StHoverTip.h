// SPDX-License-Identifier: GPL-3.0-or-later
// The Structured Text editor's hover tip: the variable that the selected text names, and
// the tip's text: its declaration, or its live value while online in debug mode. Live
// values come from the online monitor through LiveValueSource.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace pontra {

class CProject;
class CTag;
class CUnit;

// What the editor asks the online monitor.
class LiveValueSource {
public:
    virtual ~LiveValueSource() = default;
    // The value of an elementary variable at its address plus `instanceBase`, as a plain
    // decimal number ("1" or "0" for BOOL), or none while there is no valid value (the
    // tag memory not read in full since the last failure).
    virtual std::optional<std::string> LiveValueText(const CTag& variable, int instanceBase) const = 0;
};

// What the tip reads its values from.
struct HoverContext {
    CProject* project = nullptr;
    bool debug = false;     // online in debug mode
    int instanceBase = -1;  // of the editor's view; -1 when no instance is selected
    const LiveValueSource* live = nullptr;
};

struct HoverVariable {
    const CTag* tag = nullptr;
    std::string description;  // an array element without one of its own shows its array's
};

// The unit's tag or member whose full name is `text`; failing that, an element of one of
// its array tags written "name[i]" or "name[i,j]", where an index is a decimal constant
// or a tag of the unit taken at its current value (its live value online, else its
// initial value). An index whose value is unknown or out of range names nothing.
std::optional<HoverVariable> ResolveHoverVariable(const HoverContext& context, CUnit& unit,
                                                  std::string_view text);

// "%s: %s, InitValue = %s", or online "%s: %s, Value = %s", followed by ", " and the
// description when there is one.
std::string HoverTipText(const HoverContext& context, const HoverVariable& variable);

// Tip backgrounds as 0xRRGGBB: light green online, light yellow otherwise.
constexpr unsigned kHoverDebugBackground = 0xC0FFC0;
constexpr unsigned kHoverBackground = 0xFFFFC0;

}  // namespace pontra
