#include "ui_test_fixture.h"

#include "ui/main/whole_pixels.h"

#include <QGroupBox>
#include <QHash>

#include "ui/chooser/drive_list.h"
#include "ui/chooser/file_chooser.h"
#include "ui/chooser/file_list.h"
#include "ui/chooser/folder_list.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QWindow>

namespace {

const QString kFull = QStringLiteral("これ以上種類は登録できません");
const QString kAddError = QStringLiteral("追加ｴﾗｰ");

// A folder tree to choose from, made the process's current folder for the test.
class Chooser : public UiTest {
protected:
    void SetUp() override
    {
        UiTest::SetUp();
        ASSERT_TRUE(tree.isValid());
        root = QDir(tree.path()).canonicalPath();
        for (const char* name : {"red.pat", "a.b.pat", "BIG.PAT", ".hidden.pat", "rock.acc", "note.txt", "noext"})
            touch(root + "/" + name);
        QDir(root).mkdir("dir.pat");
        QDir(root).mkdir("sub");
        touch(root + "/sub/inner.pat");
        savedCwd = QDir::currentPath();
        ASSERT_TRUE(QDir::setCurrent(root));
    }
    void TearDown() override
    {
        QDir::setCurrent(savedCwd);
        UiTest::TearDown();
    }

    static void touch(const QString& path)
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    }

    FileChooser* pressAdd(SettingsDialog* d, bool accessory = false)
    {
        user::click(accessory ? d->com_AccTui : d->com_KinTui);
        return session().chooser();
    }

    static int lineOf(QListWidget* list, const QString& text)
    {
        for (int i = 0; i < list->count(); ++i)
            if (list->item(i)->text().trimmed() == text)
                return i;
        ADD_FAILURE() << "no line " << text.toStdString();
        return 0;
    }

    void pickFile(FileChooser* c, const QString& name) { user::chooseLine(c->File1, lineOf(c->File1, name)); }

    void openFolderLine(FileChooser* c, const QString& text)
    {
        user::doubleClickLine(c->Dir1, lineOf(c->Dir1, text));
    }

    QTemporaryDir tree;
    QString root;
    QString savedCwd;
};

TEST_F(Chooser, OpensCentredAtAThirdOfTheScreenWithItsControlsInPlace)
{
    SettingsDialog* d = openDialog();
    FileChooser* c = pressAdd(d);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->windowTitle(), QStringLiteral("ﾀﾞｲｱﾛｸﾞ"));
    EXPECT_EQ(c->size(), QSize(302, 215));
    const QRect screen = c->screen()->geometry();
    // Centred by its outer width, with the frame the platform reports (offscreen: 2 pixels).
    const QMargins frame = c->windowHandle()->frameMargins();
    EXPECT_EQ(c->windowHandle()->framePosition(),
              QPoint((screen.width() - 302 - frame.left() - frame.right()) / 2, screen.height() / 3));
    EXPECT_EQ(c->Drive1->geometry().topLeft(), QPoint(4, 4));
    EXPECT_EQ(c->Dir1->geometry(), QRect(5, 31, 146, 104));
    EXPECT_EQ(c->File1->geometry(), QRect(156, 4, 141, 126));
    EXPECT_EQ(c->Text1->geometry(), QRect(5, 145, 292, 19));
    EXPECT_EQ(c->com_OK->geometry(), QRect(163, 180, 50, 20));
    EXPECT_EQ(c->com_Can->geometry(), QRect(224, 180, 50, 20));
    EXPECT_EQ(c->com_OK->text(), QStringLiteral("OK"));
    EXPECT_EQ(c->com_Can->text(), QStringLiteral("ｷｬﾝｾﾙ"));
    EXPECT_EQ(c->Dir1->path(), root);
    EXPECT_EQ(c->Drive1->drive(), DriveList::driveOf(root));
    EXPECT_TRUE(c->Text1->text().isEmpty());
    // The settings dialog stays usable next to it.
    EXPECT_TRUE(d->isEnabled());
    EXPECT_FALSE(c->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
}

// Every factor a user can set: each control keeps its size within a pixel and its place
// within two, the rounding of its place plus its size meets the rounding of its far edge
// (so its border is painted whole), and controls apart at factor 1 stay apart.
TEST_F(Chooser, AtEveryScaleFactorBothDialogsKeepTheirControlsSizesAndLandOnWholePixels)
{
    SettingsDialog* d = openDialog();
    FileChooser* c = pressAdd(d);
    ASSERT_NE(c, nullptr);
    for (QWidget* window : {static_cast<QWidget*>(d), static_cast<QWidget*>(c)}) {
        const QList<QWidget*> controls = window->findChildren<QWidget*>();
        auto inWindow = [window](const QWidget* w) { return QRect(w->mapTo(window, QPoint()), w->size()); };
        QList<QWidget*> placed;
        for (QWidget* w : controls)
            if (w->parentWidget() == window || qobject_cast<QGroupBox*>(w->parentWidget()))
                placed << w;
        placeControlsOnWholePixels(*window, 1.0);
        QHash<QWidget*, QRect> atOne;
        for (QWidget* w : placed)
            atOne[w] = inWindow(w);
        for (const double factor : {1.1, 1.2, 1.25, 1.33, 1.5, 1.75, 2.0, 2.25, 2.5, 3.0}) {
            placeControlsOnWholePixels(*window, factor);
            const auto device = [factor](int v) { return qRound(v * factor); };
            for (QWidget* w : placed) {
                const QRect was = atOne[w];
                const QRect now = inWindow(w);
                const std::string what = window->objectName().toStdString() + "." + w->objectName().toStdString() + " at "
                                         + std::to_string(factor);
                EXPECT_LE(std::abs(now.width() - was.width()), 1) << what;
                EXPECT_LE(std::abs(now.height() - was.height()), 1) << what;
                EXPECT_LE((now.topLeft() - was.topLeft()).manhattanLength(), 4) << what;
                EXPECT_EQ(device(now.x()) + device(now.width()), device(now.x() + now.width())) << what;
                EXPECT_EQ(device(now.y()) + device(now.height()), device(now.y() + now.height())) << what;
                for (QWidget* other : placed)
                    if (other != w && !w->isAncestorOf(other) && !other->isAncestorOf(w)
                        && !was.adjusted(-1, -1, 1, 1).intersects(atOne[other]))
                        EXPECT_FALSE(now.intersects(inWindow(other))) << what << " meets " << other->objectName().toStdString();
            }
        }
        // Back at factor 1, everything where the window laid it out.
        placeControlsOnWholePixels(*window, 1.0);
        for (QWidget* w : placed)
            EXPECT_EQ(inWindow(w), atOne[w]) << w->objectName().toStdString();
    }
}

TEST_F(Chooser, EachModeListsOnlyItsOwnFilesWithoutHiddenOnesOrFolders)
{
    SettingsDialog* d = openDialog();
    FileChooser* c = pressAdd(d);
    EXPECT_EQ(c->File1->pattern(), QStringLiteral("*.pat"));
    EXPECT_EQ(user::lines(c->File1), (QStringList{"a.b.pat", "BIG.PAT", "red.pat"}));
    user::click(c->com_Can);
    QApplication::processEvents();

    c = pressAdd(d, true);
    EXPECT_EQ(c->File1->pattern(), QStringLiteral("*.acc"));
    EXPECT_EQ(user::lines(c->File1), QStringList{"rock.acc"});
}

TEST_F(Chooser, OpeningAFolderShowsItsFilesWithoutMovingTheProcess)
{
    SettingsDialog* d = openDialog();
    FileChooser* c = pressAdd(d);
    openFolderLine(c, "sub");
    EXPECT_EQ(c->Dir1->path(), root + "/sub");
    EXPECT_EQ(user::lines(c->File1), QStringList{"inner.pat"});
    EXPECT_EQ(QDir::currentPath(), root);

    // A file made meanwhile shows at the next change: the list is read from disk.
    touch(root + "/late.pat");
    openFolderLine(c, QDir(root).dirName());
    EXPECT_TRUE(user::lines(c->File1).contains("late.pat"));

    // Adding from the subfolder stores its path; the next opening starts over.
    openFolderLine(c, "sub");
    pickFile(c, "inner.pat");
    user::click(c->com_OK);
    EXPECT_EQ(work().workKinds[1].patternPath, root + "/sub/inner.pat");
    QApplication::processEvents();
    c = pressAdd(d);
    EXPECT_EQ(c->Dir1->path(), root);
    EXPECT_TRUE(c->Text1->text().isEmpty());
}

TEST_F(Chooser, ClickThenOkAndDoubleClickAddTheSameEntry)
{
    SettingsDialog* d = openDialog();
    FileChooser* c = pressAdd(d);
    pickFile(c, "red.pat");
    EXPECT_EQ(c->Text1->text(), QStringLiteral("red.pat"));
    user::click(c->com_OK);
    QApplication::processEvents();
    EXPECT_EQ(session().chooser(), nullptr);

    c = pressAdd(d);
    user::doubleClickLine(c->File1, lineOf(c->File1, "red.pat"));
    QApplication::processEvents();
    EXPECT_EQ(session().chooser(), nullptr);

    const auto& w = work();
    EXPECT_EQ(w.workLastKind, 2);
    EXPECT_EQ(w.workKinds[1], (FishKindEntry{0, QStringLiteral("red"), root + "/red.pat"}));
    EXPECT_EQ(w.workKinds[2], w.workKinds[1]);
    EXPECT_EQ(user::lines(d->List1), (QStringList{"Pondel", "red", "red"}));
    EXPECT_TRUE(messenger.shown.empty());
}

TEST_F(Chooser, CancelsAndEmptyNamesLeaveNoGapBeforeTheNextAddition)
{
    addAccessory(QStringLiteral("old"), QStringLiteral("old.acc"), 3);
    SettingsDialog* d = openDialog();
    for (int i = 0; i < 4; ++i) {
        FileChooser* c = pressAdd(d, i % 2 == 1);
        if (i < 2) {
            pickFile(c, i == 0 ? "red.pat" : "rock.acc");
            // A chosen name cancelled is not added either; Escape is "ｷｬﾝｾﾙ".
            if (i == 0)
                user::click(c->com_Can);
            else
                QTest::keyClick(c->File1, Qt::Key_Escape);
        } else if (i == 2) {
            user::click(c->com_OK);
        } else {
            c->com_OK->setFocus();
            QTest::keyClick(c->com_OK, Qt::Key_Enter);
        }
        QApplication::processEvents();
        EXPECT_EQ(session().chooser(), nullptr);
    }
    EXPECT_EQ(work().workLastKind, 0);
    EXPECT_EQ(work().workAccessoryCount, 1);

    FileChooser* c = pressAdd(d, true);
    pickFile(c, "rock.acc");
    c->com_OK->setFocus();
    QTest::keyClick(c->com_OK, Qt::Key_Return);
    EXPECT_EQ(user::lines(d->List2), (QStringList{"old", "rock"}));
    EXPECT_EQ(work().workAccessoryCount, 2);
    EXPECT_EQ(work().workAccessories[1].name, QStringLiteral("rock"));
    EXPECT_EQ(work().workAccessories[1].picturePath, root + "/rock.acc");
    EXPECT_EQ(work().workAccessories[1].position, 0);  // never used before
}

TEST_F(Chooser, AnAccessoryInAFormerlyUsedEntryKeepsThatEntrysPlace)
{
    addAccessory(QStringLiteral("a"), QStringLiteral("a.acc"), 1);
    addAccessory(QStringLiteral("b"), QStringLiteral("b.acc"), 3);
    SettingsDialog* d = openDialog();
    user::chooseLine(d->List2, 1);
    user::click(d->com_AccDel);
    FileChooser* c = pressAdd(d, true);
    pickFile(c, "rock.acc");
    user::click(c->com_OK);
    EXPECT_EQ(work().workAccessories[1].name, QStringLiteral("rock"));
    EXPECT_EQ(work().workAccessories[1].position, 3);
}

TEST_F(Chooser, DisplayNamesStopAtTheFirstDotButAreNeverEmpty)
{
    SettingsDialog* d = openDialog();
    const QStringList typed{"a.b.pat", ".pat", "plain"};
    for (const QString& name : typed) {
        FileChooser* c = pressAdd(d, true);
        c->Text1->setFocus();
        user::type(c->Text1, name);
        user::click(c->com_OK);
        QApplication::processEvents();
    }
    EXPECT_EQ(user::lines(d->List2), (QStringList{"a", ".pat", "plain"}));
    EXPECT_EQ(work().workAccessories[1].picturePath, root + "/.pat");
}

TEST_F(Chooser, ATypedNameThatMatchesNoFileIsAddedWithTheFolderInFront)
{
    SettingsDialog* d = openDialog();
    FileChooser* c = pressAdd(d);
    user::type(c->Text1, QStringLiteral("missing.pat"));
    user::click(c->com_OK);
    EXPECT_EQ(work().workKinds[1].patternPath, root + "/missing.pat");
    EXPECT_EQ(work().workKinds[1].name, QStringLiteral("missing"));
}

TEST_F(Chooser, AFileInTheRootFolderGetsTheSeparatorTwice)
{
    SettingsDialog* d = openDialog();
    FileChooser* c = pressAdd(d);
    user::doubleClickLine(c->Dir1, 0);
    ASSERT_EQ(c->Dir1->path(), QDir::rootPath());
    user::type(c->Text1, QStringLiteral("x.pat"));
    user::click(c->com_OK);
    EXPECT_EQ(work().workKinds[1].patternPath, QDir::rootPath() + QDir::separator() + "x.pat");
}

TEST_F(Chooser, AFifthKindOrAccessoryIsRefusedAndNothingChanges)
{
    for (int i = 1; i <= 3; ++i)
        addKind(QStringLiteral("k%1").arg(i), QStringLiteral("k.pat"), 0);
    for (int a = 0; a < 4; ++a)
        addAccessory(QStringLiteral("a%1").arg(a), QStringLiteral("a.acc"), a);
    SettingsDialog* d = openDialog();
    const SettingsWorkingCopy before = work();
    const QStringList kinds = user::lines(d->List1);
    const QStringList accessories = user::lines(d->List2);

    for (bool accessory : {false, true}) {
        FileChooser* c = pressAdd(d, accessory);
        pickFile(c, accessory ? "rock.acc" : "red.pat");
        user::click(c->com_OK);
        QApplication::processEvents();
        EXPECT_EQ(session().chooser(), nullptr);
    }
    ASSERT_EQ(messenger.shown.size(), 2u);
    for (const auto& m : messenger.shown) {
        EXPECT_EQ(m.text, kFull);
        EXPECT_EQ(m.title, kAddError);
    }
    EXPECT_EQ(user::lines(d->List1), kinds);
    EXPECT_EQ(user::lines(d->List2), accessories);
    EXPECT_EQ(work().workKinds, before.workKinds);
    EXPECT_EQ(work().workLastKind, 3);
    EXPECT_EQ(work().workAccessories, before.workAccessories);
    EXPECT_EQ(work().workAccessoryCount, 4);
}

TEST_F(Chooser, AnAddButtonWhileOpenLeavesTheOneChooserAsItIs)
{
    SettingsDialog* d = openDialog();
    FileChooser* c = pressAdd(d);
    openFolderLine(c, "sub");
    pickFile(c, "inner.pat");
    EXPECT_EQ(pressAdd(d), c);
    // Behind the settings dialog, the chooser comes back to the front.
    d->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(d));
    EXPECT_EQ(pressAdd(d, true), c);
    EXPECT_TRUE(QTest::qWaitForWindowActive(c));
    EXPECT_EQ(c->Dir1->path(), root + "/sub");
    EXPECT_EQ(c->Text1->text(), QStringLiteral("inner.pat"));
    int visible = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        visible += w->objectName() == QStringLiteral("DiaLog") && w->isVisible();
    EXPECT_EQ(visible, 1);
}

TEST_F(Chooser, TheModeAtOkDecidesWhatIsAddedButNotTheFilter)
{
    SettingsDialog* d = openDialog();
    FileChooser* c = pressAdd(d);
    pickFile(c, "red.pat");
    user::click(d->com_AccTui);  // now in accessory mode
    EXPECT_EQ(c->File1->pattern(), QStringLiteral("*.pat"));
    EXPECT_EQ(user::lines(c->File1), (QStringList{"a.b.pat", "BIG.PAT", "red.pat"}));
    user::click(c->com_OK);
    EXPECT_EQ(user::lines(d->List2), QStringList{"red"});
    EXPECT_EQ(work().workAccessories[0].picturePath, root + "/red.pat");
    EXPECT_EQ(work().workLastKind, 0);
}

TEST_F(Chooser, OkAfterTheSettingsDialogClosedOpensItAgainFromTheRecord)
{
    addKind(QStringLiteral("blue"), QStringLiteral("blue.pat"), 1);
    SettingsDialog* d = openDialog();
    FileChooser* c = pressAdd(d);
    user::chooseLine(d->List1, 1);
    user::click(d->com_Kindel);  // edits that the cancel throws away
    user::click(d->com_Can);
    QApplication::processEvents();
    ASSERT_EQ(session().dialog(), nullptr);
    EXPECT_TRUE(window().isEnabled());

    pickFile(c, "red.pat");
    user::click(c->com_OK);
    SettingsDialog* again = session().dialog();
    ASSERT_NE(again, nullptr);
    EXPECT_FALSE(window().isEnabled());
    EXPECT_EQ(user::lines(again->List1), (QStringList{"Pondel", "blue", "red"}));
    EXPECT_EQ(work().workLastKind, 2);
    EXPECT_EQ(work().workKinds[1].name, QStringLiteral("blue"));
}

TEST_F(Chooser, APathThatWouldNotReadBackIsRefusedNamingWhereTheCharacterIs)
{
    // U+301C encodes, but comes back from code page 932 as U+FF5E: a folder that does not exist.
    const QString pond = QString::fromUtf8("金魚〜池");
    ASSERT_TRUE(QDir(root).mkdir(pond));
    touch(root + "/" + pond + "/fish.pat");
    touch(root + "/" + QString::fromUtf8("süß.pat"));
    SettingsDialog* d = openDialog();
    FileChooser* c = pressAdd(d);
    pickFile(c, QString::fromUtf8("süß.pat"));
    user::click(c->com_OK);
    openFolderLine(c, pond);
    pickFile(c, "fish.pat");
    user::click(c->com_OK);
    ASSERT_EQ(messenger.shown.size(), 2u);
    EXPECT_EQ(messenger.shown[0].text, QString::fromUtf8("このファイル名には登録できない文字「ü」が含まれています"));
    EXPECT_EQ(messenger.shown[1].text, QString::fromUtf8("このフォルダ名には登録できない文字「〜」が含まれています"));
    EXPECT_EQ(messenger.shown[1].title, kAddError);
    EXPECT_EQ(work().workLastKind, 0);
    EXPECT_EQ(d->List1->count(), 1);
    // Still open, to pick from somewhere else.
    EXPECT_EQ(session().chooser(), c);
}

TEST_F(Chooser, AFolderThatCannotBeReadIsReportedAndTheListsStay)
{
    SettingsDialog* d = openDialog();
    FileChooser* c = pressAdd(d);
    ASSERT_TRUE(QDir(root + "/sub").removeRecursively());
    openFolderLine(c, "sub");
    ASSERT_EQ(messenger.shown.size(), 1u);
    EXPECT_TRUE(messenger.shown[0].text.contains("sub"));
    EXPECT_EQ(messenger.shown[0].title, QStringLiteral("ｴﾗｰ"));
    EXPECT_EQ(c->Dir1->path(), root);
    EXPECT_EQ(user::lines(c->File1), (QStringList{"a.b.pat", "BIG.PAT", "red.pat"}));

    // Likewise a drive that has gone.
    c->Drive1->addItem(QStringLiteral("/gone"), QStringLiteral("/no/such/drive"));
    c->Drive1->setFocus();
    c->Drive1_Change(QStringLiteral("/no/such/drive"));
    EXPECT_EQ(messenger.shown.size(), 2u);
    EXPECT_EQ(c->Dir1->path(), root);
    EXPECT_EQ(c->Drive1->drive(), DriveList::driveOf(root));
}

TEST_F(Chooser, PickingTheDriveOfTheCurrentFolderGoesBackToIt)
{
    SettingsDialog* d = openDialog();
    FileChooser* c = pressAdd(d);
    openFolderLine(c, "sub");
    const int index = c->Drive1->findData(DriveList::driveOf(root));
    ASSERT_GE(index, 0);
    c->Drive1->setFocus();
    QTest::mouseClick(c->Drive1, Qt::LeftButton);
    QAbstractItemView* view = c->Drive1->view();
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    const QPoint at = view->visualRect(view->model()->index(index, 0)).center();
    QTest::mouseMove(view->viewport(), at);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(c->Dir1->path(), root);
    EXPECT_TRUE(messenger.shown.empty());
}

TEST_F(Chooser, ClosesWithTheMainWindow)
{
    window().InitTankWindow();
    SettingsDialog* d = openDialog();
    pressAdd(d);
    ASSERT_NE(session().chooser(), nullptr);
    window().close();
    QApplication::processEvents();
    EXPECT_EQ(session().chooser(), nullptr);
    EXPECT_EQ(session().dialog(), nullptr);
}

}  // namespace
