#include "ui/chooser/file_chooser.h"

#include "app/ansi_text.h"
#include "ui/chooser/chooser_paths.h"
#include "ui/chooser/drive_list.h"
#include "ui/chooser/file_list.h"
#include "ui/chooser/folder_list.h"
#include "ui/main/main_window.h"
#include "ui/main/messenger.h"
#include "ui/main/wayland/wayland_fixed_size.h"
#include "ui/main/pixel_ratio_follower.h"
#include "ui/main/whole_pixels.h"
#include "ui/settings/button_keys.h"
#include "ui/settings/frame_margin_watcher.h"
#include "ui/settings/settings_dialog.h"
#include "ui/settings/settings_session.h"
#include "ui/settings/window_owner.h"

#include <QCloseEvent>
#include <QDir>
#include <QKeyEvent>
#include <QGuiApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QWindow>

namespace {
const QString kAddError = QStringLiteral("追加ｴﾗｰ");
const QString kError = QStringLiteral("ｴﾗｰ");

template <typename W>
W* named(W* widget, const char* name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}
}  // namespace

FileChooser::FileChooser(SettingsSession& session)
    : QWidget(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                           | Qt::WindowCloseButtonHint),
      session_(session)
{
    setObjectName(QStringLiteral("DiaLog"));
    setWindowTitle(QStringLiteral("ﾀﾞｲｱﾛｸﾞ"));
    setFont(QFont(uiFontFamily(), 9));
    setFixedSize(302, 215);

    Drive1 = named(new DriveList(this), "Drive1");
    Drive1->setGeometry(4, 4, 149, 20);
    com_Can = named(new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this), "com_Can");
    com_Can->setGeometry(224, 180, 50, 20);
    File1 = named(new FileList(this), "File1");
    File1->setGeometry(156, 4, 141, 126);
    Text1 = named(new QLineEdit(this), "Text1");
    Text1->setGeometry(5, 145, 292, 19);
    Dir1 = named(new FolderList(this), "Dir1");
    Dir1->setGeometry(5, 31, 146, 104);
    com_OK = named(new QPushButton(QStringLiteral("OK"), this), "com_OK");
    com_OK->setGeometry(163, 180, 50, 20);

    setTabOrder(Drive1, com_Can);
    setTabOrder(com_Can, File1);
    setTabOrder(File1, Text1);
    setTabOrder(Text1, Dir1);
    setTabOrder(Dir1, com_OK);

    connect(Drive1, &DriveList::driveChosen, this, &FileChooser::Drive1_Change);
    connect(Dir1, &FolderList::folderRequested, this, &FileChooser::openFolder);
    connect(File1, &QListWidget::itemSelectionChanged, this, [this] {
        if (!File1->selectedItems().isEmpty())
            File1_Click();
    });
    connect(File1, &QListWidget::itemClicked, this, &FileChooser::File1_Click);
    connect(File1, &QListWidget::itemDoubleClicked, this, &FileChooser::File1_DblClick);
    connect(com_OK, &QPushButton::clicked, this, &FileChooser::com_OK_Click);
    connect(com_Can, &QPushButton::clicked, this, &FileChooser::com_Can_Click);
}

void FileChooser::Form_Load()
{
    open_ = true;
    // Every opening starts from the process's current folder; navigating here never
    // changes it.
    const QString start = QDir::currentPath();
    if (!Dir1->setPath(start))
        Dir1->setPath(QDir::rootPath());
    Drive1->refresh();
    Drive1->showDriveOf(Dir1->path());
    File1->setPattern(session_.work().chooserMode == 1 ? QStringLiteral("*.acc") : QStringLiteral("*.pat"));
    File1->setPath(Dir1->path());
    Text1->clear();

    placeControlsOnWholePixels(*this);
    placeOnScreen();
    keepFixedSizeWindowsUnmaximized(*this);
    if (SettingsDialog* dialog = session_.dialog())
        setWindowOwner(*this, chooserOwner(session_.mainFrm(), *dialog));
    else
        setWindowOwner(*this, session_.mainFrm());
    // Placed again by the frame Windows knows once the native window exists.
    if (!FrameMarginWatcher::marginsOf(this).isNull())
        placeOnScreen();
    new FrameMarginWatcher(this, [this](const QMargins&) { placeOnScreen(); });
    show();
    followPixelRatio(*this, [this] { placeControlsOnWholePixels(*this); });
    Drive1->setFocus(Qt::OtherFocusReason);
    activateWindow();
}

void FileChooser::placeOnScreen()
{
    QScreen* screen = session_.mainFrm().screen() ? session_.mainFrm().screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->geometry();
    const QSize outer = size().grownBy(FrameMarginWatcher::marginsOf(this));
    FrameMarginWatcher::moveFrameTo(this, QPoint(area.x() + (area.width() - outer.width()) / 2, area.y() + area.height() / 3));
}

void FileChooser::Drive1_Change(const QString& root)
{
    // A drive's current folder: the process's own when it lies on that drive, else its root.
    const QString cwd = QDir::currentPath();
    const QString target = DriveList::driveOf(cwd) == root ? cwd : root;
    if (!Dir1->setPath(target)) {
        session_.mainFrm().messenger().show(
            QStringLiteral("ドライブ「%1」を読み込めません").arg(QDir::toNativeSeparators(root)), kError);
        Drive1->showDriveOf(Dir1->path());
        return;
    }
    Dir1_Change();
}

void FileChooser::openFolder(const QString& folder)
{
    if (!Dir1->setPath(folder)) {
        session_.mainFrm().messenger().show(
            QStringLiteral("フォルダ「%1」を読み込めません").arg(QDir::toNativeSeparators(folder)), kError);
        // Show what is there now; the folder may have gone from the list too.
        Dir1->setPath(Dir1->path());
        return;
    }
    Dir1_Change();
}

void FileChooser::Dir1_Change()
{
    Drive1->showDriveOf(Dir1->path());
    if (!File1->setPath(Dir1->path())) {
        session_.mainFrm().messenger().show(
            QStringLiteral("フォルダ「%1」を読み込めません").arg(QDir::toNativeSeparators(Dir1->path())), kError);
    }
}

void FileChooser::File1_Click()
{
    const QList<QListWidgetItem*> chosen = File1->selectedItems();
    if (!chosen.isEmpty())
        Text1->setText(chosen.first()->text());
}

void FileChooser::File1_DblClick()
{
    File1_Click();
    com_OK_Click();
}

void FileChooser::com_OK_Click()
{
    if (!open_)
        return;  // a second click on its way while the chooser closes
    addChosenFile();
}

void FileChooser::addChosenFile()
{
    const QString name = Text1->text();
    if (name.isEmpty()) {
        close();
        return;
    }
    SettingsWorkingCopy& work = session_.work();
    const bool accessory = work.chooserMode == 1;
    SettingsDialog* dialog = session_.dialog();
    if (!dialog)
        dialog = &session_.loadDialog();

    Messenger& messenger = session_.mainFrm().messenger();
    const bool full = accessory ? work.workAccessoryCount >= kMaxAccessories : work.workLastKind >= kMaxKinds - 1;
    if (full) {
        messenger.show(QStringLiteral("これ以上種類は登録できません"), kAddError);
        close();
        return;
    }

    const QString path = chooserPath(Dir1->path(), name);
    // SET holds its texts in code page 932; a path that does not read back unchanged
    // would name another file at the next start. Say where the culprit is, since only
    // the user can rename it; the chooser stays open to pick another.
    if (!ansi::representable(path)) {
        const QString inFolder = ansi::firstUnrepresentable(Dir1->path());
        const QString culprit = inFolder.isEmpty() ? ansi::firstUnrepresentable(name) : inFolder;
        const QString where = inFolder.isEmpty() ? QStringLiteral("ファイル名") : QStringLiteral("フォルダ名");
        messenger.show(QStringLiteral("この%1には登録できない文字「%2」が含まれています")
                           .arg(where, culprit.isEmpty() ? ansi::firstUnrepresentable(path) : culprit),
                       kAddError);
        return;
    }
    const QString display = displayNameOf(name);
    if (accessory) {
        dialog->List2->addItem(SettingsDialog::lineFor(display));
        AccessoryChoice& entry = work.workAccessories[std::size_t(work.workAccessoryCount)];
        entry.name = display;
        entry.picturePath = path;
        work.workAccessoryCount = static_cast<std::int16_t>(work.workAccessoryCount + 1);
    } else {
        dialog->List1->addItem(SettingsDialog::lineFor(display));
        work.workLastKind = static_cast<std::int16_t>(work.workLastKind + 1);
        work.workKinds[std::size_t(work.workLastKind)] = {0, display, path};
    }
    close();
}

void FileChooser::com_Can_Click()
{
    close();
}

void FileChooser::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        com_Can_Click();
        return;
    }
    if (!pressFocusedButtonOnEnter(this, event))
        event->ignore();
}

void FileChooser::closeEvent(QCloseEvent* event)
{
    if (open_) {
        open_ = false;
        deleteOnceNoBoxIsOpen(this);
    }
    event->accept();
}
