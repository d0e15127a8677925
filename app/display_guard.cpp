#include "app/display_guard.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QMetaObject>
#include <QString>
#include <QThread>
#include <QtGlobal>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <vector>

#include <unistd.h>

namespace {

struct HeldLine {
    QtMsgType type;
    QByteArray file, function, category;
    int line;
    QString text;
};

QtMessageHandler beforeOpening = nullptr;
// Qt's event reader threads start while the application object is built.
std::mutex heldMutex;
std::vector<HeldLine> heldLines;

QByteArray describeVariable(const char* name)
{
    const QByteArray value = qgetenv(name);
    return value.isEmpty() ? QByteArray(name) + " not set" : QByteArray(name) + " " + value;
}

void holdBack(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (type != QtFatalMsg) {
        const std::lock_guard lock(heldMutex);
        heldLines.push_back({type, context.file, context.function, context.category, context.line, text});
        return;
    }
    // Qt's only fatal message while it opens its window system is that it found none.
    std::fprintf(stderr, "pondel: no display could be opened (%s, %s)\n",
                 describeVariable("DISPLAY").constData(), describeVariable("WAYLAND_DISPLAY").constData());
    std::fflush(nullptr);
    // Qt's state is half built here; leave without running its exit handlers.
    ::_exit(1);
}

QtMessageHandler beforeWatching = nullptr;

std::mutex saveMutex;
std::condition_variable saveDone;
std::function<void()> saveRecord;
std::function<void()> saveSerialised;
enum class SaveState { Waiting, Saving, Saved } saveState = SaveState::Waiting;

// Saves on the calling thread unless a save has started; then waits for that one, as
// the process ends the moment the handler returns.
void saveOnce(bool onMainThread)
{
    std::unique_lock lock(saveMutex);
    if (saveState != SaveState::Waiting) {
        saveDone.wait(lock, [] { return saveState == SaveState::Saved; });
        return;
    }
    saveState = SaveState::Saving;
    const std::function<void()> save = onMainThread ? saveRecord : saveSerialised;
    lock.unlock();
    if (save)
        save();
    lock.lock();
    saveState = SaveState::Saved;
    saveDone.notify_all();
}

bool isDisplayLoss(QtMsgType type, const QString& text)
{
    return type == QtWarningMsg
           && (text.startsWith(QLatin1String("The X11 connection broke"))
               || text.startsWith(QLatin1String("The Wayland connection broke"))
               || text.startsWith(QLatin1String("The Wayland connection experienced a fatal error")));
}

void watch(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    beforeWatching(type, context, text);
    if (!isDisplayLoss(type, text))
        return;
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || QThread::currentThread() == app->thread()) {
        saveOnce(true);
        return;
    }
    // Qt's Wayland plugin notices the loss on its event reader thread too, while the
    // main thread may be in the middle of a tick or an apply. The record belongs to the
    // main thread, so that one saves; only if it does not get to it in time are its
    // last serialised bytes written from here.
    QMetaObject::invokeMethod(app, [] { saveOnce(true); }, Qt::QueuedConnection);
    {
        std::unique_lock lock(saveMutex);
        if (saveDone.wait_for(lock, std::chrono::seconds(3), [] { return saveState != SaveState::Waiting; })) {
            saveDone.wait(lock, [] { return saveState == SaveState::Saved; });
            return;
        }
    }
    saveOnce(false);
}

}  // namespace

DisplayOpening::DisplayOpening()
{
    beforeOpening = qInstallMessageHandler(holdBack);
}

DisplayOpening::~DisplayOpening()
{
    release();
}

void DisplayOpening::release()
{
    if (!beforeOpening)
        return;
    qInstallMessageHandler(beforeOpening);
    const std::lock_guard lock(heldMutex);
    for (const HeldLine& l : heldLines) {
        const QMessageLogContext context(l.file.constData(), l.line, l.function.constData(), l.category.constData());
        beforeOpening(l.type, context, l.text);
    }
    heldLines.clear();
    beforeOpening = nullptr;
}

SaveWhenTheDisplayGoesAway::SaveWhenTheDisplayGoesAway(std::function<void()> save, std::function<void()> fallback)
{
    {
        const std::lock_guard lock(saveMutex);
        saveRecord = std::move(save);
        saveSerialised = std::move(fallback);
    }
    beforeWatching = qInstallMessageHandler(watch);
}

SaveWhenTheDisplayGoesAway::~SaveWhenTheDisplayGoesAway()
{
    qInstallMessageHandler(beforeWatching);
    const std::lock_guard lock(saveMutex);
    saveRecord = nullptr;
    saveSerialised = nullptr;
}
