#include "graph/damage_canvas.h"

#include <gtest/gtest.h>

#include <limits>

#include "support/recording_canvas.h"

namespace calvex {
namespace {

TEST(DamageCanvas, PassesCallsOnAndNotesTheTouchedBoxesClipped) {
    test::RecordingCanvas target(400, 300);
    DamageCanvas canvas(target);
    canvas.fillBox(12.5, 40, 10, 20, kWhite);
    canvas.line(50, 100, 50, 10, kBlack, 1, LineStyle::Solid);
    canvas.drawText(5, 280, "abc", kBlack);
    canvas.line(-30, -5, 1000, -5, kBlack, 2, LineStyle::Dotted);
    canvas.line(std::numeric_limits<double>::quiet_NaN(), 5, 10, 5, kBlack, 1, LineStyle::Solid);
    EXPECT_EQ(target.calls.size(), 5u);
    const std::vector<PixelBox> damage = canvas.takeDamage();
    ASSERT_EQ(damage.size(), 4u);
    EXPECT_EQ(damage[0], (PixelBox{10, 20, 13, 41}));
    EXPECT_EQ(damage[1], (PixelBox{49, 9, 52, 102}));
    EXPECT_EQ(damage[2], (PixelBox{3, 278, 29, 299}));
    // The line above the canvas is dropped; one not a number lands harmlessly at the edge.
    EXPECT_EQ(damage[3], (PixelBox{0, 4, 2, 7}));
    EXPECT_TRUE(canvas.takeDamage().empty());

    canvas.clear(kWhite);
    EXPECT_EQ(canvas.takeDamage(), std::vector<PixelBox>({PixelBox{0, 0, 400, 300}}));
    // What is drawn after a clear lies inside it: the whole canvas stays the only box.
    canvas.line(10, 20, 10, 40, kBlack, 1, LineStyle::Solid);
    canvas.clear(kWhite);
    canvas.line(10, 20, 10, 40, kBlack, 1, LineStyle::Solid);
    canvas.drawText(3, 280, "abc", kBlack);
    EXPECT_EQ(canvas.takeDamage(), std::vector<PixelBox>({PixelBox{0, 0, 400, 300}}));
    canvas.line(10, 20, 10, 40, kBlack, 1, LineStyle::Solid);
    EXPECT_EQ(canvas.takeDamage().size(), 1u);
}

}  // namespace
}  // namespace calvex
