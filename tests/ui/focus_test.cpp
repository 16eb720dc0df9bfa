#include <QKeyEvent>
#include <QRadioButton>
#include <QSignalSpy>

#include "support/WindowFixture.h"
#include "ui/OptionButton.h"

namespace virelo::ui {
namespace {

using Names = std::vector<std::string>;

class FocusTest : public test::WindowFixture {
protected:
    void bringToFront(int page) {
        // Switching to the page that is already in front raises no switch event.
        window->SSTabVIRELO()->setCurrentIndex((page + 1) % 5);
        window->SSTabVIRELO()->setCurrentIndex(page);
    }
    // Presses Tab from the focused control `count` times and records where the focus went.
    Names tabThrough(int count, Qt::Key key = Qt::Key_Tab) {
        Names visited{focusName()};
        for (int i = 0; i < count; ++i) {
            QTest::keyClick(QApplication::focusWidget(), key);
            visited.push_back(focusName());
        }
        return visited;
    }
};

// The window opens with the focus in the first input control, and bringing a page to the front
// focuses its first one. Tab then follows each page's tab order, where of an option-button group
// only the selected button takes a stop, and goes from the last control to the page's wrap control
// on the next page, whose focus handler sends the focus back to the first one. The JDBC tab's wrap
// control, on the hidden TCP/IP tab, has no focus handler: the focus comes back only when its text
// changes.
TEST_F(FocusTest, EachPageFocusesItsFirstInputControlAndTabFollowsItsOrderAndWraps) {
    EXPECT_EQ(focusName(), "txtEnterHostName");
    const std::size_t rows[] = {15, 13, 25, 12, 21};  // each table's rows, wrap row included
    const char* first[] = {"txtEnterHostName", "txtUserNameCon", "cboSystemDSN", "cboODBCSysDSN",
                           "cmbDriverClassJDBC"};
    for (int page = 0; page < 5; ++page) {
        SCOPED_TRACE(page);
        bringToFront(page);
        EXPECT_EQ(focusName(), first[page]);
        const auto table = TabOrderTable(page);
        ASSERT_EQ(table.size(), rows[page]);
        Names expected;
        for (const char* name : table.first(table.size() - 1)) {
            const auto* option = qobject_cast<QRadioButton*>(window->control(name));
            if (option == nullptr || option->isChecked()) {
                expected.push_back(name);
            }
        }
        expected.push_back(page == 4 ? table.back() : expected.front());
        EXPECT_EQ(tabThrough(static_cast<int>(expected.size()) - 1), expected);
    }
    QTest::keyClicks(QApplication::focusWidget(), "x");
    EXPECT_EQ(text("txtEnterHostName"), "x");
    EXPECT_EQ(focusName(), "cmbDriverClassJDBC");
}

// Shift+Tab stays on the page, and of an option-button group only the selected button takes a
// stop; typing keeps the focus in the box, and a click into a wrap control of a hidden page sends
// the focus back to the page in front. The Tab key code on the close button shows a box, from its
// KeyDown and its KeyPress handler; Ctrl+I types character 9 on the button, a plain Tab only
// moves the focus.
TEST_F(FocusTest, ShiftTabClicksIntoHiddenPagesAndTheTabKeyCode) {
    bringToFront(3);
    window->control<QRadioButton>("optODBCUsrDSN")->setChecked(true);
    window->control("cboODBCSysDSN")->setFocus();
    EXPECT_EQ(tabThrough(3, Qt::Key_Backtab),
              (Names{"cboODBCSysDSN", "cmdODBCClose", "cmdODBCAbout", "cmdhelpodbc"}));
    window->control("cboODBCSysDSN")->setFocus();
    EXPECT_EQ(tabThrough(2), (Names{"cboODBCSysDSN", "optODBCUsrDSN", "cboODBCUsrDSN"}));

    bringToFront(0);
    QTest::keyClicks(window->control("txtEnterHostName"), "db-server");
    EXPECT_EQ(focusName(), "txtEnterHostName");
    window->control("cboODBCSysDSN")->setFocus();
    EXPECT_EQ(focusName(), "txtEnterHostName");

    window->cmdCloseTCP_KeyDown('A');
    window->cmdCloseTCP_KeyPress('a');
    window->cmdCloseTCP_KeyDown(9);
    window->cmdCloseTCP_KeyPress(9);
    ASSERT_EQ(boxTexts(), (Texts{"tab key pressed", "tab key pressed"}));
    EXPECT_EQ(boxes.boxes[0].title, "VIRELO");
    EXPECT_EQ(boxes.boxes[0].icon, platform::BoxIcon::None);
    QWidget* close = window->control("cmdCloseTCP");
    close->setFocus();
    QKeyEvent ctrlI(QEvent::KeyPress, Qt::Key_I, Qt::ControlModifier, QStringLiteral("\t"));
    QApplication::sendEvent(close, &ctrlI);
    ASSERT_EQ(boxes.boxes.size(), 3u);
    QTest::keyClick(close, Qt::Key_Tab);
    EXPECT_EQ(boxes.boxes.size(), 3u);
    EXPECT_EQ(focusName(), "txtEnterHostName");
}

// An option button's Click handler runs once for every click, also on the selected button,
// for a selection with the arrow keys, and for a selection made by code.
TEST_F(FocusTest, EveryClickOnAnOptionButtonRunsItsClickHandler) {
    auto* byName = window->control<OptionButton>("optHostbyName");
    auto* byAddress = window->control<OptionButton>("optHostbyAddr");
    QSignalSpy nameClicks(byName, &OptionButton::Click);
    QSignalSpy addressClicks(byAddress, &OptionButton::Click);

    set("txtEnterHostName", "db-server");
    QTest::mouseClick(byName, Qt::LeftButton);  // selected already
    EXPECT_EQ(text("txtEnterHostName"), "") << "its Click handler clears the server fields";
    EXPECT_EQ(nameClicks.count(), 1);

    QTest::mouseClick(byAddress, Qt::LeftButton);
    EXPECT_TRUE(byAddress->isChecked());
    EXPECT_EQ(addressClicks.count(), 1) << "a click that selects runs the handler once";
    set("txtEnterHostName", "10.0.0.1");  // its change handler takes the focus into the box
    byAddress->setFocus();
    QTest::keyClick(byAddress, Qt::Key_Left);
    EXPECT_TRUE(byName->isChecked());
    EXPECT_EQ(focusName(), "optHostbyName");
    EXPECT_EQ(nameClicks.count(), 2) << "the arrow keys select with a click";
    EXPECT_EQ(text("txtEnterHostName"), "");

    byAddress->setChecked(true);
    byAddress->setChecked(true);
    EXPECT_EQ(addressClicks.count(), 2) << "selecting by code runs it once";
    EXPECT_EQ(nameClicks.count(), 2) << "losing the selection runs nothing";
}

}  // namespace
}  // namespace virelo::ui
