#include "e2e/e2e_harness.h"

#include "engine/frame_changes.h"
#include "engine/surface.h"
#include "ui/main/tank_view.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTest>

#include <thread>

namespace {

constexpr int kStrips = 4, kStripWidth = 16, kHeight = 24;
constexpr QRgb kColours[kStrips] = {0x20A040, 0xC03010, 0x3050E0, 0xE0C020};

// In a process of its own on the X server: the tank view shows four strips, one a tick,
// while another client holds the server, so none of the puts is carried out yet. After
// each tick the frame is painted over at once, as the engine does. When the server is
// let go, each strip must show the frame as it was when that strip was shown: had the
// view let the frame be written before the server read it, a later colour shows.
void showStripsWhileTheServerIsHeld()
{
    QImage frame = makeSurface(kStrips * kStripWidth, kHeight);
    TankView view(frame);
    view.resize(frame.size());
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    ASSERT_TRUE(view.showsDirectly());
    FrameChanges whole;
    whole.setWhole();
    view.prepareFrame();
    view.showChanges(whole);
    view.prepareFrame();

    xcb_connection_t* holder = xcb_connect(nullptr, nullptr);
    ASSERT_FALSE(xcb_connection_has_error(holder));
    xcb_grab_server(holder);
    std::free(xcb_get_input_focus_reply(holder, xcb_get_input_focus(holder), nullptr));
    std::thread release([holder] {
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
        xcb_ungrab_server(holder);
        xcb_flush(holder);
    });
    for (int k = 0; k < kStrips; ++k) {
        view.prepareFrame();
        frame.fill(kColours[k]);
        FrameChanges strip;
        strip.add(QRect(k * kStripWidth, 0, kStripWidth, kHeight));
        view.showChanges(strip);
    }
    view.prepareFrame();
    frame.fill(Qt::black);
    release.join();

    xcb_get_image_reply_t* image = xcb_get_image_reply(
        holder,
        xcb_get_image(holder, XCB_IMAGE_FORMAT_Z_PIXMAP, xcb_window_t(view.winId()), 0, 0, kStrips * kStripWidth,
                      kHeight, ~0u),
        nullptr);
    ASSERT_TRUE(image);
    const auto* pixels = reinterpret_cast<const std::uint32_t*>(xcb_get_image_data(image));
    for (int k = 0; k < kStrips; ++k)
        for (int y = 0; y < kHeight; y += kHeight - 1)
            for (int x = k * kStripWidth; x < (k + 1) * kStripWidth; x += kStripWidth - 1)
                EXPECT_EQ(pixels[y * kStrips * kStripWidth + x] & 0xFFFFFF, kColours[k]) << "strip " << k;
    std::free(image);
    xcb_disconnect(holder);
}

TEST(X11Fence, NoPlaceOfTheFrameIsWrittenBeforeTheServerHasReadIt)
{
    if (qEnvironmentVariableIsSet("PONDEL_FENCE_CHILD")) {
        showStripsWhileTheServerIsHeld();
        return;
    }
    e2e::XServer x;
    if (!x.ok())
        GTEST_SKIP() << "the display server did not start";
    QProcess child;
    auto env = QProcessEnvironment::systemEnvironment();
    x.addTo(env);
    env.insert(QStringLiteral("PONDEL_FENCE_CHILD"), QStringLiteral("1"));
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_filter=X11Fence.NoPlaceOfTheFrameIsWrittenBeforeTheServerHasReadIt")});
    ASSERT_TRUE(child.waitForFinished(30000));
    const QByteArray out = child.readAll();
    EXPECT_EQ(child.exitCode(), 0) << out.constData();
    EXPECT_TRUE(out.contains("[  PASSED  ] 1 test")) << out.constData();
}

}  // namespace
