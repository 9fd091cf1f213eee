// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers for tests of the rung text form, the clipboard and component export/import:
// texts written with "\n" for readability, rungs loaded by importing a main program.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "files/ComponentImport.h"
#include "files/RungText.h"
#include "files/SampleProject.h"
#include "host/ScriptedHost.h"
#include "shell/MainFrame.h"

namespace pontra::test {

// "\n" -> "\r\n", the line end of component text.
inline std::string Crlf(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

// Replaces the main program by the rungs of `rungs` (rung text form, "\n" line ends).
inline void LoadMainRungs(CMainFrame& frame, ScriptedHost& host, std::string_view rungs) {
    host.answers.push_back(true);
    const ImportOutcome outcome =
        ImportComponents(frame, Crlf("PROGRAM Main\n" + std::string(rungs) + "END_PROGRAM\n"), "rungs.txt");
    ASSERT_TRUE(outcome.ok && outcome.changed) << frame.output.Lines().back().text;
}

// The main program's rungs in the text form, with "\n" line ends.
inline std::string MainRungsText(const CProject& project) {
    std::string text;
    for (const auto& rung : project.doc.rungs) AppendRungText(*rung, text);
    std::erase(text, '\r');
    return text;
}

// The output window's lines, one string.
inline std::string OutputText(const CMainFrame& frame) {
    std::string text;
    for (const auto& line : frame.output.Lines()) text += line.text + "\n";
    return text;
}

// A project with a component of every kind and tags of every declaration form: a user
// type, a ladder block with tags of every usage, a Structured Text block, and main
// tags with descriptions, aliases, arrays and initial values and lists.
inline std::unique_ptr<CProject> ComponentProject() {
    auto p = NewProject();
    auto pair = std::make_unique<CUnit>("Pair", kUnitType);
    auto pairType = std::make_unique<CType>("Pair");
    pairType->members.push_back(std::make_unique<CTag>("Left", "INT"));
    pairType->members.push_back(std::make_unique<CTag>("Right", "BOOL"));
    p->units.push_back(std::move(pair));
    p->types.push_back(std::move(pairType));

    auto fb = std::make_unique<CUnit>("Conveyor", kUnitFunctionBlock, kLanguageLadder);
    fb->rungs.push_back(NewRung());
    fb->rungs[0]->Append(MakeElement(2, {"Run"}));
    for (auto [name, usage] : {std::pair{"Local", 0}, {"Run", 1}, {"Done", 2}, {"Shared", 3}, {"Count", 4}}) {
        auto tag = MakeTag(*p, name, usage == 1 || usage == 2 ? "BOOL" : "DINT", usage == 4 ? "3" : "0");
        tag->usage = usage;
        InsertByUsage(fb->tags, std::move(tag));
    }
    p->units.push_back(std::move(fb));
    p->types.push_back(std::make_unique<CType>("Conveyor"));

    auto st = std::make_unique<CUnit>("Ramp", kUnitFunctionBlock, kLanguageST);
    st->text = {"  (* ramp *)", "", "Out := In + 1;"};
    p->units.push_back(std::move(st));
    p->types.push_back(std::make_unique<CType>("Ramp"));

    auto& tags = p->doc.tags;
    auto speed = MakeTag(*p, "Speed", "INT", "100");
    speed->description = "Belt speed";
    tags.push_back(std::move(speed));
    tags.push_back(MakeTag(*p, "Table", "DINT[10]"));
    auto grid = MakeTag(*p, "Grid", "SINT[2,3]");
    grid->members[4]->initialValue = "-7";  // Grid[1,1]
    tags.push_back(std::move(grid));
    tags.push_back(MakeTag(*p, "Flag", "BOOL", "1"));
    auto alias = std::make_unique<CTag>("Bit0", "");
    alias->alias = "Speed.0";
    alias->description = "First bit";
    tags.push_back(std::move(alias));
    auto delay = MakeTag(*p, "Delay", "TIMER");
    delay->members[0]->initialValue = "1500";
    tags.push_back(std::move(delay));
    tags.push_back(MakeTag(*p, "Idle", "TIMER"));
    auto both = MakeTag(*p, "Both", "Pair");
    both->members[1]->initialValue = "1";  // Both.Right
    tags.push_back(std::move(both));
    tags.push_back(MakeTag(*p, "Conv1", "Conveyor"));

    CRung& rung = *p->doc.rungs[0];
    rung.comment = "Run";
    rung.Append(MakeElement(2, {"Flag"}));
    AddBranch(rung, {"Table[2]", "Grid[1,2]"});
    rung.Append(MakeElement(62, {"Conv1"}));
    return p;
}

}  // namespace pontra::test
