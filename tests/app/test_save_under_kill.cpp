#include "app/display_guard.h"
#include "app/record_snapshot.h"
#include "app/settings_file.h"
#include "save_records.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

using namespace save_records;

// Qt's Wayland reader thread reports the loss while the main thread is stuck (swap, a
// debugger, a slow disk). After its wait it writes the bytes the main thread last
// serialised, never the live record caught half-way through an apply, and the main
// thread, once it gets there, does not save over them.
TEST(DisplayLoss, AStalledMainThreadLeavesTheSaveToTheLastSerialisedBytes)
{
    QTemporaryDir dir;
    const QString set = dir.filePath(QStringLiteral("SET"));
    TankSettings live = longRecord();
    RecordSnapshot snapshot;
    snapshot.store(serializeSettings(live));
    std::atomic<int> mainThreadSaves = 0;
    std::thread::id savedOn;
    {
        const SaveWhenTheDisplayGoesAway guard([&] { ++mainThreadSaves; writeSettingsFile(live, set); },
                                               [&] {
                                                   savedOn = std::this_thread::get_id();
                                                   writeSettingsBytes(snapshot.bytes(), set);
                                               });
        live.fishTotal = 1;  // the apply has set the total, not yet the counts
        live.kinds[1].name.clear();
        std::thread reader([] { qWarning("The Wayland connection broke. Did the Wayland compositor die?"); });
        reader.join();  // meanwhile this thread runs no events: it is the stuck one
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(readAll(set), serializeSettings(longRecord()));
    EXPECT_EQ(mainThreadSaves, 0);
    EXPECT_NE(savedOn, std::this_thread::get_id());
}

}  // namespace
