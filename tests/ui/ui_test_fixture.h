#pragma once

#include "app/tank_settings.h"
#include "engine/engine_state.h"
#include "engine/random_source.h"
#include "ui/main/main_window.h"
#include "ui/main/messenger.h"
#include "ui/settings/settings_dialog.h"
#include "ui/settings/settings_session.h"
#include "ui/settings/spin_scroll_bar.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

// Takes the place of the message box: records what would have been shown and returns
// at once, as if the user had pressed OK.
class RecordingMessenger : public Messenger {
public:
    struct Shown {
        QString text;
        QString title;
    };
    void show(const QString& text, const QString& title) override
    {
        shown.push_back({text, title});
        if (whileShown)
            whileShown();
    }
    std::vector<Shown> shown;
    std::function<void()> whileShown;
};

// A fresh record, engine state and main window for every test.
class UiTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        // The record as start-up leaves it on a first run.
        settings.fishTotal = 1;
        settings.kinds[0].count = 1;
    }

    void TearDown() override
    {
        mainFrm.reset();
        QApplication::processEvents();
    }

    MainWindow& window()
    {
        if (!mainFrm)
            mainFrm = std::make_unique<MainWindow>(settings, state, random, messenger, dir.filePath("SET"));
        return *mainFrm;
    }

    SettingsSession& session() { return SettingsSession::of(window()); }
    SettingsWorkingCopy& work() { return session().work(); }

    // Opens the dialog the way the menu command does.
    SettingsDialog* openDialog()
    {
        window().mainFrm_mnuSetSyu_Click();
        return session().dialog();
    }

    // A picture file in the test folder; its name says what it is meant to be, its
    // content is a picture of the given size and colour whatever the extension.
    QString writePicture(const QString& name, int width, int height, QRgb colour)
    {
        QImage img(width, height, QImage::Format_RGB32);
        img.fill(colour);
        const QString path = dir.filePath(name);
        EXPECT_TRUE(img.save(path, "PNG"));
        return path;
    }
    QString writePattern(const QString& name, QRgb colour) { return writePicture(name, 900, 150, colour); }

    void addKind(const QString& name, const QString& path, int count)
    {
        settings.lastKind = static_cast<std::int16_t>(settings.lastKind + 1);
        auto& k = settings.kinds[std::size_t(settings.lastKind)];
        k.name = name;
        k.patternPath = path;
        k.count = static_cast<std::int16_t>(count);
        settings.fishTotal = static_cast<std::int16_t>(settings.fishTotal + count);
    }

    void addAccessory(const QString& name, const QString& path, int position)
    {
        auto& a = settings.accessories[std::size_t(settings.accessoryCount)];
        a.name = name;
        a.picturePath = path;
        a.position = static_cast<std::int16_t>(position);
        settings.accessoryCount = static_cast<std::int16_t>(settings.accessoryCount + 1);
    }

    QTemporaryDir dir;
    TankSettings settings;
    EngineState state;
    RandomSource random;
    RecordingMessenger messenger;
    std::unique_ptr<MainWindow> mainFrm;
};

// What a user does with the mouse and keyboard.
namespace user {

inline void click(QWidget* w)
{
    QTest::mouseClick(w, Qt::LeftButton, {}, w->rect().center());
}

inline void chooseLine(QListWidget* list, int row)
{
    const QRect r = list->visualItemRect(list->item(row));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
}

inline void doubleClickLine(QListWidget* list, int row)
{
    const QPoint at = list->visualItemRect(list->item(row)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

// The arrows are the top and bottom ends of the small bar.
inline void spinnerUp(SpinScrollBar* bar)
{
    QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(bar->width() / 2, 2));
}
inline void spinnerDown(SpinScrollBar* bar)
{
    QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(bar->width() / 2, bar->height() - 3));
}

// Opens the drop-down list and picks an entry with the mouse.
inline void pickFromCombo(QComboBox* combo, int index)
{
    QTest::mouseClick(combo, Qt::LeftButton, {}, QPoint(combo->width() - 6, combo->height() / 2));
    QAbstractItemView* view = combo->view();
    if (!view->isVisible()) {
        ADD_FAILURE() << "the drop-down list did not open";
        return;
    }
    // The list ignores a release that comes right after it opened.
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    const QPoint at = view->visualRect(view->model()->index(index, 0)).center();
    QTest::mouseMove(view->viewport(), at);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
}

// Types any text, also what has no key of its own (QTest's key helpers take ASCII only).
inline void type(QWidget* w, const QString& text)
{
    for (const QChar ch : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(w, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(w, &release);
    }
}

inline QStringList lines(const QListWidget* list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

}  // namespace user
