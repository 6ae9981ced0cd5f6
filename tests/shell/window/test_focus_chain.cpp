// Tab's order over plain widgets: where it goes from a control of the chain,
// and where it goes when no control has the keyboard at all.
#include "test_app.h"

#include "shell/window/main/focus_chain.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class FocusChainTest : public ::testing::Test
{
protected:
    FocusChainTest()
    {
        for (const char *name : {"first", "hidden", "second", "disabled", "last"}) {
            auto *button = new QPushButton(QLatin1String(name), &window);
            button->setObjectName(QLatin1String(name));
            chain.append(button);
        }
        chain.insert(2, nullptr); // a control the window does not have
        window.findChild<QWidget *>(QStringLiteral("disabled"))->setEnabled(false);
        window.show();
        window.findChild<QWidget *>(QStringLiteral("hidden"))->hide();
    }
    QString next(const QWidget *focus, bool forward) const
    {
        const QWidget *w = FocusChain::next(chain, focus, forward);
        return w ? w->objectName() : QString();
    }
    QWidget *named(const char *name) const { return window.findChild<QWidget *>(QLatin1String(name)); }

    QWidget window;
    QList<QWidget *> chain;
};

} // namespace

TEST_F(FocusChainTest, WithNoControlFocusedTabStartsAtTheFirstAndShiftTabAtTheLast)
{
    EXPECT_EQ(next(nullptr, true), QStringLiteral("first"));
    EXPECT_EQ(next(nullptr, false), QStringLiteral("last"));
    // A widget outside the chain (the window itself, a container) counts as none.
    EXPECT_EQ(next(&window, true), QStringLiteral("first"));
    EXPECT_EQ(next(&window, false), QStringLiteral("last"));

    FocusChain focus(&window);
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    window.setFocus();
    ASSERT_TRUE(focus.move(chain, true));
    EXPECT_EQ(QApplication::focusWidget(), named("first"));
}

TEST_F(FocusChainTest, PassesOverHiddenAndDisabledControlsAndGoesRound)
{
    EXPECT_EQ(next(named("first"), true), QStringLiteral("second"));
    EXPECT_EQ(next(named("second"), true), QStringLiteral("last"));
    EXPECT_EQ(next(named("last"), true), QStringLiteral("first"));
    EXPECT_EQ(next(named("first"), false), QStringLiteral("last"));
    EXPECT_EQ(next(named("last"), false), QStringLiteral("second"));
}

TEST_F(FocusChainTest, NoControlThatTakesTheKeyboardMeansNoMove)
{
    for (QWidget *w : chain) {
        if (w)
            w->setEnabled(false);
    }
    FocusChain focus(&window);
    EXPECT_EQ(next(nullptr, true), QString());
    EXPECT_FALSE(focus.move(chain, true));
}
