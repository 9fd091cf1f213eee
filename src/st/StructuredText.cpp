// SPDX-License-Identifier: GPL-3.0-or-later
#include "st/StructuredText.h"

#include "shell/MainFrame.h"
#include "st/Compiler.h"
#include "st/IlTranslator.h"

namespace pontra {

bool CompileStructuredTextUnit(CMainFrame& frame, CUnit& unit) {
    frame.compileError = false;
    frame.output.compiledUnit = unit.name;
    unit.rungs.clear();
    const CompilerErrorFn report = [&frame](int line, const std::string& routine, const std::string& message) {
        frame.output.AddOutputLine(FormatCompilerError(line, routine, message));
        frame.compileError = true;
    };
    CSTCompiler compiler(frame.project(), frame.standardLibrary, unit, frame.host(), report);
    compiler.Tokenize();
    compiler.Compile();
    // The tokens are done with; their memory serves the rungs.
    TokenList().swap(compiler.Tokens());
    if (!frame.compileError) {
        IlTranslator translator(frame.project(), unit, *compiler.Symbols().compiled, compiler.StatementCount(), report);
        translator.Translate(compiler.InstructionList(), compiler.InstructionSourceLines());
    }
    if (!frame.compileError) return true;
    unit.rungs.clear();
    frame.compileError = false;
    return false;
}

}  // namespace pontra
