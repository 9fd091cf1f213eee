// SPDX-License-Identifier: GPL-3.0-or-later
// A project with one Structured Text function block "Calc" open in an editor, its tags,
// a ladder block "Block" with parameters of every direction, and typing helpers.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>

#include "host/ScriptedHost.h"
#include "model/Project.h"
#include "model/Types.h"
#include "shell/MainFrame.h"
#include "shell/StEditor.h"

namespace pontra::test {

class StEditorTest : public ::testing::Test {
protected:
    StEditorTest() {
        auto block = std::make_unique<CUnit>("Block", kUnitFunctionBlock);
        Param(*block, "In1", "BOOL", kUsageInput);
        Param(*block, "Io", "DINT", kUsageInOut);
        Param(*block, "Out1", "BOOL", kUsageOutput);
        Param(*block, "Local", "DINT", kUsageStatic);
        frame.units().push_back(std::move(block));
        frame.units().push_back(std::make_unique<CUnit>("Bare", kUnitFunctionBlock));
        for (const char* name : {"Block", "Bare"}) frame.types().push_back(std::make_unique<CType>(name));
        auto calc = std::make_unique<CUnit>("Calc", kUnitFunctionBlock, kLanguageST);
        unit = calc.get();
        frame.units().push_back(std::move(calc));
        Tag("Speed", "DINT", "5", "conveyor speed");
        Tag("Start", "BOOL");
        Tag("Tmr", "TIMER");
        Tag("Ton", "IEC_TON");
        Tag("Inst", "Block");
        Tag("E", "Bare");
        Tag("i", "DINT", "2");
        Tag("Arr", "DINT[4]", "0", "lane counts");
        Open("");
    }

    void Param(CUnit& block, const char* name, const char* type, int usage) {
        auto tag = std::make_unique<CTag>(name, type);
        tag->usage = usage;
        block.tags.push_back(std::move(tag));
    }

    CTag& Tag(const char* name, const char* type, const char* init = "0", const char* description = "") {
        auto tag = std::make_unique<CTag>(name, type);
        tag->initialValue = init;
        tag->description = description;
        BuildMembers(frame.project(), *tag);
        unit->tags.push_back(std::move(tag));
        return *unit->tags.back();
    }

    // Replaces the text and opens a fresh editor with the caret at the end.
    void Open(const std::string& text) {
        unit->text.clear();
        for (size_t start = 0;;) {
            const size_t brk = text.find('\n', start);
            unit->text.push_back(text.substr(start, brk == std::string::npos ? brk : brk - start));
            if (brk == std::string::npos) break;
            start = brk + 1;
        }
        editor = std::make_unique<StEditor>(frame, *unit);
        editor->SetSelection(text.size(), text.size());
        frame.SetModified(false);
    }

    // Each character typed; "\n" is Enter.
    void Type(const std::string& keys) {
        for (char c : keys) {
            if (c == '\n')
                editor->CompleteOrBreakLine();
            else
                editor->TypeCharacter(c);
        }
    }

    std::string Text() const { return editor->Text().AllText(); }

    std::vector<std::string> RowNames() const {
        std::vector<std::string> names;
        for (const auto& row : editor->CompletionList()) names.push_back(row.name);
        return names;
    }

    ScriptedHost host;
    CMainFrame frame{host};
    CUnit* unit = nullptr;
    std::unique_ptr<StEditor> editor;
};

// The online monitor as the editor sees it: values by tag name, none while not valid.
class FakeMonitor : public LiveValueSource {
public:
    std::optional<std::string> LiveValueText(const CTag& variable, int instanceBase) const override {
        bases.push_back(instanceBase);
        auto it = values.find(variable.name);
        if (!valid || it == values.end()) return std::nullopt;
        return it->second;
    }
    bool valid = true;
    std::map<std::string, std::string> values;
    mutable std::vector<int> bases;
};

}  // namespace pontra::test
