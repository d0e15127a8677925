#include "ui_test_fixture.h"

#include <QLabel>

namespace {

using SettingsKinds = UiTest;

const QString kTooMany = QStringLiteral("５匹を超えています");
const QString kError = QStringLiteral("ｴﾗｰ");

TEST_F(SettingsKinds, UpArrowRaisesTheCountToFiveAndNoFurther)
{
    SettingsDialog* d = openDialog();
    user::chooseLine(d->List1, 0);
    EXPECT_TRUE(d->VScroll1->isEnabled());
    EXPECT_TRUE(d->com_Kindel->isEnabled());
    EXPECT_EQ(d->Lab5->text(), QStringLiteral("1"));
    for (int expected = 2; expected <= 5; ++expected) {
        user::spinnerUp(d->VScroll1);
        EXPECT_EQ(d->Lab5->text(), QString::number(expected));
        EXPECT_EQ(d->Lab2->text(), QString::number(expected));
        EXPECT_EQ(work().workKinds[0].count, expected);
        EXPECT_EQ(work().workFishTotal, expected);
    }
    user::spinnerUp(d->VScroll1);
    EXPECT_EQ(d->Lab5->text(), QStringLiteral("5"));
    EXPECT_EQ(work().workFishTotal, 5);
    EXPECT_TRUE(messenger.shown.empty());

    user::spinnerDown(d->VScroll1);
    EXPECT_EQ(d->Lab5->text(), QStringLiteral("4"));
    EXPECT_EQ(d->Lab2->text(), QStringLiteral("4"));
}

TEST_F(SettingsKinds, KeyboardUpOnTheSpinnerAlsoRaisesTheCount)
{
    SettingsDialog* d = openDialog();
    user::chooseLine(d->List1, 0);
    QTest::keyClick(d->VScroll1, Qt::Key_Up);
    EXPECT_EQ(d->Lab5->text(), QStringLiteral("2"));
}

TEST_F(SettingsKinds, ASixthFishIsRefusedAndTheCountLoweredByTheExcess)
{
    settings.kinds[0].count = 3;
    settings.fishTotal = 3;
    addKind(QStringLiteral("red"), QStringLiteral("red.pat"), 2);
    SettingsDialog* d = openDialog();
    EXPECT_EQ(d->Lab2->text(), QStringLiteral("5"));
    user::chooseLine(d->List1, 1);
    user::spinnerUp(d->VScroll1);
    ASSERT_EQ(messenger.shown.size(), 1u);
    EXPECT_EQ(messenger.shown[0].text, kTooMany);
    EXPECT_EQ(messenger.shown[0].title, kError);
    EXPECT_EQ(d->Lab5->text(), QStringLiteral("2"));
    EXPECT_EQ(d->Lab2->text(), QStringLiteral("5"));
    EXPECT_EQ(work().workKinds[1].count, 2);
    EXPECT_EQ(work().workFishTotal, 5);
    // The spinner stays where the user put it.
    EXPECT_EQ(d->VScroll1->spinValue(), 3);
}

TEST_F(SettingsKinds, AnArrowHeldDownStopsRepeatingWhenTheMessageAppears)
{
    settings.kinds[0].count = 3;
    settings.fishTotal = 3;
    addKind(QStringLiteral("red"), QStringLiteral("red.pat"), 2);
    SettingsDialog* d = openDialog();
    user::chooseLine(d->List1, 1);
    // Press and hold; the message box takes the release away, so the bar must not go
    // on stepping behind it and show the message again and again.
    const QPoint upArrow(d->VScroll1->width() / 2, 2);
    QTest::mousePress(d->VScroll1, Qt::LeftButton, {}, upArrow);
    QTest::qWait(900);
    QTest::mouseRelease(d->VScroll1, Qt::LeftButton, {}, upArrow);
    EXPECT_EQ(messenger.shown.size(), 1u);
    EXPECT_EQ(work().workKinds[1].count, 2);
    EXPECT_EQ(work().workFishTotal, 5);
}

TEST_F(SettingsKinds, ChoosingAKindNeverRunsTheTotalCheck)
{
    // Counts a hand-edited file could hold: already more than five.
    settings.kinds[0].count = 4;
    addKind(QStringLiteral("red"), QStringLiteral("red.pat"), 3);
    settings.fishTotal = 5;
    SettingsDialog* d = openDialog();
    user::chooseLine(d->List1, 0);
    user::chooseLine(d->List1, 1);
    user::chooseLine(d->List1, 0);
    EXPECT_TRUE(messenger.shown.empty());
    EXPECT_EQ(d->Lab5->text(), QStringLiteral("4"));
    EXPECT_EQ(d->VScroll1->spinValue(), 4);
    EXPECT_EQ(d->Lab2->text(), QStringLiteral("5"));
    EXPECT_EQ(work().workKinds[0].count, 4);
    EXPECT_EQ(work().workKinds[1].count, 3);
    EXPECT_EQ(work().countGuard, 0);

    // Moving it then checks, and never lowers a count below zero.
    user::spinnerUp(d->VScroll1);
    ASSERT_EQ(messenger.shown.size(), 1u);
    EXPECT_EQ(work().workKinds[0].count, 2);
    EXPECT_EQ(d->Lab2->text(), QStringLiteral("5"));
}

TEST_F(SettingsKinds, DeletingAKindMovesTheLaterOnesDownAndTakesItsFish)
{
    addKind(QStringLiteral("one"), QStringLiteral("1.pat"), 1);
    addKind(QStringLiteral("two"), QStringLiteral("2.pat"), 2);
    addKind(QStringLiteral("three"), QStringLiteral("3.pat"), 1);
    ASSERT_EQ(settings.fishTotal, 5);
    SettingsDialog* d = openDialog();
    EXPECT_EQ(d->Lab2->text(), QStringLiteral("5"));

    user::chooseLine(d->List1, 2);
    EXPECT_EQ(d->Lab5->text(), QStringLiteral("2"));
    user::click(d->com_Kindel);
    EXPECT_TRUE(messenger.shown.empty());
    EXPECT_EQ(d->Lab2->text(), QStringLiteral("3"));
    EXPECT_EQ(d->Lab5->text(), QString());
    EXPECT_EQ(user::lines(d->List1),
              (QStringList{QStringLiteral("Pondel"), QStringLiteral("one"), QStringLiteral("three")}));
    const auto& w = work();
    EXPECT_EQ(w.workLastKind, 2);
    EXPECT_EQ(w.workFishTotal, 3);
    EXPECT_EQ(w.workKinds[2].name, QStringLiteral("three"));
    EXPECT_EQ(w.workKinds[2].patternPath, QStringLiteral("3.pat"));
    EXPECT_EQ(w.workKinds[2].count, 1);
    EXPECT_EQ(w.workKinds[1].name, QStringLiteral("one"));

    // Nothing is chosen now, so nothing can act on the line that is gone.
    EXPECT_EQ(d->List1->selectedItems().size(), 0);
    EXPECT_FALSE(d->com_Kindel->isEnabled());
    EXPECT_FALSE(d->VScroll1->isEnabled());
    EXPECT_FALSE(d->Lab5->isEnabled());

    user::chooseLine(d->List1, 2);
    EXPECT_EQ(d->Lab5->text(), QStringLiteral("1"));
    EXPECT_TRUE(d->com_Kindel->isEnabled());
}

TEST_F(SettingsKinds, DeletingTheLastListedKindLeavesNothingToActOn)
{
    addKind(QStringLiteral("one"), QStringLiteral("1.pat"), 1);
    SettingsDialog* d = openDialog();
    user::chooseLine(d->List1, 1);
    user::click(d->com_Kindel);
    EXPECT_EQ(user::lines(d->List1), QStringList{QStringLiteral("Pondel")});
    EXPECT_EQ(work().workLastKind, 0);
    // Programmatic pokes at the disabled controls are ignored too.
    d->VScroll1_Change();
    d->com_Kindel_Click();
    EXPECT_EQ(work().workLastKind, 0);
    EXPECT_EQ(work().workFishTotal, 1);
    EXPECT_TRUE(messenger.shown.empty());
}

TEST_F(SettingsKinds, TheBuiltInKindCannotBeDeleted)
{
    addKind(QStringLiteral("one"), QStringLiteral("1.pat"), 1);
    SettingsDialog* d = openDialog();
    user::chooseLine(d->List1, 0);
    user::click(d->com_Kindel);
    ASSERT_EQ(messenger.shown.size(), 1u);
    EXPECT_EQ(messenger.shown[0].text, QStringLiteral("この金魚のパターンは削除できません"));
    EXPECT_EQ(messenger.shown[0].title, QStringLiteral("注意"));
    EXPECT_EQ(user::lines(d->List1), (QStringList{QStringLiteral("Pondel"), QStringLiteral("one")}));
    EXPECT_EQ(work().workLastKind, 1);
    EXPECT_EQ(work().workFishTotal, 2);
    EXPECT_EQ(d->Lab2->text(), QStringLiteral("2"));
}

TEST_F(SettingsKinds, TheAddButtonSetsTheChooserModeForGoldfish)
{
    SettingsDialog* d = openDialog();
    work().chooserMode = 1;
    user::click(d->com_KinTui);
    EXPECT_EQ(work().chooserMode, 0);
}

}  // namespace
