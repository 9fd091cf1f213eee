// SPDX-License-Identifier: GPL-3.0-or-later
// Component files in either encoding: Windows-1252 as export writes it, UTF-8 (with or
// without a byte-order mark) as a modern editor saves it; what Windows-1252 cannot hold
// is refused on its line and nothing is imported.
#include <gtest/gtest.h>

#include "files/ComponentExport.h"
#include "files/ComponentFileText.h"
#include "files/ComponentText.h"
#include "model/TextEncoding.h"

namespace pontra::test {
namespace {

// A main program whose description and rung comment are `text` (in the file's bytes).
std::string MainWith(std::string_view text) {
    return Crlf("PROGRAM Main\n\nVAR\nBelt{description = " + std::string(text) + "}: BOOL;\nEND_VAR\n\nRUNG{comment = " +
                std::string(text) + "};\nXIC(Belt);\nRND;\n\nEND_PROGRAM\n");
}

struct Imported {
    ScriptedHost host;
    CMainFrame frame{host};
    ImportOutcome outcome;

    explicit Imported(std::string_view bytes) {
        frame.SetProject(NewProject());
        host.defaultAnswer = true;
        outcome = ImportComponents(frame, bytes, "t.txt");
    }
    std::string Description() const {
        const CTag* tag = FindTag(frame.project().doc.tags, "Belt");
        return tag ? tag->description : "(missing)";
    }
    std::string Comment() const {
        const auto& rungs = frame.project().doc.rungs;
        return rungs.empty() ? "(none)" : rungs.front()->comment;
    }
};

TEST(ComponentEncoding, EachEncodingImportsAsTheProjectsSingleBytes) {
    const std::string bom = "\xEF\xBB\xBF";
    struct Case {
        const char* what;
        std::string file;
        std::string stored;  // Windows-1252
    };
    const Case cases[] = {
        {"Windows-1252 as exported", MainWith("F\xF6rderband l\xE4uft"), "F\xF6rderband l\xE4uft"},
        {"UTF-8 without a mark", MainWith("F\xC3\xB6rderband l\xC3\xA4uft"), "F\xF6rderband l\xE4uft"},
        {"UTF-8 with a mark", bom + MainWith("F\xC3\xB6rderband l\xC3\xA4uft"), "F\xF6rderband l\xE4uft"},
        {"a mark on ASCII text", bom + MainWith("plain"), "plain"},
        {"UTF-8 a-umlaut", MainWith("\xC3\xA4"), "\xE4"},
        {"UTF-8 euro and en dash", MainWith("5 \xE2\x82\xAC \xE2\x80\x93 net"), "5 \x80 \x96 net"},
        {"Windows-1252 euro and en dash", MainWith("5 \x80 \x96 net"), "5 \x80 \x96 net"},
        {"Windows-1252 with a stray UTF-8 pair", MainWith("\xE4 \xC3\xA4"), "\xE4 \xC3\xA4"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Imported imported(c.file);
        ASSERT_TRUE(imported.outcome.ok) << OutputText(imported.frame);
        EXPECT_EQ(imported.Description(), c.stored);
        EXPECT_EQ(imported.Comment(), c.stored);
    }
}

TEST(ComponentEncoding, CharactersOutsideWindows1252AreRefusedOnTheirLines) {
    // Line 4 holds an arrow, line 7 a CJK character; nothing goes in.
    Imported imported(MainWith("a \xE2\x86\x92 b"));
    EXPECT_FALSE(imported.outcome.ok);
    EXPECT_FALSE(imported.outcome.changed);
    EXPECT_EQ(OutputText(imported.frame),
              "Import t.txt ...\n"
              "Error at line 4 : OnImport : Character U+2192 can't be stored, the project's text is Windows-1252\n"
              "Error at line 7 : OnImport : Character U+2192 can't be stored, the project's text is Windows-1252\n"
              "Import t.txt - Error\n");
    EXPECT_EQ(imported.Comment(), "");  // the new project's empty rung stays

    Imported cjk("\xEF\xBB\xBFPROGRAM Main\r\nRUNG{comment = \xE4\xB8\xAD};\r\nRND;\r\nEND_PROGRAM\r\n");
    EXPECT_FALSE(cjk.outcome.ok);
    EXPECT_NE(OutputText(cjk.frame).find("Error at line 2 : OnImport : Character U+4E2D"), std::string::npos);

    // After a byte-order mark the file must be UTF-8 throughout.
    Imported broken("\xEF\xBB\xBFPROGRAM Main\r\nRUNG{comment = \xE4};\r\nRND;\r\nEND_PROGRAM\r\n");
    EXPECT_FALSE(broken.outcome.ok);
    EXPECT_NE(OutputText(broken.frame).find("Error at line 2 : OnImport : Byte 0xE4 is not UTF-8"), std::string::npos);
}

TEST(ComponentEncoding, ExportImportRoundTripKeepsTheBytes) {
    // Every byte Windows-1252 gives a text, in a description and a comment.
    std::string all;
    for (int b = 0xA0; b <= 0xFF; ++b) all += static_cast<char>(b);
    all += "\x80\x8A\x96\x97\x99\x9C\x9F";
    Imported first(MainWith(all));
    ASSERT_TRUE(first.outcome.ok) << OutputText(first.frame);
    ASSERT_EQ(first.Description(), all);
    const std::string exported = *ExportText(first.frame.project(), ExportSubject::MainProgram);
    EXPECT_FALSE(IsValidUtf8(exported));  // written as the project holds it

    Imported second(exported);
    ASSERT_TRUE(second.outcome.ok) << OutputText(second.frame);
    EXPECT_EQ(*ExportText(second.frame.project(), ExportSubject::MainProgram), exported);
    EXPECT_EQ(second.Comment(), all);

    // The same file saved again as UTF-8 by an editor imports to the same bytes.
    Imported utf8("\xEF\xBB\xBF" + Cp1252ToUtf8(exported));
    ASSERT_TRUE(utf8.outcome.ok) << OutputText(utf8.frame);
    EXPECT_EQ(*ExportText(utf8.frame.project(), ExportSubject::MainProgram), exported);
}

TEST(ComponentEncoding, ErrorLinesAreBounded) {
    std::string file;
    for (int i = 0; i < 500; ++i) file += "\xE2\x86\x92\r\n";
    const ComponentFileText decoded = DecodeComponentFile(file);
    EXPECT_TRUE(decoded.utf8);
    ASSERT_EQ(decoded.errors.size(), kMaxEncodingErrors);
    EXPECT_EQ(decoded.errors.back().first, static_cast<int>(kMaxEncodingErrors));
    EXPECT_TRUE(decoded.text.empty());
}

}  // namespace
}  // namespace pontra::test
