#include <gtest/gtest.h>
#include <QAccessible>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QTableView>

#include "support/memory_rig.h"

namespace calvex::test {
namespace {

TEST(MemoryWindow, ControlsAtTheirDesignPlaces) {
    MemoryRig rig;
    rig.panel.widget()->move(0, 0);
    rig.instrument.data = memoryData({{10, {dualRecord(251, 100)}}, {3, {dualRecord(251, 100)}}});
    rig.memory.startDownload();
    rig.runToEnd();
    MemoryWindow* w = rig.memory.window();
    ASSERT_NE(w, nullptr);

    EXPECT_EQ(w->windowTitle(), "Data Logger");
    EXPECT_EQ(w->size(), QSize(166, 230));
    EXPECT_EQ(w->pos().x(), rig.panel.widget()->frameGeometry().right() + 1);
    EXPECT_EQ(w->pos().y(), rig.panel.widget()->frameGeometry().top());

    const struct {
        const char* name;
        const char* text;
    } labels[] = {{"SSPanel1", "Memory Size"},
                  {"LblSize", "29.0 K"},
                  {"SSPanel2", "Remained"},
                  {"LblRemain", "28.9 K"},
                  {"LblMessage", "100.0% Completed"}};
    for (const auto& l : labels) {
        auto* label = w->findChild<QLabel*>(l.name);
        ASSERT_NE(label, nullptr) << l.name;
        EXPECT_EQ(label->text().toStdString(), l.text) << l.name;
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(label);
        ASSERT_NE(face, nullptr) << l.name;
        EXPECT_EQ(face->text(QAccessible::Name).toStdString(), l.text) << l.name;
    }
    auto* compare = w->findChild<QPushButton*>("CmdCompare");
    ASSERT_NE(compare, nullptr);
    EXPECT_EQ(compare->text(), "Compare");
    EXPECT_FALSE(compare->isEnabled());  // it has no action
    compare->click();
    EXPECT_TRUE(rig.t.dialogs.inputs.empty());

    auto* view = w->findChild<QTableView*>("GridSet");
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->geometry(), QRect(8, 80, 153, 145));
    ASSERT_EQ(view->model()->rowCount(), 2);
    const QFontMetrics metrics(w->font());
    const char* const headers[] = {"Set", "Sampling", "Records"};
    const char* const samples[] = {" No.S ", " Sampling ", " Records "};
    for (int col = 0; col < 3; ++col) {
        EXPECT_EQ(view->model()->headerData(col, Qt::Horizontal).toString().toStdString(), headers[col]);
        EXPECT_EQ(w->gridSet().columnWidth(col), metrics.horizontalAdvance(samples[col]));
        EXPECT_EQ(view->columnWidth(col), metrics.horizontalAdvance(samples[col]));
    }
    EXPECT_EQ(view->model()->index(1, 1).data().toString(), "3");
}

TEST(MemoryWindow, MemoryOpenFollowsTheWindow) {
    MemoryRig rig;
    rig.instrument.data = memoryData({{10, {dualRecord(251, 100)}}});
    rig.memory.startDownload();
    rig.runToEnd();
    ASSERT_NE(rig.memory.window(), nullptr);
    EXPECT_TRUE(rig.state().MemoryOpen);
    rig.memory.window()->close();
    EXPECT_FALSE(rig.state().MemoryOpen);
    EXPECT_EQ(rig.memory.window(), nullptr);
}

TEST(MemoryWindow, ClickingARowDecodesItsSet) {
    MemoryRig rig;
    rig.instrument.data =
        memoryData({{10, {dualRecord(251, 100)}}, {3, {singleRecord(251), singleRecord(252)}}});
    rig.memory.startDownload();
    rig.runToEnd();
    MemoryWindow* w = rig.memory.window();
    ASSERT_NE(w, nullptr);
    auto* view = w->findChild<QTableView*>("GridSet");
    rig.t.dialogs.inputAnswers = {"08:00:00"};
    emit view->clicked(view->model()->index(1, 0));
    QCoreApplication::processEvents();  // the click is handled once the view is done with it
    ASSERT_NE(rig.lists.data(false), nullptr);
    EXPECT_EQ(rig.lists.data(false)->grid().rows(), 3);
    EXPECT_EQ(rig.lists.data(false)->grid().rowText(2), "2\t08:00:03\t25.2\tC");
}

}  // namespace
}  // namespace calvex::test
