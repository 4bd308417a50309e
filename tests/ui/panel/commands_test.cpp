#include <gtest/gtest.h>

#include "live/recorder.h"
#include "support/test_session.h"
#include "ui/panel/panel_commands.h"
#include "ui/panel/port_window.h"

namespace calvex {
namespace {

TEST(PanelCommands, SamplingTimeAnswers) {
    struct Case {
        const char* answer;
        std::optional<float> seconds;
    };
    const Case cases[] = {
        {"0", 1.0f},           {"100000", 86400.0f},    {"2.5", 2.0f},   {"3.5", 4.0f}, {"", std::nullopt},
        {"abc", std::nullopt}, {"12abc", std::nullopt}, {" 60 ", 60.0f}, {"-5", 1.0f},  {"86400", 86400.0f},
    };
    for (const Case& c : cases)
        EXPECT_EQ(samplingTimeFromAnswer(c.answer), c.seconds) << c.answer;
}

TEST(PanelCommands, PcSetsTheSamplingTimeOrKeepsIt) {
    struct Case {
        const char* answer;
        float stored;
        long ticks;
        bool message;
    };
    const Case cases[] = {{"3.5", 4, 0, false}, {"", 2, 5, false}, {"ten", 2, 5, true}};
    for (const Case& c : cases) {
        test::TestSession t;
        struct NullView : RecordingView {
            std::string labelT1() const override { return {}; }
            std::string labelT2() const override { return {}; }
            std::string labelT1T2() const override { return {}; }
            void setRecordingFace(bool) override {}
            void setFileNameText(const std::string&) override {}
            void setCountText(const std::string&) override {}
            void setRecText(const std::string&) override {}
            void setRecVisible(bool) override {}
        } view;
        Recorder recorder(t.session, view);
        PanelCommands commands(t.session, recorder);
        t.session.SampleTicks = 5;
        t.dialogs.inputAnswers.push_back(c.answer);
        commands.Toolbar1_ButtonClick("PC");
        ASSERT_EQ(t.dialogs.inputs.size(), 1u);
        EXPECT_EQ(t.dialogs.inputs[0].title, "Input Sampling Time");
        EXPECT_EQ(t.dialogs.inputs[0].prompt, "Enter the SAMPLING TIME in seconds\r\n(1 <= t <= 86400 ) ");
        EXPECT_EQ(t.dialogs.inputs[0].defaultText, "2");
        EXPECT_EQ(t.session.state.SampleSeconds, c.stored) << c.answer;
        EXPECT_EQ(t.session.SampleTicks, c.ticks) << c.answer;
        EXPECT_EQ(t.dialogs.messages.size(), c.message ? 1u : 0u) << c.answer;
    }
}

TEST(PortChoice, TextsAreComparedExactly) {
    struct Case {
        const char* text;
        std::optional<int> port;
        bool autoScan;
    };
    const Case cases[] = {{"Auto", 1, true},
                          {"COM1", 1, false},
                          {"COM8", 8, false},
                          {"auto", std::nullopt, false},
                          {"COM9", std::nullopt, false},
                          {"com2", std::nullopt, false},
                          {" COM2", std::nullopt, false},
                          {"", std::nullopt, false}};
    for (const Case& c : cases) {
        const auto choice = portChoiceFromText(c.text);
        ASSERT_EQ(choice.has_value(), c.port.has_value()) << c.text;
        if (choice) {
            EXPECT_EQ(choice->comPort, *c.port);
            EXPECT_EQ(choice->autoScan, c.autoScan);
        }
    }
}

}  // namespace
}  // namespace calvex
