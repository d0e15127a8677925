#include "ui_test_fixture.h"

#include <QLineEdit>

namespace {

using SettingsAccessories = UiTest;

TEST_F(SettingsAccessories, ChoosingOneShowsItsPlaceAndAPickChangesIt)
{
    addAccessory(QStringLiteral("rock"), QStringLiteral("rock.acc"), 2);
    SettingsDialog* d = openDialog();
    user::chooseLine(d->List2, 0);
    EXPECT_TRUE(d->com_AccDel->isEnabled());
    EXPECT_TRUE(d->Combo1->isEnabled());
    EXPECT_EQ(d->Combo1->currentText(), QStringLiteral("中央よりやや右"));
    EXPECT_EQ(work().workAccessories[0].position, 2);

    user::pickFromCombo(d->Combo1, 3);
    EXPECT_EQ(d->Combo1->currentText(), QStringLiteral("右端"));
    EXPECT_EQ(work().workAccessories[0].position, 3);
    EXPECT_EQ(settings.accessories[0].position, 2);  // the record waits for the apply
}

TEST_F(SettingsAccessories, TypedTextChangesNoPlace)
{
    addAccessory(QStringLiteral("rock"), QStringLiteral("rock.acc"), 0);
    SettingsDialog* d = openDialog();
    user::chooseLine(d->List2, 0);
    QLineEdit* edit = d->Combo1->lineEdit();
    edit->setFocus();
    edit->selectAll();
    user::type(edit, QStringLiteral("右端"));
    EXPECT_EQ(d->Combo1->currentText(), QStringLiteral("右端"));
    QTest::keyClick(edit, Qt::Key_Return);
    d->com_Set->setFocus();  // editing ends
    QApplication::processEvents();
    EXPECT_EQ(work().workAccessories[0].position, 0);
}

TEST_F(SettingsAccessories, DeletingTheFirstMovesTheOthersUpWithTheirPlaces)
{
    addAccessory(QStringLiteral("a"), QStringLiteral("a.acc"), 0);
    addAccessory(QStringLiteral("b"), QStringLiteral("b.acc"), 2);
    addAccessory(QStringLiteral("c"), QStringLiteral("c.acc"), 3);
    SettingsDialog* d = openDialog();
    user::chooseLine(d->List2, 0);
    user::click(d->com_AccDel);
    EXPECT_TRUE(messenger.shown.empty());
    EXPECT_EQ(user::lines(d->List2), (QStringList{QStringLiteral("b"), QStringLiteral("c")}));
    const auto& w = work();
    EXPECT_EQ(w.workAccessoryCount, 2);
    EXPECT_EQ(w.workAccessories[0], (AccessoryChoice{QStringLiteral("b"), QStringLiteral("b.acc"), 2}));
    EXPECT_EQ(w.workAccessories[1], (AccessoryChoice{QStringLiteral("c"), QStringLiteral("c.acc"), 3}));
    // The entry after the new last one keeps its old content, unlisted.
    EXPECT_EQ(w.workAccessories[2].name, QStringLiteral("c"));

    // Nothing is chosen afterwards; the place box shows its prompt again.
    EXPECT_FALSE(d->com_AccDel->isEnabled());
    EXPECT_FALSE(d->Combo1->isEnabled());
    EXPECT_EQ(d->Combo1->currentText(), QStringLiteral("ｱｸｾｻﾘｰの位置"));
    user::chooseLine(d->List2, 1);
    EXPECT_EQ(d->Combo1->currentText(), QStringLiteral("右端"));
}

TEST_F(SettingsAccessories, EachOfFourCanBeDeletedLeavingTheRestInOrder)
{
    for (int removed = 0; removed < 4; ++removed) {
        settings = TankSettings{};
        settings.fishTotal = 1;
        settings.kinds[0].count = 1;
        const QStringList names{"a", "b", "c", "d"};
        for (int a = 0; a < 4; ++a)
            addAccessory(names[a], names[a] + ".acc", 3 - a);
        mainFrm.reset();
        SettingsDialog* d = openDialog();
        user::chooseLine(d->List2, removed);
        user::click(d->com_AccDel);
        QStringList expected = names;
        expected.removeAt(removed);
        EXPECT_EQ(user::lines(d->List2), expected) << "removed " << removed;
        for (int a = 0; a < 3; ++a) {
            const int from = a < removed ? a : a + 1;
            EXPECT_EQ(work().workAccessories[std::size_t(a)].position, 3 - from);
        }
    }
}

TEST_F(SettingsAccessories, DeletingTheOnlyOneAndApplyingEmptiesTheTank)
{
    addAccessory(QStringLiteral("rock"), writePicture("rock.acc", 1000, 400, qRgb(0, 0, 0)), 1);
    SettingsDialog* d = openDialog();
    user::chooseLine(d->List2, 0);
    user::click(d->com_AccDel);
    EXPECT_EQ(d->List2->count(), 0);
    // A stray pick with nothing chosen does nothing.
    d->Combo1_Click(2);
    d->com_AccDel_Click();
    EXPECT_EQ(work().workAccessoryCount, 0);
    user::click(d->com_Set);
    EXPECT_EQ(settings.accessoryCount, 0);
}

TEST_F(SettingsAccessories, TheAddButtonSetsTheChooserModeForAccessories)
{
    SettingsDialog* d = openDialog();
    user::click(d->com_AccTui);
    EXPECT_EQ(work().chooserMode, 1);
}

}  // namespace
