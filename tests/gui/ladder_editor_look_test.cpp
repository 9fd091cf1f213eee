// SPDX-License-Identifier: GPL-3.0-or-later
// Pictures of the ladder editor on the conveyor example, offline and online, written to
// the build folder for a person to look at (ladder_conveyor_offline.png,
// ladder_conveyor_online.png). Skipped when the example was not built
// (examples/build.sh build).
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QScrollBar>

#include "build/ProjectLayout.h"
#include "comm/UdpRequest.h"
#include "files/ProjectReader.h"
#include "gui/LadderEditor.h"
#include "host/ScriptedHost.h"
#include "online/OnlineSession.h"
#include "shell/MainFrame.h"

namespace pontra::gui {
namespace {

TEST(LadderEditorLook, ConveyorExampleOfflineAndOnline) {
    const std::string path = std::string(PONTRA_BINARY_DIR) + "/examples/conveyor_zone.clp";
    ProjectReadResult read = ReadProjectFile(path);
    if (!read.project) GTEST_SKIP() << "no " << path << ": " << read.error;
    ScriptedHost host;
    CMainFrame frame{host};
    frame.SetProject(std::move(read.project));
    LadderEditor editor(frame, nullptr);
    editor.resize(1100, 820);
    editor.show();
    QApplication::processEvents();
    const QString dir = QString::fromStdString(std::string(PONTRA_BINARY_DIR));
    ASSERT_TRUE(editor.grab().save(dir + "/ladder_conveyor_offline.png"));
    editor.SetZoom(50);
    ASSERT_TRUE(editor.grab().save(dir + "/ladder_conveyor_zoom50.png"));
    editor.SetZoom(100);
    editor.verticalScrollBar()->setValue(0);
    editor.horizontalScrollBar()->setValue(0);

    ProjectLayout layout;
    ASSERT_TRUE(LayOutProject(frame.project(), layout));
    std::vector<uint8_t> memory = layout.memory;
    memory.resize(static_cast<size_t>(std::max(layout.totalSize, 16)));
    // Every third byte with a pattern, so that some contacts close and some stay open.
    for (size_t i = 384; i < memory.size(); i += 3) memory[i] = static_cast<uint8_t>(0x5A + i);
    frame.doc().SetModuleAddress(0x7F000063u);
    frame.online().SetPorts({static_cast<uint16_t>(22000 + std::rand() % 8000), 30001,
                             static_cast<uint16_t>(42000 + std::rand() % 8000)});
    frame.online().EnterDebugMode(memory);
    editor.DebugModeChanged();
    QApplication::processEvents();
    ASSERT_TRUE(editor.grab().save(dir + "/ladder_conveyor_waiting.png"));
    for (size_t at = 0; at < memory.size(); at += 1000) {
        UdpRequest r;
        r.command = kUdpReadMemory;
        r.address = static_cast<uint16_t>(at);
        r.count = static_cast<uint16_t>(std::min<size_t>(1000, memory.size() - at));
        r.state = kUdpAnswered;
        r.replyLength = static_cast<uint32_t>(kUdpHeaderSize + r.count);
        std::copy(memory.begin() + static_cast<long>(at), memory.begin() + static_cast<long>(at + r.count),
                  r.reply.begin() + kUdpHeaderSize);
        frame.online().OnReadAnswered(r);
    }
    editor.LiveValuesChanged();
    QApplication::processEvents();
    ASSERT_TRUE(editor.grab().save(dir + "/ladder_conveyor_online.png"));
}

}  // namespace
}  // namespace pontra::gui
