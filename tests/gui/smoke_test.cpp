// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QGuiApplication>

TEST(GuiSmoke, RunsOffscreen) { EXPECT_EQ(QGuiApplication::platformName(), "offscreen"); }
