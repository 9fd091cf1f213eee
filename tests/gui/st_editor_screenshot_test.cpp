// SPDX-License-Identifier: GPL-3.0-or-later
// Pictures of the Structured Text editor window for looking at by eye: the speed_ramp
// example's block offline, with a compiler error marked, and online against a soft
// module with the debug pane's live values. Written only when PONTRA_SCREENSHOT_DIR
// names a folder and the example was built (examples/build.sh build); otherwise skipped.
#include <gtest/gtest.h>

#include <filesystem>

#include <QComboBox>
#include <QPixmap>

#include "StWindowBench.h"
#include "files/ProjectReader.h"
#include "gui/StDebugPane.h"
#include "online/OnlineBench.h"
#include "shell/CommandSet.h"

namespace pontra::test {
namespace {

std::string ShotFolder() {
    const QByteArray folder = qgetenv("PONTRA_SCREENSHOT_DIR");
    return folder.toStdString();
}

void Save(QWidget& widget, const std::string& name) {
    QApplication::processEvents();
    const std::string path = ShotFolder() + "/" + name;
    EXPECT_TRUE(widget.grab().save(QString::fromStdString(path))) << path;
}

TEST(StEditorScreenshots, SpeedRampOfflineWithAnErrorAndOnline) {
    const std::string example = PONTRA_BINARY_DIR "/examples/speed_ramp.clp";
    if (ShotFolder().empty() || !std::filesystem::exists(example))
        GTEST_SKIP() << "set PONTRA_SCREENSHOT_DIR and build the examples";
    OnlineBench bench;
    ProjectReadResult read = ReadProjectFile(example);
    ASSERT_TRUE(read.project) << read.error;
    bench.frame.SetProject(std::move(read.project));
    ASSERT_TRUE(bench.Save());
    CUnit* ramp = bench.project().FindUnit("SpeedRamp");
    ASSERT_NE(ramp, nullptr);

    gui::StEditorWindow window(bench.frame, *ramp);
    window.resize(1000, 480);
    window.show();
    window.core().SetSelection(0, 0);
    window.text().ShowCore();
    Save(window, "st_editor_offline.png");

    // An error: a statement broken by typing, then Verify Program.
    const std::vector<std::string> kept = ramp->text;
    const size_t line = window.core().Text().LineStart(6);
    window.core().SetSelection(line, line);
    TypeKeys(&window.text(), "Goal := ;\n");
    InvokeCommand(bench.frame, Command::VerifyProgram);
    window.ModelChanged();
    ASSERT_FALSE(window.text().ErrorLines().empty()) << ::testing::PrintToString(bench.Lines());
    window.core().SetSelection(0, 0);
    window.text().ShowCore();
    Save(window, "st_editor_error.png");
    window.text().SelectLine(window.text().ErrorLines().front());
    Save(window, "st_editor_error_jump.png");

    // Online: the fixed block downloaded to a soft module, the instance chosen.
    while (window.core().CanUndo()) window.core().Undo();
    window.ModelChanged();
    ASSERT_EQ(ramp->text, kept);
    InvokeCommand(bench.frame, Command::VerifyProgram);
    window.ModelChanged();
    ASSERT_TRUE(window.text().ErrorLines().empty());
    ASSERT_TRUE(bench.Save());
    ASSERT_TRUE(WatchFirstInstance(bench, window));
    const size_t speed = window.core().Text().LineStart(13) + 4;  // "Speed" of "    Speed := Speed - Step;"
    window.core().SetSelection(speed, speed + 5);
    window.text().ShowCore();
    Save(window, "st_editor_online.png");
    ASSERT_TRUE(bench.Stop());
}

}  // namespace
}  // namespace pontra::test
