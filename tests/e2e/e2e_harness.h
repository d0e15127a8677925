#pragma once

// Runs the real program in a display server of its own (Xvfb, or Weston for Wayland) and
// drives it as a person would: xdotool on X11, signals where only the frame is checked.

#include <QByteArray>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QHash>
#include <QImage>
#include <QProcess>
#include <QRect>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>

#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>

namespace e2e {

// Where the menu bar's items and the first item of a drop-down lie in the main window,
// relative to its client area (no window manager, so the window's origin is the client's).
constexpr int kMenuBarY = 9;
constexpr int kMenuEndX = 24;     // "終了"
constexpr int kMenuSewaX = 64;    // "世話"
constexpr int kMenuSetX = 103;    // "設定"
constexpr int kFirstItemDy = 22;  // first drop-down item below the menu bar's centre line
constexpr int kMenuBarHeight = 18;

// The program under test; PONDEL_E2E_BINARY runs the tests against another build of it
// (an older one, to see a test fail before its fix).
inline QString binary()
{
    return qEnvironmentVariable("PONDEL_E2E_BINARY", QStringLiteral(PONDEL_BINARY));
}

inline bool waitUntil(const std::function<bool()>& done, int timeoutMs, int stepMs = 50)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < end) {
        if (done())
            return true;
        QThread::msleep(stepMs);
    }
    return done();
}

// A display server the program can be started on.
class Screen {
public:
    virtual ~Screen() = default;
    virtual bool ok() const = 0;
    // Points the program's environment at this server.
    virtual void addTo(QProcessEnvironment& env) const = 0;
    // The whole screen as RGB32.
    virtual QImage screenshot() const = 0;
    // The server dies under its clients, as when a session's display server crashes.
    virtual void kill() = 0;
};

class XServer : public Screen {
public:
    // `depth` is the screen's colour depth; `extraArgs` go to Xvfb as they are
    // (`-extension MIT-SHM` starts a server without it).
    explicit XServer(int depth = 24, const QStringList& extraArgs = {}, QSize size = {1280, 1024})
    {
        display_ = startServer(process_, QStringLiteral("Xvfb"),
                               QStringList{QStringLiteral("-screen"), QStringLiteral("0"),
                                           QStringLiteral("%1x%2x%3").arg(size.width()).arg(size.height()).arg(depth)}
                                   + extraArgs);
    }

    // Two monitors side by side, "default" on the left and "R" on the right, each 1280 x
    // 1024, under openbox: Xephyr with Xinerama inside an Xvfb, since Qt sees a window
    // change screens only through Xinerama, and a RandR monitor names the right one so
    // that QT_SCREEN_SCALE_FACTORS can give it a scale of its own.
    struct TwoMonitors {};
    explicit XServer(TwoMonitors)
    {
        host_ = std::make_unique<QProcess>();
        const QString host = startServer(*host_, QStringLiteral("Xvfb"),
                                         {QStringLiteral("-screen"), QStringLiteral("0"), QStringLiteral("2600x1100x24")});
        if (host.isEmpty())
            return;
        auto env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), host);
        process_.setProcessEnvironment(env);
        display_ = startServer(process_, QStringLiteral("Xephyr"),
                               {QStringLiteral("+xinerama"), QStringLiteral("-screen"), QStringLiteral("1280x1024"),
                                QStringLiteral("-screen"), QStringLiteral("1280x1024")});
        if (display_.isEmpty())
            return;
        const bool named = waitUntil(
            [&] {
                run(QStringLiteral("xrandr"), {QStringLiteral("--setmonitor"), QStringLiteral("R"),
                                               QStringLiteral("1280/339x1024/271+1280+0"), QStringLiteral("none")});
                return run(QStringLiteral("xrandr"), {QStringLiteral("--listmonitors")}).contains(" R ");
            },
            10000, 200);
        wm_ = std::make_unique<QProcess>();
        auto wmEnv = QProcessEnvironment::systemEnvironment();
        wmEnv.insert(QStringLiteral("DISPLAY"), display_);
        wm_->setProcessEnvironment(wmEnv);
        wm_->start(QStringLiteral("openbox"), {});
        // openbox says so on the root window once it manages the screen.
        const bool managed = wm_->waitForStarted(5000) && waitUntil(
            [&] {
                return run(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")})
                    .contains("window id");
            },
            10000, 100);
        if (!named || !managed)
            display_.clear();
    }
    ~XServer() override
    {
        for (QProcess* p : {wm_.get(), &process_, host_.get()}) {
            if (!p)
                continue;
            p->terminate();
            if (!p->waitForFinished(3000))
                p->kill();
            p->waitForFinished(1000);
        }
    }
    // Starts a server that picks a free display itself and writes its number once it
    // accepts clients, so tests started side by side never race for one. Without -noreset
    // the server resets whenever its last client leaves, and drops a client that connects
    // meanwhile: the program starting while an xdotool search ends. Empty on failure.
    static QString startServer(QProcess& process, const QString& program, const QStringList& args)
    {
        process.start(program, QStringList{QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-noreset"),
                                           QStringLiteral("-nolisten"), QStringLiteral("tcp")}
                                   + args);
        if (!process.waitForStarted(5000))
            return {};
        QByteArray out;
        waitUntil(
            [&] {
                process.waitForReadyRead(100);
                out += process.readAllStandardOutput();
                return out.contains('\n') || process.state() == QProcess::NotRunning;
            },
            15000, 1);
        bool ok = false;
        const int n = out.trimmed().toInt(&ok);
        return ok && process.state() == QProcess::Running ? QStringLiteral(":%1").arg(n) : QString();
    }
    bool ok() const override { return !display_.isEmpty(); }
    const QString& display() const { return display_; }
    void addTo(QProcessEnvironment& env) const override
    {
        env.insert(QStringLiteral("DISPLAY"), display_);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    }

    // Runs a helper program (xdotool, import) against this display.
    QByteArray run(const QString& program, const QStringList& args, int timeoutMs = 10000) const
    {
        QProcess p;
        auto env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), display_);
        p.setProcessEnvironment(env);
        p.start(program, args);
        p.waitForFinished(timeoutMs);
        return p.readAllStandardOutput();
    }
    QByteArray xdotool(const QStringList& args) const { return run(QStringLiteral("xdotool"), args); }

    // The whole screen as 8-bit RGB.
    QImage screenshot() const override
    {
        const QByteArray ppm = run(QStringLiteral("import"),
                                   {QStringLiteral("-window"), QStringLiteral("root"), QStringLiteral("-depth"),
                                    QStringLiteral("8"), QStringLiteral("ppm:-")},
                                   20000);
        return QImage::fromData(ppm, "PPM").convertToFormat(QImage::Format_RGB32);
    }

    // The id of the visible window whose title matches the pattern exactly, if any.
    std::optional<QString> findWindow(const QString& title) const
    {
        const QByteArray out = xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                        QStringLiteral("--name"), QStringLiteral("^%1$").arg(title)});
        const QList<QByteArray> ids = out.trimmed().split('\n');
        if (ids.isEmpty() || ids.front().isEmpty())
            return std::nullopt;
        return QString::fromLatin1(ids.front());
    }
    std::optional<QString> waitForWindow(const QString& title, int timeoutMs = 15000) const
    {
        std::optional<QString> id;
        waitUntil([&] { return (id = findWindow(title)).has_value(); }, timeoutMs, 100);
        return id;
    }

    // The window's client area on the screen.
    QRect geometry(const QString& window) const
    {
        const QByteArray out = xdotool({QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), window});
        QRect r;
        for (const QByteArray& line : out.split('\n')) {
            const auto kv = line.split('=');
            if (kv.size() != 2)
                continue;
            const int v = kv[1].toInt();
            if (kv[0] == "X") r.moveLeft(v);
            if (kv[0] == "Y") r.moveTop(v);
            if (kv[0] == "WIDTH") r.setWidth(v);
            if (kv[0] == "HEIGHT") r.setHeight(v);
        }
        return r;
    }

    void click(const QString& window, int x, int y) const
    {
        xdotool({QStringLiteral("mousemove"), QStringLiteral("--window"), window, QString::number(x),
                 QString::number(y), QStringLiteral("click"), QStringLiteral("1")});
        QThread::msleep(300);
    }
    void doubleClick(const QString& window, int x, int y) const
    {
        xdotool({QStringLiteral("mousemove"), QStringLiteral("--window"), window, QString::number(x),
                 QString::number(y), QStringLiteral("click"), QStringLiteral("--repeat"), QStringLiteral("2"),
                 QStringLiteral("--delay"), QStringLiteral("80"), QStringLiteral("1")});
        QThread::msleep(300);
    }
    void key(const QString& window, const QString& keys) const
    {
        xdotool({QStringLiteral("key"), QStringLiteral("--window"), window, keys});
        QThread::msleep(200);
    }
    void type(const QString& window, const QString& text) const
    {
        xdotool({QStringLiteral("type"), QStringLiteral("--window"), window, text});
        QThread::msleep(200);
    }

    // What a window manager sends when the user presses a window's close box.
    void requestClose(const QString& window) const
    {
        xcb_connection_t* c = xcb_connect(display_.toLatin1().constData(), nullptr);
        auto atom = [c](const char* name) {
            xcb_intern_atom_reply_t* r =
                xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, std::uint16_t(std::strlen(name)), name), nullptr);
            const xcb_atom_t a = r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
            std::free(r);
            return a;
        };
        xcb_client_message_event_t ev = {};
        ev.response_type = XCB_CLIENT_MESSAGE;
        ev.format = 32;
        ev.window = window.toUInt();
        ev.type = atom("WM_PROTOCOLS");
        ev.data.data32[0] = atom("WM_DELETE_WINDOW");
        ev.data.data32[1] = XCB_CURRENT_TIME;
        xcb_send_event(c, 0, ev.window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&ev));
        // A round trip before hanging up: a server that sees the hang-up first drops
        // the requests it has not read yet.
        std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
        xcb_disconnect(c);
        QThread::msleep(300);
    }

    void kill() override
    {
        process_.kill();
        process_.waitForFinished(3000);
    }

    // Opens a menu of the menu bar and picks its first item.
    void menuFirstItem(const QString& window, int menuX) const
    {
        click(window, menuX, kMenuBarY);
        click(window, menuX + 12, kMenuBarY + kFirstItemDy);
    }

private:
    QProcess process_;
    QString display_;
    std::unique_ptr<QProcess> host_;  // the Xvfb an Xephyr runs in
    std::unique_ptr<QProcess> wm_;
};

// Weston's headless backend with the pixman renderer, as a Wayland session has it: the
// program picks Qt's wayland platform by itself, as it does for users.
class Weston : public Screen {
public:
    // `scale` is the output's: a 1280 x 1024 desktop of scale x scale pixels each (960 x 720
    // at a scale above 1, which holds the window at every factor the tests use and keeps
    // each screenshot within 3 million pixels). With a
    // `host`, the output is a 1280 x 1000 window at the origin of that X server (which has no
    // window manager), so xdotool there can press what Qt draws on title bars; Weston follows
    // the pointer only once it has entered that window from the rows below. With
    // `twoOutputs` (and a host of at least 2000 x 900), two outputs side by side: "X1",
    // 800 x 600 of scale 1, in the host's window at its origin, and "X2", 600 x 450 of
    // scale 2, in a window of 1200 x 900 at (800, 0).
    explicit Weston(int scale = 1, const XServer* host = nullptr, bool twoOutputs = false)
    {
        if (QStandardPaths::findExecutable(QStringLiteral("weston")).isEmpty())
            return;
        QFile::setPermissions(runtime_.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        socket_ = QStringLiteral("pondel-e2e");
        auto env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime_.path());
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        if (host)
            env.insert(QStringLiteral("DISPLAY"), host->display());
        process_.setProcessEnvironment(env);
        process_.setProcessChannelMode(QProcess::MergedChannels);
        // --debug lets weston-screenshooter take the screen; no idle lock in a long run.
        QStringList args{host ? QStringLiteral("--backend=x11-backend.so") : QStringLiteral("--backend=headless-backend.so"),
                         QStringLiteral("--use-pixman"), QStringLiteral("--debug"), QStringLiteral("--idle-time=0"),
                         QStringLiteral("--socket=") + socket_};
        if (twoOutputs && host) {
            const QString config = QDir(runtime_.path()).filePath(QStringLiteral("weston.ini"));
            QFile f(config);
            if (f.open(QIODevice::WriteOnly))
                f.write("[output]\nname=X1\nmode=800x600\nscale=1\n[output]\nname=X2\nmode=600x450\nscale=2\n");
            f.close();
            args << QStringLiteral("--config=") + config << QStringLiteral("--output-count=2");
        } else {
            args << QStringLiteral("--width=%1").arg((scale > 1 ? 960 : 1280) * scale)
                 << QStringLiteral("--height=%1").arg((scale > 1 ? 720 : host ? 1000 : 1024) * scale)
                 << QStringLiteral("--scale=%1").arg(scale);
        }
        process_.start(QStringLiteral("weston"), args);
        ready_ = process_.waitForStarted(5000)
                 && waitUntil([&] { return QFile::exists(QDir(runtime_.path()).filePath(socket_ + ".lock"))
                                           && QFile::exists(QDir(runtime_.path()).filePath(socket_)); },
                              15000, 50);
        // Both outputs' windows open at the host's origin: the second goes beside the first.
        if (ready_ && twoOutputs && host) {
            QString second;
            waitUntil(
                [&] {
                    for (const QByteArray& line : host->run(QStringLiteral("xwininfo"), {QStringLiteral("-root"), QStringLiteral("-children")}).split('\n'))
                        if (line.contains("Compositor - X2"))
                            second = QString::fromLatin1(line.trimmed().split(' ').value(0));
                    return !second.isEmpty();
                },
                10000, 100);
            ready_ = !second.isEmpty();
            host->xdotool({QStringLiteral("windowmove"), second, QStringLiteral("800"), QStringLiteral("0")});
        }
        // The desktop shell's client draws the background and panel a moment later.
        if (ready_)
            QThread::msleep(1000);
    }
    ~Weston() override
    {
        process_.terminate();
        if (!process_.waitForFinished(3000))
            process_.kill();
        process_.waitForFinished(1000);
    }
    bool ok() const override { return ready_ && process_.state() == QProcess::Running; }
    void addTo(QProcessEnvironment& env) const override
    {
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime_.path());
        env.insert(QStringLiteral("WAYLAND_DISPLAY"), socket_);
        env.insert(QStringLiteral("XDG_SESSION_TYPE"), QStringLiteral("wayland"));
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    }
    void kill() override
    {
        process_.kill();
        process_.waitForFinished(3000);
    }

    // weston-screenshooter writes the whole output as a PNG into its working folder.
    QImage screenshot() const override
    {
        QTemporaryDir shots;
        QProcess p;
        auto env = QProcessEnvironment::systemEnvironment();
        addTo(env);
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(shots.path());
        p.start(QStringLiteral("weston-screenshooter"), {});
        p.waitForFinished(20000);
        QDirIterator it(shots.path(), {QStringLiteral("*.png")}, QDir::Files);
        return it.hasNext() ? QImage(it.next()).convertToFormat(QImage::Format_RGB32) : QImage();
    }

private:
    QTemporaryDir runtime_;
    QString socket_;
    QProcess process_;
    bool ready_ = false;
};

// openbox on an X server, as a desktop has a window manager: it iconifies, restores and
// closes windows on request (xdotool windowminimize, windowactivate; requestClose).
class WindowManager {
public:
    explicit WindowManager(const XServer& x) : x_(x)
    {
        auto env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), x.display());
        process_.setProcessEnvironment(env);
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start(QStringLiteral("openbox"), {QStringLiteral("--sm-disable")});
        // It has taken the screen once it names itself on the root window.
        ok_ = process_.waitForStarted(5000) && waitUntil([&] { return managing(); }, 10000, 100);
    }
    ~WindowManager()
    {
        process_.terminate();
        if (!process_.waitForFinished(3000))
            process_.kill();
        process_.waitForFinished(1000);
    }
    bool ok() const { return ok_; }

private:
    bool managing() const
    {
        xcb_connection_t* c = xcb_connect(x_.display().toLatin1().constData(), nullptr);
        if (xcb_connection_has_error(c)) {
            xcb_disconnect(c);
            return false;
        }
        const char name[] = "_NET_SUPPORTING_WM_CHECK";
        xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(c, xcb_intern_atom(c, 1, sizeof name - 1, name), nullptr);
        bool found = false;
        if (atom && atom->atom != XCB_ATOM_NONE) {
            const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
            xcb_get_property_reply_t* p = xcb_get_property_reply(
                c, xcb_get_property(c, 0, root, atom->atom, XCB_ATOM_WINDOW, 0, 1), nullptr);
            found = p && xcb_get_property_value_length(p) == 4;
            std::free(p);
        }
        std::free(atom);
        xcb_disconnect(c);
        return found;
    }

    const XServer& x_;
    QProcess process_;
    bool ok_ = false;
};

// How often the threads of a process have run so far: each time a thread wakes, this grows.
inline long long timesRun(qint64 pid)
{
    long long n = 0;
    QDirIterator it(QStringLiteral("/proc/%1/task").arg(pid), QDir::Dirs | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        QFile f(it.next() + QStringLiteral("/schedstat"));
        if (f.open(QIODevice::ReadOnly)) {
            const QList<QByteArray> fields = f.readAll().simplified().split(' ');
            if (fields.size() == 3)
                n += fields[2].toLongLong();
        }
    }
    return n;
}

// The program running in a folder of its own.
class Pondel {
public:
    explicit Pondel(const Screen& screen, QString folder = {})
        : screen_(screen), x_(dynamic_cast<const XServer*>(&screen))
    {
        if (folder.isEmpty()) {
            dir_ = std::make_unique<QTemporaryDir>();
            folder_ = dir_->path();
        } else {
            folder_ = std::move(folder);
        }
    }
    ~Pondel()
    {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished(3000);
        }
    }
    const QString& folder() const { return folder_; }
    QString path(const QString& name) const { return QDir(folder_).filePath(name); }
    QProcess& process() { return process_; }

    // Starts the program with these extra variables and, on X11, waits for its window
    // (an empty name elsewhere). Empty on failure.
    std::optional<QString> start(const QStringList& extraEnv = {})
    {
        auto env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("QT_SCALE_FACTOR"));
        screen_.addTo(env);
        for (const QString& kv : extraEnv)
            env.insert(kv.section(QLatin1Char('='), 0, 0), kv.section(QLatin1Char('='), 1));
        process_.setProcessEnvironment(env);
        process_.setWorkingDirectory(folder_);
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        if (!errorFile_.isEmpty()) {
            process_.setProcessChannelMode(QProcess::SeparateChannels);
            process_.setStandardErrorFile(errorFile_);
        }
        process_.start(binary(), {});
        if (!process_.waitForStarted(5000))
            return std::nullopt;
        window_ = x_ ? x_->waitForWindow(QStringLiteral("ぽんでる")) : std::optional<QString>(QString());
        return window_;
    }
    const QString& window() const { return *window_; }
    // The program's error output goes to this file from the next start on.
    void logErrorsTo(const QString& file) { errorFile_ = file; }

    bool waitForExit(int timeoutMs = 10000)
    {
        return process_.state() == QProcess::NotRunning || process_.waitForFinished(timeoutMs);
    }

    // The 500 x 300 tank as the screen shows it.
    QImage tank() const
    {
        const QRect g = x_->geometry(*window_);
        return x_->screenshot().copy(g.x(), g.y() + kMenuBarHeight, 500, 300);
    }

    QByteArray readFile(const QString& name) const
    {
        QFile f(path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void writeFile(const QString& name, const QByteArray& bytes) const
    {
        QFile f(path(name));
        if (f.open(QIODevice::WriteOnly))
            f.write(bytes);
    }

private:
    const Screen& screen_;
    const XServer* x_;  // null on Wayland
    std::unique_ptr<QTemporaryDir> dir_;
    QString folder_;
    QProcess process_;
    QString errorFile_;
    std::optional<QString> window_;
};

// Pixels of `expected` that differ from the screen when it lies at `at`; every pixel
// past the screen's edge counts.
inline qint64 misfit(const QImage& screen, const QImage& expected, QPoint at)
{
    const QRect place(at, expected.size());
    const QRect seen = place & screen.rect();
    qint64 n = qint64(expected.width()) * expected.height() - qint64(seen.width()) * seen.height();
    for (int y = seen.top(); y <= seen.bottom(); ++y) {
        const auto* s = reinterpret_cast<const QRgb*>(screen.constScanLine(y));
        const auto* e = reinterpret_cast<const QRgb*>(expected.constScanLine(y - at.y()));
        for (int x = seen.left(); x <= seen.right(); ++x)
            n += ((s[x] ^ e[x - at.x()]) & 0xFFFFFF) != 0;
    }
    return n;
}

// Where `expected` lies on the screen: every seventh of its rows (fewer in a large one)
// is looked for whole in the screen's rows, and the place most rows agree on wins, so a
// few damaged rows do not mislead it. Odd and even rows both count: scaled frames repeat each row, so the
// true place and its neighbours may tie, and the whole picture decides between them.
inline std::optional<QPoint> locate(const QImage& screen, const QImage& expected)
{
    QHash<quint64, int> votes;
    const qsizetype rowBytes = qsizetype(expected.width()) * 4;
    // Every seventh row, but no more than about 32 rows of a large frame.
    const int every = std::max(7, expected.height() / 32 | 1);
    for (int r = 0; r < expected.height(); r += every) {
        const QByteArray needle(reinterpret_cast<const char*>(expected.constScanLine(r)), rowBytes);
        for (int y = r; y < screen.height(); ++y) {
            const QByteArray row =
                QByteArray::fromRawData(reinterpret_cast<const char*>(screen.constScanLine(y)), screen.width() * 4);
            for (qsizetype at = row.indexOf(needle); at >= 0; at = row.indexOf(needle, at + 4))
                if (at % 4 == 0)
                    ++votes[(quint64(at / 4) << 32) | quint64(y - r)];
        }
    }
    int most = 0;
    for (const int v : votes)
        most = std::max(most, v);
    std::optional<QPoint> best;
    qint64 fewest = 0;
    for (auto it = votes.cbegin(); it != votes.cend(); ++it) {
        if (it.value() < most)
            continue;
        const QPoint at(int(it.key() >> 32), int(it.key() & 0xFFFFFFFF));
        const qint64 wrong = misfit(screen, expected, at);
        if (!best || wrong < fewest || (wrong == fewest && (at.y() < best->y() || (at.y() == best->y() && at.x() < best->x())))) {
            best = at;
            fewest = wrong;
        }
    }
    return best;
}

// Pixels of the tank that are neither water nor the fixed background: a rough count of
// what is drawn over it.
inline int pixelsDiffering(const QImage& a, const QImage& b, QRect area = {})
{
    if (area.isNull())
        area = a.rect().intersected(b.rect());
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    int n = 0;
    for (int row = area.top(); row <= area.bottom(); ++row) {
        const auto* p = reinterpret_cast<const QRgb*>(x.constScanLine(row));
        const auto* q = reinterpret_cast<const QRgb*>(y.constScanLine(row));
        for (int col = area.left(); col <= area.right(); ++col)
            n += ((p[col] ^ q[col]) & 0xFFFFFF) != 0;
    }
    return n;
}

}  // namespace e2e
