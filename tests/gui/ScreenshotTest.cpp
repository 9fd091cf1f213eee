// SPDX-License-Identifier: GPL-3.0-or-later
// `pontra --screenshot` as a process: the picture has the requested size and shows
// something.
#include <QImage>
#include <QProcess>
#include <QSet>

#include "GuiFixture.h"

namespace pontra::gui {
namespace {

using Screenshot = GuiTest;

int RunPontra(const QStringList& arguments, QString* errors = nullptr) {
    QProcess pontra;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    pontra.setProcessEnvironment(environment);
    pontra.start(PONTRA_BINARY_DIR "/src/gui/pontra", arguments);
    if (!pontra.waitForFinished(60000)) return -1;
    if (errors) *errors = QString::fromLocal8Bit(pontra.readAllStandardError());
    return pontra.exitStatus() == QProcess::NormalExit ? pontra.exitCode() : -1;
}

TEST_F(Screenshot, WritesAPictureOfTheRequestedSizeThatIsNotBlank) {
    const std::string project = MakeProject("Line.clp");
    const QString out = QString::fromStdString(dir.File("main.png"));
    QString errors;
    ASSERT_EQ(RunPontra({"--screenshot", out, "--size", "900x640", "--window", "tags", "--window", "main",
                         QString::fromStdString(project)},
                        &errors),
              0)
        << errors.toStdString();
    const QImage image(out);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(900, 640));
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 7)
        for (int x = 0; x < image.width(); x += 7) colours.insert(image.pixel(x, y));
    EXPECT_GT(colours.size(), 8) << "a blank picture";
}

TEST_F(Screenshot, RefusesWhatItCannotDo) {
    const QString out = QString::fromStdString(dir.File("none.png"));
    EXPECT_EQ(RunPontra({"--screenshot", out, "--size", "tiny"}), 2);
    EXPECT_EQ(RunPontra({"--screenshot", out, QString::fromStdString(dir.File("missing.clp"))}), 1);
    EXPECT_EQ(RunPontra({"--screenshot", out, "--window", "fb:Nothing:routine",
                         QString::fromStdString(MakeProject("Line.clp"))}),
              1);
    QString errors;
    EXPECT_EQ(RunPontra({"--screenshot", out, "--trend", "NoSuchTag", QString::fromStdString(MakeProject("Line.clp"))},
                        &errors),
              1);
    EXPECT_TRUE(errors.contains("'NoSuchTag' cannot go on the trend")) << errors.toStdString();
    QProcess pontra;
    pontra.start(PONTRA_BINARY_DIR "/src/gui/pontra", {"--version"});
    ASSERT_TRUE(pontra.waitForFinished(30000));
    EXPECT_TRUE(pontra.readAllStandardOutput().contains("GPL-3.0-or-later"));
}

}  // namespace
}  // namespace pontra::gui
