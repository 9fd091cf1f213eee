// SPDX-License-Identifier: GPL-3.0-or-later
// The output window: where verification, compilation, build and download report line
// by line, and from where a double-click jumps to the place a line names.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pontra {

class CElement;
class CProject;
class CUnit;
class Host;

struct OutputLine {
    std::string text;
    uint64_t element = 0;  // id of the ladder element the line concerns; 0 for none
};

// Where a double-click on a line leads.
struct OutputJump {
    enum class Kind { None, TextLine, LadderElement } kind = Kind::None;
    CUnit* unit = nullptr;        // null for the main program (LadderElement only)
    int line = 0;                 // TextLine: 1-based line of the unit's text
    int rung = 0;                 // LadderElement: rung index
    CElement* element = nullptr;  // LadderElement: the element to select
};

class OutputWindow {
public:
    explicit OutputWindow(Host& host) : host_(host) {}

    static constexpr const char* kColumnTitle = "Errors";

    void ClearOutput();
    void AddOutputLine(const std::string& text, const CElement* element = nullptr);
    const std::vector<OutputLine>& Lines() const { return lines_; }

    // The Structured Text unit whose compiler lines are in the window ("Error at line").
    std::string compiledUnit;

    // The double-click action for line `index`; the caller brings the window forward and
    // selects. Lines naming an element that no longer exists lead nowhere.
    OutputJump JumpToOutputLine(const CProject& project, size_t index) const;

private:
    Host& host_;
    std::vector<OutputLine> lines_;
};

}  // namespace pontra
