// SPDX-License-Identifier: GPL-3.0-or-later
// Runs a Structured Text function block for real: the project's main program calls one
// instance "inst" of the block "Calc"; the project is built into an image and the image
// runs on the soft module's ladder machine in this process, scan by scan, with a fake
// clock. Tag values are read and written through the instance's members. Every project
// is saved and read back before it is built, so the text goes through the file format.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#include "build/ProgramImage.h"
#include "files/ProjectReader.h"
#include "files/ProjectWriter.h"
#include "host/ScriptedHost.h"
#include "model/Project.h"
#include "model/Types.h"
#include "shell/MainFrame.h"
#include "sim/LadderMachine.h"

namespace pontra::test {

class Registers : public sim::RegisterAccess {
public:
    std::map<uint32_t, uint16_t> values;
    uint16_t ReadRegister(uint32_t n) override { return values.count(n) ? values[n] : 0; }
    void WriteRegister(uint32_t n, uint16_t v) override { values[n] = v; }
};

class Execution {
public:
    explicit Execution(const std::string& controllerType = "Vessa") {
        auto project = NewProject(controllerType);
        project->doc.rungs.clear();
        frame.SetProject(std::move(project));
        std::string pattern = (std::filesystem::temp_directory_path() / "pontra-st-XXXXXX").string();
        folder_ = mkdtemp(pattern.data());
        frame.doc().pathName = (folder_ / "Exec.clp").string();
        auto unit = std::make_unique<CUnit>("Calc", kUnitFunctionBlock, kLanguageST);
        calc = unit.get();
        frame.units().push_back(std::move(unit));
    }
    ~Execution() {
        std::error_code ec;
        std::filesystem::remove_all(folder_, ec);
    }

    CTag& Tag(const std::string& name, const std::string& type, const std::string& initial = "0",
              int usage = kUsageStatic, CUnit* owner = nullptr) {
        auto tag = std::make_unique<CTag>(name, type);
        tag->usage = usage;
        tag->initialValue = initial;
        BuildMembers(frame.project(), *tag);
        CTag& added = *tag;
        (owner ? owner : calc)->tags.push_back(std::move(tag));
        return added;
    }

    // Another function block written in Structured Text, placed before "Calc".
    CUnit& Block(const std::string& name, std::vector<std::string> text) {
        auto unit = std::make_unique<CUnit>(name, kUnitFunctionBlock, kLanguageST);
        unit->text = std::move(text);
        CUnit& added = *unit;
        frame.units().insert(frame.units().end() - 1, std::move(unit));
        return added;
    }

    // Compiles, builds and loads; the main program is one rung that calls "inst".
    void Build(std::vector<std::string> text) {
        calc->text = std::move(text);
        auto inst = std::make_unique<CTag>("inst", "Calc");
        BuildMembers(frame.project(), *inst);
        frame.doc().tags.clear();
        frame.doc().tags.push_back(std::move(inst));
        frame.doc().rungs.clear();
        frame.doc().rungs.push_back(NewRung());
        auto call = std::make_unique<CElement>(kKindJFB);
        call->operands[0] = "inst";
        frame.doc().rungs[0]->Append(std::move(call));
        SaveAndReload();
        std::string path;
        const bool built = BuildProgramImage(frame, path, false);
        std::string lines;
        for (const auto& l : frame.output.Lines()) lines += l.text + "\n";
        ASSERT_TRUE(built) << lines;
        std::ifstream file(path, std::ios::binary);
        const std::vector<uint8_t> image{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
        machine.Load(image);
        ASSERT_TRUE(machine.Runnable()) << "header " << machine.HeaderError() << ", prescan " << machine.Error().code
                                        << " at " << machine.Error().pc << "\n" << lines;
    }

    void SaveAndReload() {
        std::vector<uint8_t> bytes;
        std::string error;
        ASSERT_TRUE(WriteProject(frame.project(), bytes, error)) << error;
        ProjectReadResult read = ReadProject(bytes);
        ASSERT_TRUE(read.project) << read.error;
        read.project->doc.pathName = frame.doc().pathName;
        frame.SetProject(std::move(read.project));
        calc = frame.project().FindUnit("Calc");
        ASSERT_NE(calc, nullptr);
    }

    // One scan, `ms` after the previous one; false when the program stopped.
    bool Scan(uint64_t ms = 10) {
        now_ += ms;
        return machine.Scan(now_);
    }
    bool Scans(int count, uint64_t ms = 10) {
        for (int i = 0; i < count; ++i)
            if (!Scan(ms)) return false;
        return true;
    }

    // Values of the instance's members, by their name inside the block ("x", "arr[2]", "t.Q").
    int32_t Get(const std::string& member) const {
        const CTag& tag = Member(member);
        const auto& tags = machine.Tags();
        const uint32_t at = static_cast<uint32_t>(tag.address);
        if (tag.dataType == "BOOL") return (tags[at + static_cast<uint32_t>(tag.bit) / 8] >> (tag.bit % 8)) & 1;
        const int width = ElementaryBits(tag.dataType) / 8;
        uint32_t v = 0;
        for (int i = 0; i < width; ++i) v |= static_cast<uint32_t>(tags[at + static_cast<uint32_t>(i)]) << (8 * i);
        if (width == 1) return static_cast<int8_t>(v);
        if (width == 2) return static_cast<int16_t>(v);
        return static_cast<int32_t>(v);
    }
    void Set(const std::string& member, int32_t value) {
        const CTag& tag = Member(member);
        auto& tags = machine.Tags();
        const uint32_t at = static_cast<uint32_t>(tag.address);
        if (tag.dataType == "BOOL") {
            uint8_t& byte = tags[at + static_cast<uint32_t>(tag.bit) / 8];
            const uint8_t mask = static_cast<uint8_t>(1u << (tag.bit % 8));
            byte = static_cast<uint8_t>(value ? byte | mask : byte & ~mask);
            return;
        }
        const int width = ElementaryBits(tag.dataType) / 8;
        for (int i = 0; i < width; ++i)
            tags[at + static_cast<uint32_t>(i)] = static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * i));
    }

    std::string OutputText() const {
        std::string lines;
        for (const auto& l : frame.output.Lines()) lines += l.text + "\n";
        return lines;
    }

    ScriptedHost host;
    CMainFrame frame{host};
    CUnit* calc = nullptr;
    Registers registers;
    sim::LadderMachine machine{"Vessa", &registers};

private:
    static const CTag* Find(const CTag& tag, const std::string& name) {
        if (tag.name == name) return &tag;
        for (const auto& m : tag.members)
            if (name.starts_with(m->name))
                if (const CTag* found = Find(*m, name)) return found;
        return nullptr;
    }
    const CTag& Member(const std::string& member) const {
        const CTag* found = Find(*frame.project().doc.tags[0], "inst." + member);
        if (!found) throw std::runtime_error("no member inst." + member);
        return *found;
    }

    std::filesystem::path folder_;
    uint64_t now_ = 1000;
};

}  // namespace pontra::test
