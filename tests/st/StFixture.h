// SPDX-License-Identifier: GPL-3.0-or-later
// A project with one Structured Text function block "Calc", and helpers that compile
// its text and show the results as text.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "host/ScriptedHost.h"
#include "model/Project.h"
#include "model/Types.h"
#include "shell/MainFrame.h"
#include "st/Compiler.h"
#include "st/StructuredText.h"

namespace pontra::test {

class StFixture {
public:
    explicit StFixture(const std::string& controllerType = "Vessa") {
        frame.SetProject(NewProject(controllerType));
        auto unit = std::make_unique<CUnit>("Calc", kUnitFunctionBlock, kLanguageST);
        calc = unit.get();
        frame.units().push_back(std::move(unit));
    }

    // A tag of the compiled unit (or of `owner`), members built.
    CTag& AddTag(const std::string& name, const std::string& type, int usage = kUsageStatic, CUnit* owner = nullptr) {
        auto tag = std::make_unique<CTag>(name, type);
        tag->usage = usage;
        BuildMembers(frame.project(), *tag);
        CTag& added = *tag;
        (owner ? owner : calc)->tags.push_back(std::move(tag));
        return added;
    }

    // A ladder function block with the given parameters.
    CUnit& AddBlock(const std::string& name) {
        auto unit = std::make_unique<CUnit>(name, kUnitFunctionBlock);
        CUnit& added = *unit;
        frame.units().insert(frame.units().begin(), std::move(unit));
        return added;
    }

    // Compiles through the whole entry point; the output window's lines are the errors.
    bool Compile(std::vector<std::string> text) {
        calc->text = std::move(text);
        frame.output.ClearOutput();
        return CompileStructuredTextUnit(frame, *calc);
    }

    std::vector<std::string> Errors() const {
        std::vector<std::string> lines;
        for (const auto& l : frame.output.Lines()) lines.push_back(l.text);
        return lines;
    }

    // The instruction list alone, opcode and operand separated by one blank.
    std::vector<std::string> Il(std::vector<std::string> text) {
        calc->text = std::move(text);
        errors.clear();
        CSTCompiler compiler(frame.project(), frame.standardLibrary, *calc, host,
                             [this](int line, const std::string& routine, const std::string& message) {
                                 errors.push_back(FormatCompilerError(line, routine, message));
                             });
        compiler.Tokenize();
        compiler.Compile();
        std::vector<std::string> lines;
        for (const std::string& l : compiler.InstructionList()) {
            const size_t at = l.find(" \t\t ");
            lines.push_back(at == std::string::npos ? l : l.substr(0, at) + " " + l.substr(at + 4));
        }
        return lines;
    }

    // Each rung as "XIC a; NOT ,_BIT_OPERATION; JMP L" (operands joined by ",").
    std::vector<std::string> Rungs() const {
        std::vector<std::string> out;
        for (const auto& rung : calc->rungs) {
            std::string text;
            for (size_t i = 1; i < rung->elements.size(); ++i) {
                const CElement& e = *rung->elements[i];
                if (i > 1) text += "; ";
                text += e.mnemonic;
                for (int k = 0; k < e.operandCount; ++k) text += (k ? "," : " ") + e.operands[static_cast<size_t>(k)];
            }
            out.push_back(text);
        }
        return out;
    }

    std::vector<std::string> StVariableNames() const {
        std::vector<std::string> names;
        for (const auto& t : calc->stVariables) names.push_back(t->name);
        return names;
    }

    ScriptedHost host;
    CMainFrame frame{host};
    CUnit* calc = nullptr;
    std::vector<std::string> errors;  // from Il()
};

}  // namespace pontra::test
