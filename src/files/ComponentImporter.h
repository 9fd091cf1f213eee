// SPDX-License-Identifier: GPL-3.0-or-later
// The reader behind component import: a recursive-descent reader over the import tokens
// that builds components and hands them to the project once each is complete. Internal
// to the component import.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "files/ComponentImport.h"
#include "files/ImportTokenizer.h"
#include "model/Ladder.h"
#include "model/Tag.h"

namespace pontra {

class CMainFrame;
class CProject;
class CUnit;

// A tag read from the file whose members and initial values are settled once the whole
// file is read: its type may be a component that comes later in the file.
struct ImportedTag {
    CTag* tag = nullptr;
    int line = 0;
    std::optional<std::string> value;  // " := v"
    // " := (v, ...)": where each value stands in the file (the file outlives the reader).
    std::vector<std::pair<size_t, size_t>> list;
    bool hasList = false;
    bool recursive = false;  // its type contains its own component
};

// The tags of one component that went into the project.
struct ImportedComponent {
    std::string name;  // empty for the main program
    bool isType = false;
    std::vector<ImportedTag> tags;
    std::unordered_set<std::string> tagNames;
};

class ComponentImporter {
public:
    ComponentImporter(CMainFrame& frame, std::string_view text);
    ImportOutcome Run();

    // Errors after which the import stops: a damaged file would otherwise fill the
    // output window line by line.
    static constexpr int kMaxErrors = 100;
    // What the import reads and builds in all, so that a hostile file cannot make it
    // allocate without bound. A module's program memory (40 KB at most) and tag memory
    // (10,000 bytes) hold far fewer elements, tags, members and values.
    static constexpr long kMaxElements = 100000;
    static constexpr long kMaxTags = 100000;
    static constexpr long kMaxListValues = 1000000;
    // Tags and their members at all levels (a DINT is 33: itself and its bits), some 400
    // bytes each. The tag memory holds at most 90,000 (10,000 SINTs with their bits), so a
    // file whose components could ever be downloaded stays well below twice that; past it
    // the import stops. This keeps an import under about 80 MB of tags however few
    // characters declare them (an array of 2,000 DINTs takes a line).
    static constexpr long kMaxTagNodes = 200000;

private:
    // Tokens (ComponentImport.cpp)
    const ImportToken& Cur() { return tokens_.Current(); }
    bool Is(std::string_view text) { return Cur().text == text; }
    void Advance();
    bool match(const char* expected);
    void Error(int line, const char* routine, const std::string& message);
    // Counts what is read against its limit; past it the import stops with an error.
    bool Count(long& counter, long limit, int line, const char* what);
    // A token's whole text from the file (the scanner keeps at most 128 characters).
    std::string Whole(const ImportToken& token) const { return std::string(tokens_.Slice(token.start, token.end)); }
    // PROGRAM, FUNCTION_BLOCK or TYPE: where the next component starts.
    bool AtComponentStart();

    // Components (ComponentImport.cpp)
    void ReadMainProgram();
    void ReadFunctionBlock();
    void ReadType();
    std::string ReadComponentName(const char* routine);
    void ReadStructuredTextBody(CUnit& unit);
    bool SkipToEnd(const char* keyword);
    void AddComponent(std::unique_ptr<CUnit> unit, ImportedComponent component, int line, const char* routine);
    void Keep(ImportedComponent component);

    // Declarations (ImportDeclarations.cpp)
    void stmt_var(TagList& tags, int usage, ImportedComponent& component);
    void ReadDeclaration(TagList& tags, int usage, ImportedComponent& component);
    bool ReadArrayType(std::string& type);
    // The span of one value's tokens up to one of `stops` (empty when there are none).
    std::pair<size_t, size_t> ReadValue(const char* stops);
    void SkipDeclaration();
    bool AtSectionEnd();
    // After the whole file: members, initial values, type checks (ImportDeclarations.cpp).
    void Finish();
    void SettleValue(ImportedTag& imported, const ImportedComponent& component);
    void SettleMembers(ImportedTag& imported);
    bool ApplyValue(CTag& tag, const std::string& value, int line);
    void FollowChangedTypes();

    // Rungs (ImportRungs.cpp)
    std::unique_ptr<CRung> stmt_rung();
    struct OpenBranch {
        CRung* list;       // the rung or leg holding the branch element
        CElement* branch;
        CRung* leg;        // the leg being read
    };
    void stmt_element(CRung*& list, std::vector<OpenBranch>& open, int& ignoredDepth);
    bool AtRungEnd();
    void SkipStatement();

    CMainFrame& frame_;
    CProject& project_;
    ImportTokenizer tokens_;
    size_t previousEnd_ = 0;  // file offset behind the last token stepped past
    int errors_ = 0;
    bool stopped_ = false;
    // Builds a tag's members within what is left of kMaxTagNodes; past it the import
    // stops with an error and the tag keeps no members.
    bool BuildCounted(CTag& tag, int line);

    long tagNodes_ = 0;
    long elements_ = 0;
    long tags_ = 0;
    long listValues_ = 0;
    ImportOutcome outcome_;
    std::vector<ImportedComponent> kept_;
};

}  // namespace pontra
