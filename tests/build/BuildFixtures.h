// SPDX-License-Identifier: GPL-3.0-or-later
// Projects built in memory for the build tests: tags, rungs with branches, function
// blocks, and a frame with a scripted host around them.
#pragma once

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "host/ScriptedHost.h"
#include "model/Project.h"
#include "shell/MainFrame.h"

namespace pontra::test {

using Elements = std::vector<std::unique_ptr<CElement>>;

// An element by mnemonic with its operands (fewer operands than the catalogue's leave
// the rest as constructed).
std::unique_ptr<CElement> El(const std::string& mnemonic, std::initializer_list<std::string> operands = {});
std::unique_ptr<CElement> ElKind(int kind, std::initializer_list<std::string> operands = {});

// Appends elements to a rung or leg.
void Append(CRung& rung, Elements elements);
// A list of elements: Els(El("XIC", {"A"}), El("OTE", {"B"})).
template <typename... T>
Elements Els(T&&... elements) {
    Elements list;
    (list.push_back(std::forward<T>(elements)), ...);
    return list;
}

// Appends a branch with one leg per element list, then its branch end.
CElement& AddBranchLegs(CRung& rungOrLeg, std::vector<Elements> legs);
template <typename... L>
CElement& AddBranch(CRung& rungOrLeg, L&&... legs) {
    std::vector<Elements> list;
    (list.push_back(std::forward<L>(legs)), ...);
    return AddBranchLegs(rungOrLeg, std::move(list));
}

// A new top-level rung holding `elements`.
CRung& AddRung(RungList& rungs, Elements elements = {});

// A tag with its members built from its type.
CTag& AddTag(const CProject& project, TagList& list, const std::string& name, const std::string& type,
             int usage = kUsageNone);

// A function block (ladder unless `structuredText`) appended to the project.
CUnit& AddFunctionBlock(CProject& project, const std::string& name, bool structuredText = false);
// A user type with members (name, type), appended to the unit and type lists.
CUnit& AddUserType(CProject& project, const std::string& name,
                   std::initializer_list<std::pair<std::string, std::string>> members);

// A frame over a fresh project whose main program has no rungs.
struct Bench {
    explicit Bench(const std::string& controllerType = "Vessa");
    ~Bench();
    CProject& project() { return frame.project(); }
    CVessaDoc& doc() { return frame.doc(); }
    // Lines of the output window, in order.
    std::vector<std::string> Lines() const;
    std::vector<std::string> ErrorLines() const;
    // Gives the project a path in a private temporary folder.
    std::string SetPath(const std::string& fileName);

    ScriptedHost host;
    CMainFrame frame{host};
    std::filesystem::path folder;
};

// Saves the project with the file writer and reads it back as the reader gives it
// (without the repairs of opening), keeping its path, so that every build test also
// runs the file format. Call parameters are not saved: they are put back on the
// reloaded calls, as the editor rebuilds them. References into the old project die.
void SaveAndReload(Bench& bench);

// Little-endian word of a byte vector.
uint32_t Word(const std::vector<uint8_t>& bytes, size_t at);
std::vector<uint8_t> ReadFile(const std::string& path);

}  // namespace pontra::test
