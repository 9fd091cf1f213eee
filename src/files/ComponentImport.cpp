// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/ComponentImport.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "files/ComponentExport.h"
#include "files/ComponentFileText.h"
#include "files/ComponentImporter.h"
#include "model/Naming.h"
#include "model/Project.h"
#include "model/Unit.h"
#include "shell/CommandGuards.h"
#include "shell/MainFrame.h"
#include "st/Lexer.h"

namespace pontra {

namespace {

// Structured Text lines as the editor holds them: split at line ends, the line end of
// the last line not starting another one.
std::vector<std::string> SplitTextLines(std::string_view text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        const bool last = end == std::string_view::npos;
        if (last) end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (line.ends_with('\r')) line.remove_suffix(1);
        lines.emplace_back(line);
        if (last) break;
        start = end + 1;
    }
    return lines;
}

bool IsBlank(std::string_view text) { return text.find_first_not_of(" \t\r\n") == std::string_view::npos; }

}  // namespace

ComponentImporter::ComponentImporter(CMainFrame& frame, std::string_view text)
    : frame_(frame), project_(frame.project()), tokens_(text) {}

void ComponentImporter::Advance() {
    if (Cur().IsEnd()) return;
    previousEnd_ = Cur().end;
    tokens_.Advance();
}

void ComponentImporter::Error(int line, const char* routine, const std::string& message) {
    if (stopped_) return;
    frame_.output.AddOutputLine(FormatCompilerError(line, routine, message));
    frame_.compileError = true;
    outcome_.ok = false;
    if (++errors_ >= kMaxErrors) {
        frame_.output.AddOutputLine(FormatCompilerError(line, "OnImport", "Too many errors, import stopped"));
        stopped_ = true;
    }
}

// match: the expected token, or an error without stepping past anything
bool ComponentImporter::match(const char* expected) {
    if (Is(expected)) {
        Advance();
        return true;
    }
    Error(Cur().line, "match", std::string("Must be '") + expected + "' instead '" + Cur().text + "'");
    return false;
}

bool ComponentImporter::Count(long& counter, long limit, int line, const char* what) {
    if (++counter <= limit) return true;
    Error(line, "OnImport", std::string("More than ") + std::to_string(limit) + " " + what + ", import stopped");
    stopped_ = true;
    return false;
}

bool ComponentImporter::AtComponentStart() { return Is("PROGRAM") || Is("FUNCTION_BLOCK") || Is("TYPE"); }

ImportOutcome ComponentImporter::Run() {
    outcome_.ran = true;
    outcome_.ok = true;
    while (!stopped_ && !Cur().IsEnd()) {
        if (Is("PROGRAM")) {
            ReadMainProgram();
        } else if (Is("FUNCTION_BLOCK")) {
            ReadFunctionBlock();
        } else if (Is("TYPE")) {
            ReadType();
        } else {
            Error(Cur().line, "OnImport", "Imported file is not Pontra component");
            break;
        }
    }
    Finish();
    return outcome_;
}

// A component's end keyword; when it is missing the reader stops at the next component
// (or the end of the file) so that one damaged component does not swallow the rest.
bool ComponentImporter::SkipToEnd(const char* keyword) {
    if (match(keyword)) return true;
    while (!stopped_ && !Cur().IsEnd() && !AtComponentStart()) {
        const bool found = Is(keyword);
        Advance();
        if (found) break;
    }
    return false;
}

std::string ComponentImporter::ReadComponentName(const char* routine) {
    const ImportToken& token = Cur();
    if (token.IsName() && !IsKeyword(token.text)) {
        std::string name = Whole(token);
        Advance();
        return name;
    }
    Error(token.line, routine,
          "Component name can use only digits, alphabetical  and '_' symbols and can't start with digit!");
    return {};
}

void ComponentImporter::ReadMainProgram() {
    Advance();  // PROGRAM
    // The name of the main program is fixed; the file's is read and ignored.
    if (Cur().IsName() && !IsKeyword(Cur().text) && !Is("RUNG")) Advance();
    TagList tags;
    RungList rungs;
    ImportedComponent component;
    while (!stopped_) {
        if (Is("END_PROGRAM")) {
            Advance();
            break;
        }
        if (Cur().IsEnd() || AtComponentStart()) {
            match("END_PROGRAM");
            break;
        }
        if (Is("VAR")) {
            Advance();
            stmt_var(tags, kUsageNone, component);
        } else if (Is("RUNG")) {
            if (auto rung = stmt_rung()) rungs.push_back(std::move(rung));
        } else {
            Advance();
        }
    }
    if (stopped_) return;
    if (!frame_.host().AskOkCancel("Do you want to replace Main Program?")) {
        ++outcome_.declined;
        return;
    }
    // The editor needs a rung to stand on.
    if (rungs.empty()) rungs.push_back(NewRung());
    CVessaDoc& doc = project_.doc;
    doc.tags = std::move(tags);
    doc.rungs = std::move(rungs);
    doc.currentRung = 0;
    doc.selected = doc.rungs[0]->elements.empty() ? nullptr : doc.rungs[0]->elements[0].get();
    outcome_.changed = true;
    Keep(std::move(component));
}

void ComponentImporter::ReadFunctionBlock() {
    const int line = Cur().line;
    Advance();  // FUNCTION_BLOCK
    const std::string name = ReadComponentName("stmt_function_block");
    auto unit = std::make_unique<CUnit>(name, kUnitFunctionBlock, kLanguageLadder);
    ImportedComponent component;
    component.name = name;
    bool ended = false;
    while (!stopped_ && !ended) {
        if (Is("END_FUNCTION_BLOCK")) {
            Advance();
            ended = true;
        } else if (Cur().IsEnd() || AtComponentStart()) {
            match("END_FUNCTION_BLOCK");
            ended = true;
        } else if (Is("VAR_INPUT") || Is("VAR_OUTPUT") || Is("VAR_IN_OUT") || Is("VAR")) {
            const int usage = Is("VAR_INPUT") ? kUsageInput : Is("VAR_OUTPUT") ? kUsageOutput
                            : Is("VAR_IN_OUT") ? kUsageInOut : kUsageStatic;
            Advance();
            stmt_var(unit->tags, usage, component);
        } else if (Is("RUNG")) {
            if (auto rung = stmt_rung()) unit->rungs.push_back(std::move(rung));
        } else if (!unit->rungs.empty()) {
            // Rungs have begun: what follows them can only be the end.
            Error(Cur().line, "match", std::string("Must be 'END_FUNCTION_BLOCK' instead '") + Cur().text + "'");
            Advance();
        } else {
            ReadStructuredTextBody(*unit);
            SkipToEnd("END_FUNCTION_BLOCK");
            ended = true;
        }
    }
    if (stopped_ || name.empty()) return;
    // Tags are kept grouped Input, Output, InOut, Static, in file order within a group.
    std::stable_sort(unit->tags.begin(), unit->tags.end(), [](const auto& a, const auto& b) { return a->usage < b->usage; });
    if (!unit->IsStructuredText() && unit->rungs.empty()) unit->rungs.push_back(NewRung());
    AddComponent(std::move(unit), std::move(component), line, "stmt_function_block");
}

// The body from the current token up to END_FUNCTION_BLOCK, character for character.
// It begins with the line of its first token, so that the first line keeps its
// indentation, and blank lines beyond the one that separates it from the declarations
// are its own.
void ComponentImporter::ReadStructuredTextBody(CUnit& unit) {
    const ImportToken& first = Cur();
    const int firstLine = tokens_.LineOf(first.start);
    size_t start = first.start;
    const size_t lineStart = tokens_.LineStart(firstLine);
    if (lineStart >= previousEnd_ && IsBlank(tokens_.Slice(lineStart, first.start))) {
        start = lineStart;
        const int previousLine = tokens_.LineOf(previousEnd_ > 0 ? previousEnd_ - 1 : 0);
        if (firstLine - previousLine > 2) start = tokens_.LineStart(previousLine + 2);
    }
    while (!stopped_ && !Cur().IsEnd() && !Is("END_FUNCTION_BLOCK") && !AtComponentStart()) Advance();
    const size_t end = Cur().IsEnd() ? tokens_.Text().size() : Cur().start;
    unit.language = kLanguageST;
    const int startLine = tokens_.LineOf(start);
    std::vector<std::string> lines = SplitTextLines(tokens_.Slice(start, end));
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string& line = lines[i];
        if (line.size() <= kMaxSTLineLength) {
            unit.text.push_back(std::move(line));
            continue;
        }
        // The editor holds lines of at most 512 characters: a longer one is kept in pieces.
        Error(startLine + static_cast<int>(i), "stmt_function_block", "Line is longer than 512 characters");
        for (size_t at = 0; at < line.size(); at += kMaxSTLineLength) unit.text.push_back(line.substr(at, kMaxSTLineLength));
    }
}

void ComponentImporter::ReadType() {
    const int line = Cur().line;
    Advance();  // TYPE
    const std::string name = ReadComponentName("stmt_type");
    auto unit = std::make_unique<CUnit>(name, kUnitType, kLanguageLadder);
    ImportedComponent component;
    component.name = name;
    component.isType = true;
    if (match("VAR")) stmt_var(unit->tags, kUsageNone, component);
    SkipToEnd("END_TYPE");
    if (stopped_ || name.empty()) return;
    AddComponent(std::move(unit), std::move(component), line, "stmt_type");
}

// Adds a complete component, replacing one of the same name when the user agrees.
void ComponentImporter::AddComponent(std::unique_ptr<CUnit> unit, ImportedComponent component, int line,
                                     const char* routine) {
    UnitList& units = project_.units;
    TypeList& types = project_.types;
    auto existing = std::find_if(units.begin(), units.end(), [&](const auto& u) { return u->name == unit->name; });
    if (existing == units.end() && project_.FindType(unit->name)) {
        // A predefined type of that name cannot be replaced.
        Error(line, routine, "Component with name " + unit->name + " already exist!");
        return;
    }
    auto type = std::make_unique<CType>(unit->name);
    if (existing != units.end()) {
        if (!frame_.host().AskOkCancel("Component with name " + unit->name +
                                       " already exist!\r\nDo you want to replace it?")) {
            ++outcome_.declined;
            return;
        }
        // The replaced component's windows close before it goes.
        const CUnit& old = **existing;
        if (old.IsFunctionBlock()) {
            frame_.host().CloseWindow("fb:" + old.name + ":routine");
            frame_.host().CloseWindow("fb:" + old.name + ":tags");
        } else {
            frame_.host().CloseWindow("type:" + old.name);
        }
        auto oldType = std::find_if(types.begin(), types.end(), [&](const auto& t) { return t->name == unit->name; });
        if (oldType != types.end())
            *oldType = std::move(type);
        else
            types.push_back(std::move(type));
        *existing = std::move(unit);
    } else {
        types.push_back(std::move(type));
        units.push_back(std::move(unit));
    }
    outcome_.changed = true;
    Keep(std::move(component));
}

void ComponentImporter::Keep(ImportedComponent component) {
    // What an earlier component of the same name left is gone with it.
    std::erase_if(kept_, [&](const ImportedComponent& k) { return k.name == component.name; });
    kept_.push_back(std::move(component));
}

ImportOutcome ImportComponents(CMainFrame& frame, std::string_view text, const std::string& fileName) {
    frame.compileError = false;
    // Import lines name lines of the file, not of a compiled unit.
    frame.output.compiledUnit.clear();
    frame.output.AddOutputLine("Import " + fileName + " ...");
    const ComponentFileText decoded = DecodeComponentFile(text);
    if (!decoded.errors.empty()) {
        // Nothing of a file that cannot be read as it was meant goes in.
        for (const auto& [line, message] : decoded.errors)
            frame.output.AddOutputLine(FormatCompilerError(line, "OnImport", message));
        frame.compileError = true;
        frame.output.AddOutputLine("Import " + fileName + " - Error");
        frame.host().Repaint();
        return {.ran = true, .ok = false};
    }
    ComponentImporter importer(frame, decoded.text);
    ImportOutcome outcome = importer.Run();
    if (outcome.ok && frame.compileError) outcome.ok = false;
    frame.output.AddOutputLine("Import " + fileName + (outcome.ok ? " - OK" : " - Error"));
    if (outcome.changed) frame.SetModified(true);
    frame.host().Repaint();
    return outcome;
}

ImportOutcome OnImport(CMainFrame& frame, const std::string& path) {
    if (!PassesDebugGuard(frame, Command::Import)) return {};
    Host& host = frame.host();
    std::string file = path;
    if (file.empty()) {
        FileDialogRequest request;
        request.filter = kComponentFileFilter;
        request.defaultExtension = kComponentFileExtension;
        std::optional<std::string> chosen = host.ChooseFile(request);
        if (!chosen || chosen->empty()) return {};
        file = *chosen;
    }
    std::error_code ec;
    const auto size = std::filesystem::file_size(file, ec);
    if (!ec && size > kMaxImportFileSize) {
        host.Message("Can't import the file '" + file + "'!\r\nIt is larger than " +
                     std::to_string(kMaxImportFileSize / (1024 * 1024)) + " MB.");
        return {};
    }
    std::ifstream in(file, std::ios::binary);
    if (ec || !in) {
        host.Message("Can't open the file '" + file + "'!");
        return {};
    }
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        host.Message("Can't read the file '" + file + "'!");
        return {};
    }
    return ImportComponents(frame, text, file);
}

}  // namespace pontra
