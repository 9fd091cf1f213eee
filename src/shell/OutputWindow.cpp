// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/OutputWindow.h"

#include "host/Host.h"
#include "model/Project.h"
#include "model/ValueStyle.h"

namespace pontra {

void OutputWindow::ClearOutput() { lines_.clear(); }

void OutputWindow::AddOutputLine(const std::string& text, const CElement* element) {
    lines_.push_back({text, element ? element->id : 0});
    host_.OutputLineAdded(text);
}

OutputJump OutputWindow::JumpToOutputLine(const CProject& project, size_t index) const {
    OutputJump jump;
    if (index >= lines_.size()) return jump;
    const OutputLine& line = lines_[index];
    const std::string& text = line.text;

    static const std::string kCompilerLine = "Error at line ";
    if (text.starts_with("Error at line")) {
        const size_t start = text.starts_with(kCompilerLine) ? kCompilerLine.size() : text.size();
        const size_t end = text.find(" : ", start);
        CUnit* unit = project.FindUnit(compiledUnit);
        if (!unit || !unit->IsStructuredText()) return jump;
        jump.kind = OutputJump::Kind::TextLine;
        jump.unit = unit;
        jump.line = DecimalToInt(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        return jump;
    }

    static const std::string kRungLine = "Error at Rung: ";
    const size_t elementAt = text.find(", Element:");
    if (!text.starts_with("Error at Rung:") || elementAt == std::string::npos || line.element == 0) return jump;
    const size_t start = text.starts_with(kRungLine) ? kRungLine.size() : 14;
    const int rung = DecimalToInt(text.substr(start, elementAt > start ? elementAt - start : 0));
    if (rung < 0) return jump;
    // The main program first, then each function block in project order; the unit's
    // model stands for its open ladder view.
    auto search = [&](const RungList& rungs, CUnit* unit) {
        if (static_cast<size_t>(rung) >= rungs.size()) return false;
        CElement* element = FindElementById(*rungs[static_cast<size_t>(rung)], line.element);
        if (!element) return false;
        jump = {OutputJump::Kind::LadderElement, unit, 0, rung, element};
        return true;
    };
    if (search(project.doc.rungs, nullptr)) return jump;
    for (const auto& unit : project.units)
        if (unit->IsFunctionBlock() && unit->language == kLanguageLadder && search(unit->rungs, unit.get())) return jump;
    return jump;
}

}  // namespace pontra
