#include "ui/main/wayland/wayland_decoration.h"

#include <QtGlobal>

#if PONDEL_WAYLAND_DECORATION

// Only the plugin's own translation unit defines the function Q_IMPORT_PLUGIN registers.
#define QT_STATICPLUGIN

#include <QEventPoint>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QMargins>
#include <QObject>
#include <QPainter>
#include <QPalette>
#include <QPointF>
#include <QRect>
#include <QWindow>
#include <QtPlugin>
#include <qpa/qplatformwindow.h>
#include <qpa/qwindowsysteminterface.h>

// Debian ships QtWaylandClient without its private headers, so the two classes a decoration
// plugin derives from are declared here as Qt 6.4 defines them (CMake builds this against
// 6.4 only): the same virtual functions in the same order, and the library's own meta-objects.
QT_BEGIN_NAMESPACE
namespace QtWaylandClient {

class QWaylandInputDevice;
class QWaylandWindow;

class Q_DECL_IMPORT QWaylandAbstractDecoration : public QObject {
public:
    static const QMetaObject staticMetaObject;
    const QMetaObject* metaObject() const override;
    void* qt_metacast(const char*) override;
    int qt_metacall(QMetaObject::Call, int, void**) override;

    enum MarginsType { Full, ShadowsExcluded, ShadowsOnly };

    QWaylandAbstractDecoration();
    ~QWaylandAbstractDecoration() override;

    void update();
    virtual QMargins margins(MarginsType marginsType = Full) const = 0;
    QWindow* window() const;
    virtual bool handleMouse(QWaylandInputDevice* inputDevice, const QPointF& local, const QPointF& global,
                             Qt::MouseButtons b, Qt::KeyboardModifiers mods) = 0;
    virtual bool handleTouch(QWaylandInputDevice* inputDevice, const QPointF& local, const QPointF& global,
                             QEventPoint::State state, Qt::KeyboardModifiers mods) = 0;

protected:
    virtual void paint(QPaintDevice* device) = 0;
    void setMouseButtons(Qt::MouseButtons mb);
    void startMove(QWaylandInputDevice* inputDevice, Qt::MouseButtons buttons);
    bool isLeftClicked(Qt::MouseButtons newMouseButtonState);
    bool isLeftReleased(Qt::MouseButtons newMouseButtonState);
};

class Q_DECL_IMPORT QWaylandDecorationPlugin : public QObject {
public:
    static const QMetaObject staticMetaObject;
    const QMetaObject* metaObject() const override;
    void* qt_metacast(const char*) override;
    int qt_metacall(QMetaObject::Call, int, void**) override;

    explicit QWaylandDecorationPlugin(QObject* parent = nullptr);
    ~QWaylandDecorationPlugin() override;

    virtual QWaylandAbstractDecoration* create(const QString& key, const QStringList& paramList) = 0;
};

}  // namespace QtWaylandClient
QT_END_NAMESPACE

namespace {

using QtWaylandClient::QWaylandAbstractDecoration;
using QtWaylandClient::QWaylandInputDevice;

// The same room as Qt's own title bar, so the windows keep their place and size.
constexpr QMargins kFrame{3, 30, 3, 3};
constexpr int kButton = 18;
constexpr int kButtonGap = 4;
constexpr int kRightMargin = 8;

class TitleBar : public QWaylandAbstractDecoration {
public:
    QMargins margins(MarginsType type) const override { return type == ShadowsOnly ? QMargins() : kFrame; }

    bool handleMouse(QWaylandInputDevice* input, const QPointF& local, const QPointF&, Qt::MouseButtons buttons,
                     Qt::KeyboardModifiers) override
    {
        const bool onFrame = !contentRect().contains(local);
        if (onFrame && local.y() < kFrame.top()) {
            const Button under = buttonAt(local);
            if (isLeftClicked(buttons))
                pressed_ = under;
            if (under == Button::None)
                startMove(input, buttons);
            else if (isLeftReleased(buttons) && pressed_ == under)
                press(under);
        }
        if (!(buttons & Qt::LeftButton))
            pressed_ = Button::None;
        setMouseButtons(buttons);
        return onFrame;
    }

    bool handleTouch(QWaylandInputDevice* input, const QPointF& local, const QPointF&, QEventPoint::State state,
                     Qt::KeyboardModifiers) override
    {
        if (state != QEventPoint::Pressed || local.y() >= kFrame.top())
            return false;
        const Button under = buttonAt(local);
        if (under == Button::None)
            startMove(input, Qt::LeftButton);
        else
            press(under);
        return true;
    }

protected:
    void paint(QPaintDevice* device) override
    {
        const QRectF surface{QPointF(), QSizeF(surfaceSize())};
        const QPalette palette = QGuiApplication::palette();
        const QColor ink = palette.color(QPalette::WindowText);

        QPainter p(device);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.setClipRegion(QRegion(surface.toRect()) - QRegion(contentRect().toRect()));
        p.fillRect(surface, palette.color(QPalette::Window));
        p.setPen(palette.color(QPalette::Dark));
        p.drawRect(surface.adjusted(0, 0, -1, -1));
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);

        // Plain strokes on whole pixels: an underscore and a cross.
        p.setPen(QPen(ink, 2, Qt::SolidLine, Qt::FlatCap));
        const QRectF minimize = buttonRect(Button::Minimize).adjusted(5, 5, -5, -5);
        p.drawLine(QLineF(minimize.left(), minimize.bottom() - 1, minimize.right(), minimize.bottom() - 1));
        const QRectF close = buttonRect(Button::Close).adjusted(5, 5, -5, -5);
        p.setRenderHint(QPainter::Antialiasing);
        p.drawLine(close.topLeft(), close.bottomRight());
        p.drawLine(close.topRight(), close.bottomLeft());
        p.setRenderHint(QPainter::Antialiasing, false);

        const QRect icon(kFrame.left() + 5, (kFrame.top() - 16) / 2, 16, 16);
        window()->icon().paint(&p, icon);
        p.setPen(ink);
        p.setFont(QGuiApplication::font());
        const QRectF title(icon.right() + 6, 0, buttonRect(Button::Minimize).left() - icon.right() - 12, kFrame.top());
        p.drawText(title, Qt::AlignLeft | Qt::AlignVCenter,
                   p.fontMetrics().elidedText(window()->title(), Qt::ElideRight, int(title.width())));
    }

private:
    enum class Button { None, Minimize, Close };

    // In the platform window's pixels, as Qt gives the decoration its image and events; they
    // differ from the window's own under QT_SCALE_FACTOR.
    QSize contentSize() const { return window()->handle()->geometry().size(); }
    QSize surfaceSize() const { return contentSize().grownBy(kFrame); }
    QRectF contentRect() const { return QRectF(QPointF(kFrame.left(), kFrame.top()), QSizeF(contentSize())); }
    QRectF buttonRect(Button button) const
    {
        const int fromRight = kFrame.right() + kRightMargin + kButton + (button == Button::Minimize ? kButton + kButtonGap : 0);
        return QRectF(surfaceSize().width() - fromRight, (kFrame.top() - kButton) / 2, kButton, kButton);
    }
    Button buttonAt(const QPointF& local) const
    {
        for (Button b : {Button::Minimize, Button::Close})
            if (buttonRect(b).contains(local))
                return b;
        return Button::None;
    }
    void press(Button button)
    {
        QWindow* w = window();
        if (button == Button::Minimize)
            w->setWindowStates(w->windowStates() | Qt::WindowMinimized);
        else  // as the compositor's close: queued, since closing may take the decoration along
            QWindowSystemInterface::handleCloseEvent(w);
    }

    Button pressed_ = Button::None;
};

}  // namespace

class PondelDecorationPlugin : public QtWaylandClient::QWaylandDecorationPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "org.qt-project.Qt.WaylandClient.QWaylandDecorationFactoryInterface.5.4" FILE
                      "wayland_decoration.json")
public:
    QtWaylandClient::QWaylandAbstractDecoration* create(const QString&, const QStringList&) override
    {
        return new TitleBar;
    }
};

Q_IMPORT_PLUGIN(PondelDecorationPlugin)

void drawOwnTitleBarsOnWayland()
{
    if (!qEnvironmentVariableIsSet("QT_WAYLAND_DECORATION"))
        qputenv("QT_WAYLAND_DECORATION", "pondel");  // the key in wayland_decoration.json
}

#include "wayland_decoration.moc"

#else  // without Qt's Wayland client library

void drawOwnTitleBarsOnWayland() {}

#endif
