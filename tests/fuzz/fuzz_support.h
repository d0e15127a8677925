#pragma once

// What the fuzz targets share: an application object, a folder to write files into,
// a random source that repeats, and a way to stop on a broken promise.

#include "engine/random_source.h"
#include "engine/scene.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace fuzz {

// Decoders complain about every broken input; millions of those lines bury a finding.
inline void quietMessages(QtMsgType type, const QMessageLogContext&, const QString& text)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "%s\n", qPrintable(text));
}

// Picture plug-ins (GIF, JPEG) and painting want an application, as in the program.
inline void ensureApplication()
{
    static int argc = 1;
    static char name[] = "pondel-fuzz";
    static char* argv[] = {name, nullptr};
    static QGuiApplication* app = [] {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        qInstallMessageHandler(quietMessages);
        return new QGuiApplication(argc, argv);
    }();
    (void)app;
}

// One folder for the whole run, inside $PONDEL_FUZZ_SCRATCH if set; each input overwrites
// the same files. In memory where the machine has it: saving syncs the file, and a disk
// sync per input costs most of a run.
inline const QDir& scratch()
{
    static const QString base = !qEnvironmentVariableIsEmpty("PONDEL_FUZZ_SCRATCH")
        ? qEnvironmentVariable("PONDEL_FUZZ_SCRATCH")
        : QFileInfo(QStringLiteral("/dev/shm")).isWritable() ? QStringLiteral("/dev/shm")
                                                             : QDir::tempPath();
    static const QTemporaryDir dir(base + QStringLiteral("/pondel-fuzz-XXXXXX"));
    static const QDir d(dir.path());
    return d;
}

inline void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        std::abort();
    }
}

inline QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A broken promise is a finding: say which and stop, so libFuzzer keeps the input.
#define FUZZ_CHECK(cond)                                                                   \
    do {                                                                                   \
        if (!(cond)) {                                                                     \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond); \
            std::abort();                                                                  \
        }                                                                                  \
    } while (0)

// Never reseeds from the clock, so a finding replays the same way.
class RepeatableRandom : public RandomSource {
public:
    void reseed() override {}
};

inline QByteArray bytesOf(const std::uint8_t* data, std::size_t size)
{
    return QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

// The built-in pictures with the tank surfaces ready, made once per fuzzer process.
inline const Scene& builtInScene()
{
    static const Scene* scene = [] {
        auto* s = new Scene(Scene::withBuiltInPictures());
        s->prepareTankSurfaces();
        return s;
    }();
    return *scene;
}

}  // namespace fuzz
