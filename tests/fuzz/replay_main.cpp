// Runs a fuzz target over inputs kept in files, without libFuzzer: how a build without it
// (the Windows one) reads the seeds and the corpora the fuzzers grew. A crash or a broken
// check stops it as it stops the fuzzer.
// Usage: TARGET FILE_OR_FOLDER...

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <algorithm>
#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv)
{
    QStringList inputs;
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (QFileInfo(arg).isDir()) {
            QStringList inFolder;
            for (QDirIterator it(arg, QDir::Files, QDirIterator::Subdirectories); it.hasNext();)
                inFolder << it.next();
            std::sort(inFolder.begin(), inFolder.end());
            inputs += inFolder;
        } else if (QFileInfo(arg).isFile()) {
            inputs << arg;
        } else {
            std::fprintf(stderr, "no such file or folder: %s\n", argv[i]);
            return 2;
        }
    }
    if (inputs.isEmpty()) {
        std::fprintf(stderr, "no inputs\n");
        return 2;
    }
    for (const QString& path : inputs) {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
            return 2;
        }
        const QByteArray bytes = f.readAll();
        LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.constData()), std::size_t(bytes.size()));
    }
    std::printf("%lld inputs read\n", static_cast<long long>(inputs.size()));
    return 0;
}
