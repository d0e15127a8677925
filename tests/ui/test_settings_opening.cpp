#include "ui_test_fixture.h"

#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QScrollBar>
#include <QTimer>
#include <QWindow>

namespace {

using SettingsOpening = UiTest;

TEST_F(SettingsOpening, FirstRunShowsOnlyTheBuiltInKindWithTheChoiceControlsDisabled)
{
    SettingsDialog* d = openDialog();
    ASSERT_NE(d, nullptr);
    EXPECT_TRUE(d->isVisible());
    EXPECT_EQ(d->windowTitle(), QStringLiteral("設定"));
    EXPECT_FALSE(d->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(user::lines(d->List1), QStringList{QStringLiteral("Pondel")});
    EXPECT_EQ(d->List2->count(), 0);
    EXPECT_EQ(d->Lab2->text(), QStringLiteral("1"));
    EXPECT_EQ(d->Lab5->text(), QString());
    for (QWidget* w : {static_cast<QWidget*>(d->com_Kindel), static_cast<QWidget*>(d->Lab5),
                       static_cast<QWidget*>(d->VScroll1), static_cast<QWidget*>(d->com_AccDel),
                       static_cast<QWidget*>(d->Combo1)})
        EXPECT_FALSE(w->isEnabled()) << w->objectName().toStdString();
    for (QWidget* w : {static_cast<QWidget*>(d->com_Set), static_cast<QWidget*>(d->com_Can),
                       static_cast<QWidget*>(d->com_KinTui), static_cast<QWidget*>(d->com_AccTui),
                       static_cast<QWidget*>(d->List1), static_cast<QWidget*>(d->List2)})
        EXPECT_TRUE(w->isEnabled()) << w->objectName().toStdString();
    EXPECT_EQ(d->Combo1->currentText(), QStringLiteral("ｱｸｾｻﾘｰの位置"));
    EXPECT_FALSE(window().isEnabled());
    EXPECT_EQ(d->focusWidget(), d->com_Set);

    const auto& w = work();
    EXPECT_EQ(w.workFishTotal, 1);
    EXPECT_EQ(w.workLastKind, 0);
    EXPECT_EQ(w.workKinds[0].count, 1);
    EXPECT_EQ(w.workAccessoryCount, 0);
    EXPECT_TRUE(messenger.shown.empty());
}

TEST_F(SettingsOpening, ControlsArePlacedFromTwipsInsideFramesAndPixelsOutside)
{
    for (const char* name : {"水草", "とても長い名前のお城のアクセサリー", "宝箱", "岩"})
        addAccessory(QString::fromUtf8(name), QStringLiteral("/x.acc"), 0);
    SettingsDialog* d = openDialog();
    // The outer size, whatever frame the platform reports once the window exists (the
    // offscreen platform reports one of 2 pixels), and the frames centred in what is left.
    const QMargins frame = d->windowHandle()->frameMargins();
    EXPECT_EQ(d->size().grownBy(frame), QSize(300, 340));
    EXPECT_EQ(d->Fram_Kin->geometry(), QRect((d->width() - 280) / 2, 10, 280, 130));
    EXPECT_EQ(d->Fram_Acc->geometry(), QRect((d->width() - 280) / 2, 150, 280, 120));
    EXPECT_EQ(d->Lab1->geometry(), QRect(20, 27, 50, 13));
    EXPECT_EQ(d->Lab2->geometry(), QRect(83, 24, 20, 17));
    EXPECT_EQ(d->List1->geometry(), QRect(87, 53, 80, 64));
    EXPECT_EQ(d->com_Kindel->geometry(), QRect(173, 77, 53, 17));
    // The spinner overlaps the count label's right edge.
    EXPECT_EQ(d->Lab5->geometry(), QRect(173, 100, 20, 17));
    EXPECT_EQ(d->VScroll1->geometry(), QRect(190, 100, 17, 17));
    EXPECT_EQ(d->Lab8->geometry(), QRect(20, 17, 80, 13));
    EXPECT_EQ(d->List2->geometry(), QRect(87, 37, 80, 52));
    // All four accessories readable in it, without scrolling either way.
    QApplication::processEvents();
    EXPECT_FALSE(d->List2->verticalScrollBar()->isVisible());
    EXPECT_FALSE(d->List2->horizontalScrollBar()->isVisible());
    for (int row = 0; row < 4; ++row)
        EXPECT_TRUE(d->List2->viewport()->rect().contains(d->List2->visualItemRect(d->List2->item(row)))) << row;
    EXPECT_EQ(d->Combo1->geometry().topLeft(), QPoint(173, 83));
    EXPECT_EQ(d->Combo1->width(), 100);
    EXPECT_EQ(d->com_Set->geometry(), QRect(150, 280, 53, 27));
    EXPECT_EQ(d->com_Can->geometry(), QRect(213, 280, 53, 27));
}

TEST_F(SettingsOpening, LayoutFollowsTheScreensTwipsPerPixel)
{
    state.twipsX = 12;  // 120 DPI
    state.twipsY = 12;
    SettingsDialog* d = openDialog();
    EXPECT_EQ(d->Lab1->geometry(), QRect(25, 33, 62, 17));
    EXPECT_EQ(d->List1->geometry(), QRect(108, 67, 100, 80));
    EXPECT_EQ(d->com_Set->geometry(), QRect(150, 280, 67, 33));
    EXPECT_EQ(d->com_Can->geometry(), QRect(227, 280, 67, 33));
}

TEST_F(SettingsOpening, TabVisitsTheControlsInOrderSkippingDisabledOnes)
{
    SettingsDialog* d = openDialog();
    QApplication::setActiveWindow(d);
    ASSERT_TRUE(QTest::qWaitForWindowActive(d));
    d->com_Set->setFocus();
    QStringList visited;
    for (int i = 0; i < 7; ++i) {
        visited << QApplication::focusWidget()->objectName();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    EXPECT_EQ(visited, (QStringList{QStringLiteral("com_Set"), QStringLiteral("com_Can"), QStringLiteral("List2"),
                                    QStringLiteral("com_AccTui"), QStringLiteral("com_KinTui"),
                                    QStringLiteral("List1"), QStringLiteral("com_Set")}));
}

TEST_F(SettingsOpening, EmptyNamesAreListedSoEveryLineShowsItsOwnEntry)
{
    addKind(QString(), writePattern("a.pat", qRgb(255, 0, 0)), 0);
    addKind(QStringLiteral("blue"), writePattern("b.pat", qRgb(0, 0, 255)), 1);
    addAccessory(QString(), QStringLiteral("x.acc"), 1);
    addAccessory(QStringLiteral("castle"), QStringLiteral("c.acc"), 2);
    SettingsDialog* d = openDialog();
    ASSERT_EQ(d->List1->count(), 3);
    EXPECT_EQ(d->List1->item(2)->text(), QStringLiteral("blue"));
    EXPECT_FALSE(d->List1->item(1)->text().isEmpty());
    ASSERT_EQ(d->List2->count(), 2);
    EXPECT_EQ(d->List2->item(1)->text(), QStringLiteral("castle"));

    user::chooseLine(d->List1, 2);
    EXPECT_EQ(d->Lab5->text(), QStringLiteral("1"));
    user::chooseLine(d->List2, 1);
    EXPECT_EQ(d->Combo1->currentText(), QStringLiteral("中央よりやや右"));
}

TEST_F(SettingsOpening, DamagedCountsInTheRecordListOnlyWhatExists)
{
    settings.lastKind = 9;
    settings.accessoryCount = 7;
    for (int i = 1; i < kKindEntries; ++i)
        settings.kinds[std::size_t(i)].name = QStringLiteral("k%1").arg(i);
    SettingsDialog* d = openDialog();
    EXPECT_EQ(d->List1->count(), 4);
    EXPECT_EQ(d->List2->count(), 4);
    EXPECT_EQ(work().workLastKind, 3);
    EXPECT_EQ(work().workAccessoryCount, 4);
}

TEST_F(SettingsOpening, ReopeningAfterACancelShowsTheRecordAgain)
{
    addKind(QStringLiteral("red"), writePattern("red.pat", qRgb(255, 0, 0)), 2);
    addAccessory(QStringLiteral("rock"), QStringLiteral("rock.acc"), 2);
    window().Timer1->stop();  // a tick would move the fish, which is no change of ours
    const TankSettings before = settings;

    SettingsDialog* d = openDialog();
    user::chooseLine(d->List1, 1);
    user::spinnerUp(d->VScroll1);
    user::chooseLine(d->List1, 1);
    user::click(d->com_Kindel);
    user::chooseLine(d->List2, 0);
    user::click(d->com_AccDel);
    EXPECT_EQ(d->Lab2->text(), QStringLiteral("1"));
    user::click(d->com_Can);
    QApplication::processEvents();
    EXPECT_EQ(session().dialog(), nullptr);
    EXPECT_TRUE(window().isEnabled());
    EXPECT_EQ(settings, before);

    d = openDialog();
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(user::lines(d->List1), (QStringList{QStringLiteral("Pondel"), QStringLiteral("red")}));
    EXPECT_EQ(user::lines(d->List2), QStringList{QStringLiteral("rock")});
    EXPECT_EQ(d->Lab2->text(), QStringLiteral("3"));
    EXPECT_EQ(d->Lab5->text(), QString());
    EXPECT_FALSE(d->VScroll1->isEnabled());
    EXPECT_EQ(work().workKinds[1].count, 2);
    EXPECT_EQ(work().workAccessoryCount, 1);
}

TEST_F(SettingsOpening, TheDialogStaysUsableWhileTheTankTakesNoInputAndKeepsMoving)
{
    window().InitTankWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window()));
    SettingsDialog* d = openDialog();
    ASSERT_NE(d, nullptr);
    EXPECT_FALSE(window().isEnabled());
    EXPECT_TRUE(d->isEnabled());

    // A click on the menu bar's "設定" opens nothing.
    QMenuBar* bar = window().menuBar();
    const QRect setMenu = bar->actionGeometry(window().mnuSet->menuAction());
    QTest::mouseClick(bar, Qt::LeftButton, {}, setMenu.center());
    QApplication::processEvents();
    EXPECT_FALSE(window().mnuSet->isVisible());
    QTest::keyClick(&window(), Qt::Key_F, Qt::AltModifier);
    EXPECT_FALSE(window().mnuSet->isVisible());

    // The fish go on swimming behind the dialog.
    const auto frameBefore = state.accessoryFrame;
    const auto xBefore = settings.fish[0].x;
    QTest::qWait(700);
    EXPECT_NE(state.accessoryFrame, frameBefore);
    EXPECT_NE(settings.fish[0].x, xBefore);

    // And the dialog answers the mouse.
    user::chooseLine(d->List1, 0);
    user::spinnerUp(d->VScroll1);
    EXPECT_EQ(d->Lab5->text(), QStringLiteral("2"));
    EXPECT_EQ(d->Lab2->text(), QStringLiteral("2"));
    EXPECT_EQ(session().dialog(), d);

    // Closing it by its close box gives the main window its input back.
    d->close();
    QApplication::processEvents();
    EXPECT_TRUE(window().isEnabled());
    EXPECT_EQ(session().dialog(), nullptr);
}

TEST_F(SettingsOpening, MenuCommandWhileOpenKeepsTheOneDialogAsItIs)
{
    SettingsDialog* d = openDialog();
    user::chooseLine(d->List1, 0);
    user::spinnerUp(d->VScroll1);
    window().mainFrm_mnuSetSyu_Click();
    EXPECT_EQ(session().dialog(), d);
    EXPECT_EQ(d->Lab2->text(), QStringLiteral("2"));
}

TEST_F(SettingsOpening, ClosingTheMainWindowClosesTheDialog)
{
    window().InitTankWindow();
    SettingsDialog* d = openDialog();
    QPointer<SettingsDialog> watch(d);
    window().close();
    QApplication::processEvents();
    EXPECT_EQ(session().dialog(), nullptr);
    EXPECT_TRUE(!watch || !watch->isVisible());
}

}  // namespace
