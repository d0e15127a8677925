#include "ui_test_fixture.h"

#include "app/settings_file.h"

#include <QDir>
#include <QFile>
#include <QTimer>

namespace {

using SettingsApply = UiTest;

QRgb pixel(const QImage& img)
{
    return img.isNull() ? 0 : img.pixel(0, 0);
}

TEST_F(SettingsApply, FirstRunApplyWithoutChangesKeepsTheRecord)
{
    window().Timer1->stop();  // a tick would move the fish, which is no change of ours
    const TankSettings before = settings;
    SettingsDialog* d = openDialog();
    // From the keyboard: Escape drops nothing, Enter on the focused "設定" applies.
    d->com_Set->setFocus();
    QTest::keyClick(d->com_Set, Qt::Key_Escape);
    QApplication::processEvents();
    ASSERT_EQ(session().dialog(), d);
    QTest::keyClick(d->com_Set, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(session().dialog(), nullptr);
    EXPECT_TRUE(window().isEnabled());
    EXPECT_EQ(settings, before);
    EXPECT_TRUE(messenger.shown.empty());
}

TEST_F(SettingsApply, CountsBecomeTheFishToKindTableAndPatternsAreLoaded)
{
    settings.kinds[0].count = 1;
    addKind(QStringLiteral("red"), writePattern("red.pat", qRgb(255, 0, 0)), 0);
    addKind(QStringLiteral("blue"), writePattern("blue.pat", qRgb(0, 0, 255)), 0);
    settings.fishKindOf = {3, 3, 3, 3, 3};
    SettingsDialog* d = openDialog();
    // Kind 0: 2 fish, kind 1: 0, kind 2: 3.
    user::chooseLine(d->List1, 0);
    user::spinnerUp(d->VScroll1);
    user::chooseLine(d->List1, 2);
    for (int i = 0; i < 3; ++i)
        user::spinnerUp(d->VScroll1);
    EXPECT_EQ(d->Lab2->text(), QStringLiteral("5"));
    user::click(d->com_Set);
    QApplication::processEvents();

    EXPECT_EQ(session().dialog(), nullptr);
    EXPECT_TRUE(window().isEnabled());
    EXPECT_EQ(settings.fishTotal, 5);
    EXPECT_EQ(settings.lastKind, 2);
    EXPECT_EQ(settings.fishKindOf, (std::array<std::int16_t, 5>{0, 0, 2, 2, 2}));
    EXPECT_EQ(settings.kinds[0].count, 2);
    EXPECT_EQ(settings.kinds[1].count, 0);
    EXPECT_EQ(settings.kinds[2].count, 3);
    EXPECT_EQ(pixel(window().scene().pat[1]), qRgb(255, 0, 0));
    EXPECT_EQ(pixel(window().scene().pat[2]), qRgb(0, 0, 255));
    EXPECT_TRUE(messenger.shown.empty());
}

TEST_F(SettingsApply, AfterADeletionEachPatternMovesToTheSlotOfItsNewIndex)
{
    addKind(QStringLiteral("red"), writePattern("red.pat", qRgb(255, 0, 0)), 1);
    addKind(QStringLiteral("blue"), writePattern("blue.pat", qRgb(0, 0, 255)), 1);
    SettingsDialog* d = openDialog();
    user::chooseLine(d->List1, 1);
    user::click(d->com_Kindel);
    user::click(d->com_Set);
    EXPECT_EQ(settings.lastKind, 1);
    EXPECT_EQ(settings.kinds[1].name, QStringLiteral("blue"));
    EXPECT_EQ(settings.kinds[1].patternPath, dir.filePath("blue.pat"));
    EXPECT_EQ(settings.fishTotal, 2);
    EXPECT_EQ(settings.fishKindOf[0], 0);
    EXPECT_EQ(settings.fishKindOf[1], 1);
    EXPECT_EQ(pixel(window().scene().pat[1]), qRgb(0, 0, 255));
    // Entries beyond the last kind keep what they held.
    EXPECT_EQ(settings.kinds[2].name, QStringLiteral("blue"));
}

TEST_F(SettingsApply, AccessoriesArePlacedByTheirPictureAndChosenPlace)
{
    addAccessory(QStringLiteral("tall"), writePicture("tall.acc", 1000, 400, qRgb(0, 255, 0)), 2);
    addAccessory(QStringLiteral("wide"), writePicture("wide.acc", 2000, 200, qRgb(0, 0, 255)), 0);
    SettingsDialog* d = openDialog();
    user::chooseLine(d->List2, 0);
    user::pickFromCombo(d->Combo1, 3);
    user::chooseLine(d->List2, 1);
    user::pickFromCombo(d->Combo1, 3);
    user::click(d->com_Set);

    const AccessorySlot& tall = settings.accessories[0];
    EXPECT_EQ(tall.position, 3);
    EXPECT_EQ(tall.x, 400);
    EXPECT_EQ(tall.y, 90);
    EXPECT_EQ(tall.frameWidth, 100);
    EXPECT_EQ(tall.frameHeight, 200);
    EXPECT_EQ(tall.maskY, 200);
    const AccessorySlot& wide = settings.accessories[1];
    EXPECT_EQ(wide.x, 300);
    EXPECT_EQ(wide.y, 210);
    EXPECT_EQ(wide.frameWidth, 200);
    EXPECT_EQ(wide.maskY, 100);
    EXPECT_EQ(settings.accessoryCount, 2);
    EXPECT_EQ(pixel(window().scene().access[1]), qRgb(0, 0, 255));
}

TEST_F(SettingsApply, NoFishAtAllIsRefusedAndTheDialogStaysOpen)
{
    const TankSettings before = settings;
    SettingsDialog* d = openDialog();
    user::chooseLine(d->List1, 0);
    user::spinnerDown(d->VScroll1);
    EXPECT_EQ(d->Lab2->text(), QStringLiteral("0"));
    user::click(d->com_Set);
    ASSERT_EQ(messenger.shown.size(), 1u);
    EXPECT_EQ(messenger.shown[0].text, QStringLiteral("金魚の総数が０になっています"));
    EXPECT_EQ(messenger.shown[0].title, QStringLiteral("注意"));
    EXPECT_EQ(session().dialog(), d);
    EXPECT_FALSE(window().isEnabled());
    EXPECT_EQ(settings, before);

    user::spinnerUp(d->VScroll1);
    user::click(d->com_Set);
    EXPECT_EQ(session().dialog(), nullptr);
    EXPECT_EQ(settings.fishTotal, 1);
}

TEST_F(SettingsApply, ApplyingStoresTheRecordAsACloseWouldAndARefusalStoresNothing)
{
    window().Timer1->stop();  // the fish stay where they are between the two writes
    const QString set = dir.filePath("SET");
    auto bytes = [&] {
        QFile f(set);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    SettingsDialog* d = openDialog();
    user::chooseLine(d->List1, 0);
    user::spinnerDown(d->VScroll1);
    user::click(d->com_Set);  // refused: no fish at all
    EXPECT_FALSE(QFile::exists(set));

    user::spinnerUp(d->VScroll1);
    user::spinnerUp(d->VScroll1);
    user::click(d->com_Set);
    ASSERT_EQ(settings.fishTotal, 2);
    const QByteArray applied = bytes();
    EXPECT_EQ(applied, serializeSettings(settings));
    window().mainFrm_Form_Unload();
    EXPECT_EQ(bytes(), applied);
    ASSERT_EQ(messenger.shown.size(), 1u);

    // A SET that cannot be written is reported as at the end; the settings still apply.
    ASSERT_TRUE(QFile::remove(set) && QDir(dir.path()).mkdir("SET"));
    d = openDialog();
    user::chooseLine(d->List1, 0);
    user::spinnerUp(d->VScroll1);
    user::click(d->com_Set);
    EXPECT_EQ(settings.fishTotal, 3);
    EXPECT_EQ(session().dialog(), nullptr);
    ASSERT_EQ(messenger.shown.size(), 2u);
    EXPECT_TRUE(messenger.shown[1].text.startsWith(QStringLiteral("設定を保存できませんでした")));
    EXPECT_EQ(messenger.shown[1].title, QStringLiteral("ｴﾗｰ"));
}

TEST_F(SettingsApply, AnUnreadablePictureIsNamedAndNothingChanges)
{
    addKind(QStringLiteral("red"), writePattern("red.pat", qRgb(255, 0, 0)), 1);
    addAccessory(QStringLiteral("rock"), writePicture("rock.acc", 1000, 400, qRgb(0, 255, 0)), 1);
    const QString broken = dir.filePath("broken.acc");
    {
        QFile f(broken);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("not a picture");
    }
    addAccessory(QStringLiteral("broken"), broken, 0);
    const TankSettings before = settings;
    const QImage pat1Before = window().scene().pat[1];

    SettingsDialog* d = openDialog();
    user::chooseLine(d->List1, 1);
    user::spinnerUp(d->VScroll1);
    user::click(d->com_Set);
    ASSERT_EQ(messenger.shown.size(), 1u);
    EXPECT_TRUE(messenger.shown[0].text.contains(broken)) << messenger.shown[0].text.toStdString();
    EXPECT_EQ(messenger.shown[0].title, QStringLiteral("ｴﾗｰ"));
    EXPECT_EQ(settings, before);
    EXPECT_EQ(window().scene().pat[1], pat1Before);
    EXPECT_TRUE(window().scene().access[0].isNull());
    EXPECT_EQ(session().dialog(), d);

    // Deleting the entry lets the rest apply.
    user::chooseLine(d->List2, 1);
    user::click(d->com_AccDel);
    user::click(d->com_Set);
    EXPECT_EQ(session().dialog(), nullptr);
    EXPECT_EQ(settings.accessoryCount, 1);
    EXPECT_EQ(settings.kinds[1].count, 2);
    EXPECT_EQ(pixel(window().scene().pat[1]), qRgb(255, 0, 0));
}

TEST_F(SettingsApply, DamagedCountsNeverWriteBeyondTheFishTable)
{
    settings.kinds[0].count = 3;
    addKind(QStringLiteral("red"), writePattern("red.pat", qRgb(255, 0, 0)), 4);
    settings.fishTotal = 5;
    SettingsDialog* d = openDialog();
    user::click(d->com_Set);
    EXPECT_EQ(settings.fishKindOf, (std::array<std::int16_t, 5>{0, 0, 0, 1, 1}));
}

TEST_F(SettingsApply, CancelAfterManyEditsLeavesRecordAndTankUntouched)
{
    addKind(QStringLiteral("red"), writePattern("red.pat", qRgb(255, 0, 0)), 1);
    addKind(QStringLiteral("blue"), writePattern("blue.pat", qRgb(0, 0, 255)), 1);
    addAccessory(QStringLiteral("a"), writePicture("a.acc", 1000, 400, qRgb(1, 2, 3)), 0);
    addAccessory(QStringLiteral("b"), writePicture("b.acc", 2000, 200, qRgb(4, 5, 6)), 3);
    settings.fishKindOf = {0, 1, 2, 0, 0};
    window().InitTankWindow();
    const TankSettings before = settings;
    const QImage pat1 = window().scene().pat[1];
    const QImage access0 = window().scene().access[0];

    for (bool closeBox : {false, true}) {
        SettingsDialog* d = openDialog();
        user::chooseLine(d->List1, 1);
        user::click(d->com_Kindel);
        user::chooseLine(d->List1, 0);
        user::spinnerUp(d->VScroll1);
        user::spinnerUp(d->VScroll1);
        user::chooseLine(d->List2, 1);
        user::pickFromCombo(d->Combo1, 1);
        user::chooseLine(d->List2, 0);
        user::click(d->com_AccDel);
        work().workKinds[3] = {0, QStringLiteral("added"), QStringLiteral("added.pat")};
        work().workLastKind = 2;
        d->List1->addItem(QStringLiteral("added"));
        if (closeBox)
            d->close();
        else
            user::click(d->com_Can);
        QApplication::processEvents();
        EXPECT_EQ(session().dialog(), nullptr);
        EXPECT_TRUE(window().isEnabled());
        EXPECT_EQ(settings.lastKind, before.lastKind);
        EXPECT_EQ(settings.kinds, before.kinds);
        EXPECT_EQ(settings.accessories[0].name, before.accessories[0].name);
        EXPECT_EQ(settings.accessoryCount, before.accessoryCount);
        EXPECT_EQ(settings.fishKindOf, before.fishKindOf);
        EXPECT_EQ(window().scene().pat[1], pat1);
        EXPECT_EQ(window().scene().access[0], access0);
    }
}

}  // namespace
