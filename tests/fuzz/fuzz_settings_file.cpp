// SET as the program meets it at start: read from a file, brought into range, written
// back. Whatever the bytes, this must not crash, and what is written must read back as
// the record that was written.

#include "app/settings_file.h"
#include "app/settings_limits.h"
#include "fuzz_support.h"

namespace {

// Where the record ends in `bytes`, walking the layout on its own; -1 when the bytes
// end before the record does.
qsizetype recordLength(const QByteArray& bytes)
{
    qsizetype pos = 0;
    bool complete = true;
    auto integers = [&](int n) {
        pos += 2 * n;
        complete = complete && pos <= bytes.size();
    };
    auto text = [&] {
        if (!complete || pos + 2 > bytes.size()) {
            complete = false;
            return;
        }
        const auto n = static_cast<unsigned char>(bytes[pos]) | (static_cast<unsigned char>(bytes[pos + 1]) << 8);
        pos += 2 + n;
        complete = pos <= bytes.size();
    };
    integers(2);
    for (int k = 0; k < kKindEntries; ++k) {
        integers(1);
        text();
        text();
    }
    for (int f = 0; f < kMaxFish; ++f) {
        integers(5);
        text();
        integers(1);
    }
    integers(kMaxFish);
    for (int a = 0; a < kMaxAccessories; ++a) {
        text();
        text();
        integers(7);
    }
    integers(2);
    return complete ? pos : -1;
}

void checkInRange(const TankSettings& s)
{
    FUZZ_CHECK(s.fishTotal >= 1 && s.fishTotal <= kMaxFish);
    FUZZ_CHECK(s.lastKind >= 0 && s.lastKind < kMaxKinds);
    FUZZ_CHECK(s.accessoryCount >= 0 && s.accessoryCount <= kMaxAccessories);
    for (int i = 0; i < s.fishTotal; ++i)
        FUZZ_CHECK(s.fishKindOf[std::size_t(i)] >= 0 && s.fishKindOf[std::size_t(i)] <= s.lastKind);
    FUZZ_CHECK(s.kinds[0].count >= 0 && s.kinds[0].count <= kMaxFish);
    int added = 0;
    for (int i = 1; i <= s.lastKind; ++i) {
        FUZZ_CHECK(s.kinds[std::size_t(i)].count >= 0);
        added += s.kinds[std::size_t(i)].count;
    }
    FUZZ_CHECK(added <= kMaxFish);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::ensureApplication();
    const QByteArray input = fuzz::bytesOf(data, size);
    const QString path = fuzz::scratch().filePath(QStringLiteral("SET"));
    fuzz::writeFile(path, input);

    TankSettings read;
    FUZZ_CHECK(readSettingsFile(read, path).ok);
    FUZZ_CHECK(read == parseSettings(input));

    // The codec is lossless: a whole record read and written unchanged keeps its bytes.
    const qsizetype length = recordLength(input);
    if (length >= 0)
        FUZZ_CHECK(serializeSettings(read) == input.left(length));

    TankSettings prepared = read;
    prepareLoadedSettings(prepared);
    checkInRange(prepared);
    TankSettings twice = prepared;
    prepareLoadedSettings(twice);
    FUZZ_CHECK(twice == prepared);

    const QByteArray record = serializeSettings(prepared);
    FUZZ_CHECK(parseSettings(record) == prepared);

    FUZZ_CHECK(writeSettingsFile(prepared, path).ok);
    const QByteArray written = fuzz::readFile(path);
    FUZZ_CHECK(written == overwriteInPlace(input, record));
    TankSettings again;
    FUZZ_CHECK(readSettingsFile(again, path).ok);
    FUZZ_CHECK(again == prepared);
    return 0;
}
