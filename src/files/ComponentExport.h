// SPDX-License-Identifier: GPL-3.0-or-later
// Component export: the main program, the main task (the whole project), a function
// block or a user-defined type as text in an IEC 61131-3-like form, placed on the
// clipboard and written to a file. Lines end with "\r\n".
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "model/Tag.h"

namespace pontra {

class CMainFrame;
class CProject;
class CUnit;

enum class ExportSubject { MainProgram, MainTask, FunctionBlock, Type };

constexpr const char* kExportForbiddenSymbol =
    "Export is canceled - forbidden symbol in tag, description or rung comment names!";
constexpr const char* kComponentFileFilter = "TXT Files (*.txt) | *.txt||";
constexpr const char* kComponentFileExtension = "*.txt";

// The text of a component (`unit` for a function block or a type); none when a tag name
// or description, or a rung comment, holds a forbidden symbol: then nothing is written.
std::optional<std::string> ExportText(const CProject& project, ExportSubject subject, const CUnit* unit = nullptr);

// One declaration line: name, alias and description attributes, type (arrays as
// "ARRAY[n] OF T"), an initial value other than the default, ";" and the line end.
std::string DeclarationLine(const CProject& project, const CTag& tag);

// The values of an array or structure tag in the order of its initial-value list: every
// member of an elementary type, depth first (alias members have no value of their own).
// Empty for a tag of an elementary type.
std::vector<const CTag*> InitialValueSlots(const CTag& tag);
std::vector<CTag*> InitialValueSlots(CTag& tag);

// The export commands: build the text (the forbidden-symbol message ends the command),
// put it on the clipboard as plain text, then write it to `path`, or to the file chosen
// in the save dialog when `path` is empty. Cancelling the dialog leaves the text on the
// clipboard only. True when the file was written.
bool ExportComponent(CMainFrame& frame, ExportSubject subject, const CUnit* unit, const std::string& path = {});
bool ExportMainProgram(CMainFrame& frame, const std::string& path = {});
bool ExportMainTask(CMainFrame& frame, const std::string& path = {});
bool ExportFunctionBlock(CMainFrame& frame, const CUnit& unit, const std::string& path = {});
bool ExportType(CMainFrame& frame, const CUnit& unit, const std::string& path = {});

}  // namespace pontra
