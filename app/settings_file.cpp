#include "app/settings_file.h"

#include "app/ansi_text.h"

#include <QFile>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <cerrno>
#include <initializer_list>
#include <limits>
#include <optional>

namespace {

class Writer {
public:
    explicit Writer(TextEncodings* remembered) : remembered_(remembered) {}
    void integer(std::int16_t v)
    {
        const auto u = static_cast<std::uint16_t>(v);
        out_.append(char(u & 0xFF));
        out_.append(char(u >> 8));
    }
    void text(const QString& s)
    {
        QByteArray bytes;
        if (remembered_ && remembered_->texts[next_] == s) {
            bytes = remembered_->bytes[next_];
        } else {
            bytes = encode(s);
            if (remembered_) {
                remembered_->texts[next_] = s;
                remembered_->bytes[next_] = bytes;
            }
        }
        ++next_;
        integer(static_cast<std::int16_t>(static_cast<std::uint16_t>(bytes.size())));
        out_.append(bytes);
    }
    QByteArray take() { return std::move(out_); }

private:
    static QByteArray encode(const QString& s)
    {
        // Plain ASCII is the same bytes in code page 932.
        const bool ascii = std::all_of(s.begin(), s.end(), [](QChar c) { return c.unicode() < 0x80; });
        QByteArray bytes = ascii ? s.toLatin1() : ansi::encodeLossy(s);
        if (bytes.size() > std::numeric_limits<std::uint16_t>::max())
            bytes.truncate(std::numeric_limits<std::uint16_t>::max());
        return bytes;
    }

    TextEncodings* remembered_;
    std::size_t next_ = 0;
    QByteArray out_;
};

// Once the bytes run out, every later item reads as 0 or empty.
class Reader {
public:
    explicit Reader(const QByteArray& bytes) : bytes_(bytes) {}

    std::int16_t integer()
    {
        if (ended_ || pos_ + 2 > bytes_.size()) {
            ended_ = true;
            return 0;
        }
        const auto lo = static_cast<unsigned char>(bytes_[pos_]);
        const auto hi = static_cast<unsigned char>(bytes_[pos_ + 1]);
        pos_ += 2;
        return static_cast<std::int16_t>(static_cast<std::uint16_t>(lo | (hi << 8)));
    }
    QString text()
    {
        const auto count = static_cast<std::uint16_t>(integer());
        if (ended_ || pos_ + count > bytes_.size()) {
            ended_ = true;
            return {};
        }
        QString s = ansi::decode(bytes_.mid(pos_, count));
        pos_ += count;
        return s;
    }

private:
    const QByteArray& bytes_;
    qsizetype pos_ = 0;
    bool ended_ = false;
};

}  // namespace

QByteArray serializeSettings(const TankSettings& s, TextEncodings* remembered)
{
    Writer w(remembered);
    w.integer(s.fishTotal);
    w.integer(s.lastKind);
    for (const auto& k : s.kinds) {
        w.integer(k.count);
        w.text(k.name);
        w.text(k.patternPath);
    }
    for (const auto& f : s.fish) {
        w.integer(f.x);
        w.integer(f.y);
        w.integer(f.swimMode);
        w.integer(f.frameX);
        w.integer(f.spareValue);
        w.text(f.spareText);
        w.integer(f.riseFlag);
    }
    for (auto k : s.fishKindOf)
        w.integer(k);
    for (const auto& a : s.accessories) {
        w.text(a.name);
        w.text(a.picturePath);
        w.integer(a.x);
        w.integer(a.y);
        w.integer(a.frameX);
        w.integer(a.maskY);
        w.integer(a.frameWidth);
        w.integer(a.frameHeight);
        w.integer(a.position);
    }
    w.integer(s.accessoryCount);
    w.integer(s.reserved);
    return w.take();
}

TankSettings parseSettings(const QByteArray& bytes)
{
    TankSettings s;
    Reader r(bytes);
    s.fishTotal = r.integer();
    s.lastKind = r.integer();
    for (auto& k : s.kinds) {
        k.count = r.integer();
        k.name = r.text();
        k.patternPath = r.text();
    }
    for (auto& f : s.fish) {
        f.x = r.integer();
        f.y = r.integer();
        f.swimMode = r.integer();
        f.frameX = r.integer();
        f.spareValue = r.integer();
        f.spareText = r.text();
        f.riseFlag = r.integer();
    }
    for (auto& k : s.fishKindOf)
        k = r.integer();
    for (auto& a : s.accessories) {
        a.name = r.text();
        a.picturePath = r.text();
        a.x = r.integer();
        a.y = r.integer();
        a.frameX = r.integer();
        a.maskY = r.integer();
        a.frameWidth = r.integer();
        a.frameHeight = r.integer();
        a.position = r.integer();
    }
    s.accessoryCount = r.integer();
    s.reserved = r.integer();
    return s;
}

QByteArray overwriteInPlace(const QByteArray& oldBytes, const QByteArray& record)
{
    if (oldBytes.size() <= record.size())
        return record;
    return record + oldBytes.mid(record.size());
}

namespace {

// The longest record: every one of its 23 texts at the 65535 bytes its count can say.
constexpr qint64 kLongestRecord = 190 + 23 * qint64(65535);

// Qt's reasons are English, and the line they go into is Japanese. Qt words a system
// error as the system does, so the error number is found by comparing texts.
QString reasonFor(const QFileDevice& file, bool writing)
{
    const QString said = file.errorString();
    auto isOneOf = [&said](std::initializer_list<int> numbers) {
        return std::any_of(numbers.begin(), numbers.end(), [&said](int n) { return said == qt_error_string(n); });
    };
    const QFileInfo info(file.fileName());
    if (!info.absoluteDir().exists() || isOneOf({ENOENT, ENOTDIR}))
        return QStringLiteral("フォルダがありません");
    if (isOneOf({ENOSPC}))
        return QStringLiteral("ディスクに空きがありません");
    if (isOneOf({EROFS}))
        return QStringLiteral("書き込めない場所にあります");
    const bool denied = isOneOf({EACCES, EPERM}) || file.error() == QFileDevice::PermissionsError;
    if (writing && (denied || (info.exists() && !info.isWritable())
                    || (!info.exists() && !QFileInfo(info.absolutePath()).isWritable())))
        return QStringLiteral("書き込みが許可されていません");
    if (!writing && denied)
        return QStringLiteral("読み込みが許可されていません");
    return writing ? QStringLiteral("書き込みに失敗しました") : QStringLiteral("読み込みに失敗しました");
}

// Only a plain file (or a link to one) is read or replaced: a device or a pipe named
// SET would never end, and a folder cannot hold the record.
std::optional<QString> notAPlainFile(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return std::nullopt;
    if (info.isDir())
        return QStringLiteral("同じ名前のフォルダがあります");
    if (!info.isFile())
        return QStringLiteral("通常のファイルではありません");
    return std::nullopt;
}

}  // namespace

FileOutcome readSettingsFile(TankSettings& settings, const QString& path)
{
    settings = TankSettings{};
    QFile file(path);
    if (auto why = notAPlainFile(path))
        return {false, *why};
    // Read-write like the original opening, so a missing file is created; a file we may
    // only read is still read.
    if (!file.open(QIODevice::ReadWrite) && !file.open(QIODevice::ReadOnly))
        return {false, reasonFor(file, false)};
    // Bytes beyond the longest possible record are never part of it.
    const QByteArray bytes = file.read(kLongestRecord);
    if (file.error() != QFileDevice::NoError)
        return {false, reasonFor(file, false)};
    settings = parseSettings(bytes);
    return {};
}

FileOutcome writeSettingsFile(const TankSettings& settings, const QString& path)
{
    return writeSettingsBytes(serializeSettings(settings), path);
}

FileOutcome writeSettingsBytes(const QByteArray& record, const QString& path)
{
    if (auto why = notAPlainFile(path))
        return {false, *why};
    // The new file is the record followed by the old file's bytes beyond it, copied in
    // pieces so a large old file costs no memory.
    QSaveFile out(path);
    if (out.open(QIODevice::WriteOnly) && out.write(record) == record.size()) {
        QFile old(path);
        bool copied = true;
        if (old.exists() && old.open(QIODevice::ReadOnly) && old.size() > record.size() && old.seek(record.size())) {
            while (copied && !old.atEnd()) {
                const QByteArray chunk = old.read(1 << 16);
                copied = !chunk.isEmpty() && out.write(chunk) == chunk.size();
            }
        }
        if (copied && out.commit())
            return {};
    }
    const QString saveError = reasonFor(out, true);
    out.cancelWriting();

    // A folder we may not create files in can still hold a SET we may overwrite; in
    // place, the old tail simply stays where it is.
    QFile inPlace(path);
    if (inPlace.exists() && inPlace.open(QIODevice::ReadWrite)) {
        if (inPlace.write(record) == record.size() && inPlace.flush())
            return {};
        return {false, reasonFor(inPlace, true)};
    }
    return {false, saveError};
}
