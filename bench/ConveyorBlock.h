// SPDX-License-Identifier: GPL-3.0-or-later
// The 5,000-line Structured Text block the editor benchmarks type into, shared by the
// core's benchmarks (st_editor_bench.cpp) and the editor window's (gui/).
#pragma once

#include <initializer_list>
#include <memory>
#include <string>
#include <utility>

#include "host/ScriptedHost.h"
#include "model/Types.h"
#include "shell/MainFrame.h"

namespace pontra::bench {

constexpr int kLines = 5000;
constexpr int kZones = 20;

// A project with a ladder block "RampBlock" and a Structured Text block "Conveyor" of
// kLines lines: zone after zone of IF, CASE and FOR statements with comments of every
// form, members, arrays, calls and literals.
struct ConveyorBlock {
    ScriptedHost host;
    CMainFrame frame{host};
    CUnit* unit = nullptr;

    ConveyorBlock() {
        auto block = std::make_unique<CUnit>("RampBlock", kUnitFunctionBlock);
        AddTag(*block, "In1", "BOOL", kUsageInput);
        AddTag(*block, "Io", "DINT", kUsageInOut);
        AddTag(*block, "Out1", "BOOL", kUsageOutput);
        frame.units().push_back(std::move(block));
        frame.types().push_back(std::make_unique<CType>("RampBlock"));
        auto conveyor = std::make_unique<CUnit>("Conveyor", kUnitFunctionBlock, kLanguageST);
        unit = conveyor.get();
        frame.units().push_back(std::move(conveyor));
        for (int z = 0; z < kZones; ++z) {
            const std::string n = std::to_string(z);
            AddTag(*unit, "Zone" + n + "_Sensor", "BOOL");
            AddTag(*unit, "Zone" + n + "_Blocked", "BOOL");
            AddTag(*unit, "Zone" + n + "_Count", "DINT");
            AddTag(*unit, "Tmr" + n, "TIMER");
            AddTag(*unit, "State" + n, "DINT");
        }
        for (auto [name, type] : {std::pair{"Speed", "DINT"},
                                  {"Total", "DINT"},
                                  {"Delta", "DINT"},
                                  {"i", "DINT"},
                                  {"Lanes", "DINT[8]"},
                                  {"Motor", "BOOL[32]"},
                                  {"Ramp", "RampBlock"}})
            AddTag(*unit, name, type, kUsageStatic);
        for (int z = 0; static_cast<int>(unit->text.size()) < kLines; ++z) AddZone(z % kZones, z);
        unit->text.resize(kLines);
    }

    void AddTag(CUnit& owner, const std::string& name, const std::string& type, int usage = kUsageStatic) {
        auto tag = std::make_unique<CTag>(name, type);
        tag->usage = usage;
        tag->description = "zone data";
        BuildMembers(frame.project(), *tag);
        owner.tags.push_back(std::move(tag));
    }

    void AddZone(int z, int block) {
        const std::string n = std::to_string(z), m = std::to_string(block % 32);
        for (const std::string& line : std::initializer_list<std::string>{
                 "(* zone " + n + ": accumulate and release *)",
                 "IF Zone" + n + "_Sensor AND NOT Zone" + n + "_Blocked THEN",
                 "\tZone" + n + "_Count := Zone" + n + "_Count + 1;",
                 "\tMotor[" + m + "] := TRUE;",
                 "ELSIF Tmr" + n + ".DN THEN",
                 "\tMotor[" + m + "] := FALSE; // stop the roller",
                 "ELSE",
                 "\tSpeed := MAX(Speed - 10, 0);",
                 "END_IF;",
                 "CASE State" + n + " OF",
                 "\t0: Tmr" + n + ".PRE := T#1s500ms;",
                 "\t1: Ramp(In1 := Zone" + n + "_Sensor, Io := Speed, Out1 => Zone" + n + "_Blocked);",
                 "ELSE",
                 "\tState" + n + " := 0;",
                 "END_CASE;",
                 "FOR i := 0 TO 7 BY 1 DO",
                 "\tLanes[i] := Lanes[i] + ABS(Delta);",
                 "END_FOR;",
                 "/* checksum",
                 "   of the block */",
                 "Total := Total + 16#FF + Zone" + n + "_Count * 2;",
             })
            unit->text.push_back(line);
    }
};

}  // namespace pontra::bench
