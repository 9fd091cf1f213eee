// SPDX-License-Identifier: GPL-3.0-or-later
#include "BuildFixtures.h"

#include <stdlib.h>

#include <fstream>

#include <gtest/gtest.h>
#include <iterator>

#include "files/ProjectReader.h"
#include "files/ProjectWriter.h"
#include "model/Catalogue.h"
#include "model/Types.h"

namespace pontra::test {

std::unique_ptr<CElement> ElKind(int kind, std::initializer_list<std::string> operands) {
    auto element = std::make_unique<CElement>(kind);
    size_t i = 0;
    for (const auto& operand : operands) {
        if (i >= element->operands.size()) break;
        element->operands[i++] = operand;
    }
    return element;
}

std::unique_ptr<CElement> El(const std::string& mnemonic, std::initializer_list<std::string> operands) {
    int kind = MnemonicToKind(mnemonic);
    if (kind < 0) {
        for (const auto& entry : CatalogueEntries())
            if (mnemonic == entry.mnemonic) kind = entry.kind;
    }
    return ElKind(kind, operands);
}

void Append(CRung& rung, Elements elements) {
    for (auto& element : elements) rung.Append(std::move(element));
}

CElement& AddBranchLegs(CRung& rungOrLeg, std::vector<Elements> legs) {
    CElement& branch = rungOrLeg.Append(std::make_unique<CElement>(kKindBranch));
    for (auto& legElements : legs) {
        auto leg = std::make_unique<CRung>();
        leg->flag = 1;
        leg->parent = &rungOrLeg;
        leg->Append(std::make_unique<CElement>(kKindBranchLevel));
        Append(*leg, std::move(legElements));
        branch.legs.push_back(std::move(leg));
    }
    rungOrLeg.Append(std::make_unique<CElement>(kKindBranchEnd));
    return branch;
}

CRung& AddRung(RungList& rungs, Elements elements) {
    rungs.push_back(NewRung());
    Append(*rungs.back(), std::move(elements));
    return *rungs.back();
}

CTag& AddTag(const CProject& project, TagList& list, const std::string& name, const std::string& type, int usage) {
    auto tag = std::make_unique<CTag>(name, type);
    tag->usage = usage;
    BuildMembers(project, *tag);
    list.push_back(std::move(tag));
    return *list.back();
}

CUnit& AddFunctionBlock(CProject& project, const std::string& name, bool structuredText) {
    project.units.push_back(
        std::make_unique<CUnit>(name, kUnitFunctionBlock, structuredText ? kLanguageST : kLanguageLadder));
    return *project.units.back();
}

CUnit& AddUserType(CProject& project, const std::string& name,
                   std::initializer_list<std::pair<std::string, std::string>> members) {
    auto type = std::make_unique<CType>(name);
    auto unit = std::make_unique<CUnit>(name, kUnitType);
    for (const auto& [memberName, memberType] : members) {
        type->members.push_back(std::make_unique<CTag>(memberName, memberType));
        unit->tags.push_back(std::make_unique<CTag>(memberName, memberType));
    }
    project.types.push_back(std::move(type));
    project.units.push_back(std::move(unit));
    return *project.units.back();
}

Bench::Bench(const std::string& controllerType) {
    auto project = NewProject(controllerType);
    project->doc.rungs.clear();
    frame.SetProject(std::move(project));
}

Bench::~Bench() {
    if (!folder.empty()) {
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }
}

std::vector<std::string> Bench::Lines() const {
    std::vector<std::string> lines;
    for (const auto& line : frame.output.Lines()) lines.push_back(line.text);
    return lines;
}

std::vector<std::string> Bench::ErrorLines() const {
    std::vector<std::string> lines;
    for (const auto& line : frame.output.Lines())
        if (line.text.starts_with("Error")) lines.push_back(line.text);
    return lines;
}

std::string Bench::SetPath(const std::string& fileName) {
    if (folder.empty()) {
        std::string pattern = (std::filesystem::temp_directory_path() / "pontra-build-XXXXXX").string();
        folder = mkdtemp(pattern.data());
    }
    doc().pathName = (folder / fileName).string();
    return doc().pathName;
}

namespace {

// Every JFB element of the ladder units, in program order (main program, then units).
void CollectCalls(RungList& rungs, std::vector<CElement*>& calls);
void CollectCalls(CRung& rung, std::vector<CElement*>& calls) {
    for (auto& element : rung.elements) {
        if (element->kind == kKindJFB) calls.push_back(element.get());
        for (auto& leg : element->legs) CollectCalls(*leg, calls);
    }
}
void CollectCalls(RungList& rungs, std::vector<CElement*>& calls) {
    for (auto& rung : rungs) CollectCalls(*rung, calls);
}
std::vector<CElement*> Calls(CProject& project) {
    std::vector<CElement*> calls;
    CollectCalls(project.doc.rungs, calls);
    for (auto& unit : project.units)
        if (!unit->IsStructuredText()) CollectCalls(unit->rungs, calls);
    return calls;
}

}  // namespace

void SaveAndReload(Bench& bench) {
    std::vector<uint8_t> bytes;
    std::string error;
    ASSERT_TRUE(WriteProject(bench.project(), bytes, error)) << error;
    ProjectReadResult read = ReadProject(bytes);
    ASSERT_TRUE(read.project) << read.error;
    const auto before = Calls(bench.project());
    const auto after = Calls(*read.project);
    ASSERT_EQ(before.size(), after.size());
    for (size_t i = 0; i < before.size(); ++i) after[i]->callParams = before[i]->callParams;
    read.project->doc.pathName = bench.doc().pathName;
    bench.frame.SetProject(std::move(read.project));
}

uint32_t Word(const std::vector<uint8_t>& bytes, size_t at) {
    uint32_t word = 0;
    for (size_t i = 0; i < 4 && at + i < bytes.size(); ++i) word |= uint32_t{bytes[at + i]} << (8 * i);
    return word;
}

std::vector<uint8_t> ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

}  // namespace pontra::test
