#include <gtest/gtest.h>

#include <QDir>
#include <string>
#include <vector>

#include "platform/settings.h"
#include "support/temp_folder.h"

namespace calvex {
namespace {

using test::TempFolder;

QString settingsPath(const TempFolder& folder) {
    return QString::fromStdString(folder.file("calvex/calvex.conf"));
}

// A Settings read from `path`, with what it said on standard error.
struct Reading {
    explicit Reading(const QString& path) {
        testing::internal::CaptureStderr();
        settings = std::make_unique<Settings>(path);
        errors = testing::internal::GetCapturedStderr();
    }
    std::unique_ptr<Settings> settings;
    std::string errors;
};

TEST(Settings, AFirstRunFindsNothingAndSaysNothing) {
    TempFolder folder;
    Reading first(settingsPath(folder));
    EXPECT_EQ(first.errors, "");
    EXPECT_FALSE(first.settings->port());
    EXPECT_FALSE(first.settings->sampleSeconds());
    EXPECT_EQ(first.settings->folder(), "");
    EXPECT_TRUE(first.settings->recentFiles().empty());
    EXPECT_FALSE(first.settings->windowGeometry("Panel"));
}

TEST(Settings, WhatOneRunKeepsTheNextFinds) {
    TempFolder folder;
    TempFolder data;
    const std::string file = data.file("run, one & two.tab");
    {
        Settings settings(settingsPath(folder));
        settings.setPort("Auto");
        settings.setSampleSeconds(60);
        settings.setFolderOf(file);
        settings.addRecentFile(file);
        settings.setWindowGeometry("Panel", QRect(-20, 35, 640, 480));
    }
    ASSERT_TRUE(QFile::exists(settingsPath(folder)));
    Reading next(settingsPath(folder));
    EXPECT_EQ(next.errors, "");
    EXPECT_EQ(next.settings->port(), "Auto");
    EXPECT_EQ(next.settings->sampleSeconds(), 60.0f);
    EXPECT_EQ(next.settings->folder(), data.path().string());
    EXPECT_EQ(next.settings->recentFiles(), std::vector<std::string>{file});
    EXPECT_EQ(next.settings->windowGeometry("Panel"), QRect(-20, 35, 640, 480));
}

TEST(Settings, NonsenseIsNotKept) {
    TempFolder folder;
    Settings settings(settingsPath(folder));
    settings.setPort("COM9");
    settings.setSampleSeconds(0);
    settings.setSampleSeconds(86401);
    settings.setWindowGeometry("Panel", QRect(0, 0, 0, 10));
    EXPECT_FALSE(settings.port());
    EXPECT_FALSE(settings.sampleSeconds());
    EXPECT_FALSE(settings.windowGeometry("Panel"));
}

TEST(Settings, AFolderSinceRemovedIsForgottenQuietly) {
    TempFolder folder;
    std::string removed;
    {
        TempFolder data;
        removed = data.path().string();
        Settings settings(settingsPath(folder));
        settings.setFolderOf(data.file("a.tab"));
        EXPECT_EQ(settings.folder(), removed);
    }
    Reading next(settingsPath(folder));
    EXPECT_EQ(next.errors, "");
    EXPECT_EQ(next.settings->folder(), "");
}

struct Damage {
    const char* name;
    std::string bytes;
    const char* why;  // in the one line on standard error
};

class DamagedSettings : public testing::TestWithParam<Damage> {};

TEST_P(DamagedSettings, AreIgnoredWithOneLineAndTheDefaultsHold) {
    TempFolder folder;
    const QString path = settingsPath(folder);
    QDir().mkpath(QString::fromStdString(folder.file("calvex")));
    TempFolder::write(path.toStdString(), GetParam().bytes);
    Reading damaged(path);
    const std::string head = "calvex: settings ignored: " + path.toStdString() + ": ";
    ASSERT_EQ(damaged.errors.rfind(head, 0), 0u) << damaged.errors;
    EXPECT_EQ(std::count(damaged.errors.begin(), damaged.errors.end(), '\n'), 1) << damaged.errors;
    EXPECT_EQ(damaged.errors.back(), '\n');
    EXPECT_NE(damaged.errors.find(GetParam().why), std::string::npos) << damaged.errors;
    EXPECT_FALSE(damaged.settings->port());
    EXPECT_FALSE(damaged.settings->sampleSeconds());
    EXPECT_TRUE(damaged.settings->recentFiles().empty());
    EXPECT_FALSE(damaged.settings->windowGeometry("Panel"));

    // The next change writes a sound file in its place.
    damaged.settings->setPort("COM3");
    Reading next(path);
    EXPECT_EQ(next.errors, "");
    EXPECT_EQ(next.settings->port(), "COM3");
}

constexpr char kGarbageBytes[] = "\x7f\x45\x4c\x46\x02\x01\x00\xff\xfe[General]\nport=COM2\n\x00\x80";
const std::string kGarbage(kGarbageBytes, sizeof kGarbageBytes - 1);

INSTANTIATE_TEST_SUITE_P(
    Settings, DamagedSettings,
    testing::Values(Damage{"GarbageBytes", kGarbage, "not a settings file"},
                    Damage{"InvalidUtf8", "[General]\nport=COM\xc3\x28\n", "not a settings file"},
                    Damage{"PortNotOffered", "[General]\nport=COM9\n", "port is not COM1 to COM8 or Auto"},
                    Damage{"PortAList", "[General]\nport=COM1, COM2\n", "port is not"},
                    Damage{"PortARect", "[General]\nport=@Rect(1 2 3 4)\n", "port is not"},
                    Damage{"SamplingZero", "[General]\nsampleSeconds=0\n", "sampleSeconds is not"},
                    Damage{"SamplingTooLong", "[General]\nsampleSeconds=86401\n", "sampleSeconds is not"},
                    Damage{"SamplingNotANumber", "[General]\nsampleSeconds=soon\n", "sampleSeconds is not"},
                    Damage{"SamplingInfinite", "[General]\nsampleSeconds=inf\n", "sampleSeconds is not"},
                    Damage{"SamplingAFraction", "[General]\nsampleSeconds=2.5\n", "sampleSeconds is not"},
                    Damage{"RecentRelative", "[General]\nrecentFiles=data.tab\n", "recentFiles holds"},
                    Damage{"RecentANumber", "[General]\nrecentFiles=@Point(1 2)\n", "recentFiles is not"},
                    Damage{"GeometryWords", "[windows]\nPanel=left top\n", "window Panel"},
                    Damage{"GeometryTooLarge", "[windows]\nPanel=0 0 99999999 10\n", "window Panel"},
                    Damage{"GeometryEmpty", "[windows]\nPanel=0 0 0 0\n", "window Panel"},
                    Damage{
                        "EverythingWrongStillOneLine",
                        "[General]\nport=LPT1\nsampleSeconds=-5\nfolder=relative/path\n[windows]\nPanel=x\n",
                        "port is not COM1 to COM8 or Auto; sampleSeconds is not"}),
    [](const testing::TestParamInfo<Damage>& info) { return std::string(info.param.name); });

TEST(Settings, AFileTooLargeIsNotRead) {
    TempFolder folder;
    const QString path = settingsPath(folder);
    QDir().mkpath(QString::fromStdString(folder.file("calvex")));
    TempFolder::write(path.toStdString(), "[General]\n" + std::string(2 << 20, 'a') + "\n");
    Reading damaged(path);
    EXPECT_NE(damaged.errors.find("larger than a settings file"), std::string::npos);
}

TEST(Settings, RecentFilesLatestFirstAtMostEightNoneTwice) {
    TempFolder folder;
    Settings settings(settingsPath(folder));
    for (int n = 1; n <= 10; ++n)
        settings.addRecentFile("/data/run" + std::to_string(n) + ".tab");
    settings.addRecentFile("/data/run5.tab");
    const std::vector<std::string> expected{"/data/run5.tab", "/data/run10.tab", "/data/run9.tab",
                                            "/data/run8.tab", "/data/run7.tab",  "/data/run6.tab",
                                            "/data/run4.tab", "/data/run3.tab"};
    EXPECT_EQ(settings.recentFiles(), expected);
    Reading next(settingsPath(folder));
    EXPECT_EQ(next.settings->recentFiles(), expected);
    next.settings->removeRecentFile("/data/run9.tab");
    EXPECT_EQ(next.settings->recentFiles().size(), 7u);
    EXPECT_EQ(Settings(settingsPath(folder)).recentFiles().size(), 7u);
}

TEST(Settings, TheUsersFileIsInTheXdgConfigFolder) {
    TempFolder folder;
    const QByteArray before = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(folder.path().string()));
    EXPECT_EQ(Settings::defaultPath().toStdString(), folder.file("calvex/calvex.conf"));
    if (before.isEmpty())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", before);
}

}  // namespace
}  // namespace calvex
