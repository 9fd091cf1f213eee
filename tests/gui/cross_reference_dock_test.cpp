// SPDX-License-Identifier: GPL-3.0-or-later
// The cross reference dock: the uses of a tag from the tag editor's context menu, the
// "multiple writers" mark, and the double-click that names the place to show.
#include <QLabel>
#include <QTreeWidget>

#include "TagEditorFixture.h"
#include "files/ComponentImport.h"
#include "gui/CrossReferenceDock.h"

namespace pontra::gui::test {
namespace {

std::string Crlf(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

TEST_F(TagEditorTest, CrossReferenceListsUsesAndOpensThem) {
    host.answers.push_back(true);
    ASSERT_TRUE(ImportComponents(frame, Crlf("PROGRAM Main\nVAR\nRun: BOOL;\nStop: BOOL;\nEND_VAR\n"
                                             "RUNG;\nXIO(Stop);\nOTE(Run);\nRND;\n"
                                             "RUNG;\nXIC(Inputs.0);\nOTL(Run);\nRND;\nEND_PROGRAM\n"),
                                 "x.txt")
                    .ok);
    Open();
    CrossReferenceDock dock(frame);
    QObject::connect(editor.get(), &TagEditor::crossReferenceRequested, &dock, &CrossReferenceDock::ShowUses);
    std::vector<OutputJump> jumps;
    QObject::connect(&dock, &CrossReferenceDock::useActivated, [&](const OutputJump& jump) { jumps.push_back(jump); });

    Q_EMIT editor->crossReferenceRequested(nullptr, "Run");
    ASSERT_EQ(dock.list()->topLevelItemCount(), 2);
    EXPECT_EQ(dock.heading()->text(), "Run: 2 use(s), multiple writers");
    const QTreeWidgetItem* second = dock.list()->topLevelItem(1);
    EXPECT_EQ(second->text(0), "Main Routine rung 2, OTL operand 1");
    EXPECT_EQ(second->text(1), "Run");
    EXPECT_EQ(second->text(2), "written");
    EXPECT_EQ(second->text(3), "multiple writers");

    Q_EMIT dock.list()->itemDoubleClicked(dock.list()->topLevelItem(1), 0);
    ASSERT_EQ(jumps.size(), 1u);
    EXPECT_EQ(jumps[0].kind, OutputJump::Kind::LadderElement);
    EXPECT_EQ(jumps[0].unit, nullptr);
    EXPECT_EQ(jumps[0].rung, 1);
    EXPECT_EQ(jumps[0].element, frame.doc().rungs[1]->elements[2].get());

    // A rung deleted since the list was made leads nowhere, without touching freed memory.
    frame.doc().rungs.pop_back();
    EXPECT_EQ(dock.JumpOf(1).kind, OutputJump::Kind::None);
    Q_EMIT dock.list()->itemDoubleClicked(dock.list()->topLevelItem(1), 0);
    EXPECT_EQ(jumps.size(), 1u);

    Q_EMIT editor->crossReferenceRequested(nullptr, "Stop");
    EXPECT_EQ(dock.heading()->text(), "Stop: 1 use(s)");
}

}  // namespace
}  // namespace pontra::gui::test
