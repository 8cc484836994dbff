// The main window under a real X server (started by run_under_xvfb.sh: a 1920 x 1080
// screen, QT_SCALE_FACTOR=1.5, so 1280 x 720 logical pixels).
#include "frame/main_window.h"
#include "scripted_prompter.h"
#include "store/users.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QProcess>
#include <QScreen>
#include <QSettings>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTest>

#ifdef QA_HAVE_X11
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#endif

static void InitResources() {
#ifdef QA_HAVE_RESOURCES
    Q_INIT_RESOURCE(resources);
#endif
}

using namespace qa;
using namespace qa::test;

namespace {

class NoFiles : public FileService {
public:
    QString AskSavePath(QWidget*) override { return {}; }
    bool OpenFile(const QString&) override { return false; }
};

class X11Window : public ::testing::Test {
protected:
    TempDir data;
    TempDir config;
    TempDir sysfs;
    ScriptedPrompter prompter;
    UserStore users{data.Path(), prompter};
    NoFiles files;
    std::unique_ptr<MainWindow> frame;

    void SetUp() override {
        ASSERT_EQ(QGuiApplication::platformName(), "xcb") << "run through run_under_xvfb.sh";
        InitResources();
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                           QString::fromStdString(config.Path()));
        MainWindow::Services services{users, prompter, files, nullptr, sysfs.Path(), ""};
        frame = std::make_unique<MainWindow>(services);
        frame->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
        frame->LateStartup();
    }
    void TearDown() override {
        if (frame) {
            frame->close();
        }
    }
    QString Xprop(const QString& property) {
        QProcess xprop;
        xprop.start("xprop",
                    {"-len", "100000000", "-id", QString::number(frame->winId()), property});
        EXPECT_TRUE(xprop.waitForFinished(10000));
        return QString::fromLocal8Bit(xprop.readAllStandardOutput());
    }
};

} // namespace

TEST_F(X11Window, WholeWindowOnTheScaledScreenWithItsIconSet) {
    QScreen* screen = frame->screen();
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(screen->geometry().size(), QSize(1280, 720));
    EXPECT_TRUE(screen->availableGeometry().contains(frame->frameGeometry()))
        << frame->frameGeometry().x() << "," << frame->frameGeometry().y() << " "
        << frame->frameGeometry().width() << "x" << frame->frameGeometry().height();

    // The X server's view of it, in device pixels.
    QProcess info;
    info.start("xwininfo", {"-id", QString::number(frame->winId())});
    ASSERT_TRUE(info.waitForFinished(10000));
    const QString geometry = QString::fromLocal8Bit(info.readAllStandardOutput());
    auto field = [&](const char* name) {
        const int at = geometry.indexOf(QLatin1String(name));
        return at < 0 ? -1
                      : geometry.mid(at + int(strlen(name))).section('\n', 0, 0).trimmed().toInt();
    };
    const int x = field("Absolute upper-left X:");
    const int y = field("Absolute upper-left Y:");
    const int w = field("Width:");
    const int h = field("Height:");
    EXPECT_GE(x, 0);
    EXPECT_GE(y, 0);
    EXPECT_LE(x + w, 1920);
    EXPECT_LE(y + h, 1080);

    const QString icon = Xprop("_NET_WM_ICON");
    EXPECT_TRUE(icon.startsWith("_NET_WM_ICON(CARDINAL)")) << icon.left(200).toStdString();
    // Every size there is, so the task bar, the switcher and the panel need not scale one.
    EXPECT_GE(icon.count("Icon ("), 8) << icon.left(300).toStdString();
    EXPECT_TRUE(icon.contains("Icon (24 x 24)")) << "16 at 150 %";
}

TEST_F(X11Window, LockKeyFieldsFollowTheKeyboardLights) {
#ifdef QA_HAVE_X11
    auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    ASSERT_NE(x11, nullptr);
    Display* display = x11->display();
    QLabel* caps = frame->statusBar()->findChild<QLabel*>("CAP");
    ASSERT_NE(caps, nullptr) << "the X server tells the lights: the fields are there";
    ASSERT_NE(frame->statusBar()->findChild<QLabel*>("NUM"), nullptr);
    ASSERT_NE(frame->statusBar()->findChild<QLabel*>("SCRL"), nullptr);
    XkbLockModifiers(display, XkbUseCoreKbd, LockMask, LockMask);
    XSync(display, False);
    frame->RefreshLockKeys();
    EXPECT_TRUE(caps->isEnabled()) << "Caps Lock on";
    XkbLockModifiers(display, XkbUseCoreKbd, LockMask, 0);
    XSync(display, False);
    // The window's own timer notices it.
    EXPECT_TRUE(QTest::qWaitFor([&] { return !caps->isEnabled(); }, 2000)) << "Caps Lock off";
#else
    GTEST_SKIP() << "built without the X library: no lock-key fields";
#endif
}
