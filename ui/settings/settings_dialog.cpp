#include "ui/settings/settings_dialog.h"

#include "engine/picture_loader.h"
#include "engine/scene.h"
#include "engine/tank_engine.h"
#include "ui/main/main_window.h"
#include "ui/main/messenger.h"
#include "ui/main/wayland/wayland_fixed_size.h"
#include "ui/main/pixel_ratio_follower.h"
#include "ui/main/whole_pixels.h"
#include "ui/settings/button_keys.h"
#include "ui/settings/frame_margin_watcher.h"
#include "ui/settings/settings_session.h"
#include "ui/settings/spin_scroll_bar.h"
#include "ui/settings/window_owner.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QStyledItemDelegate>
#include <QWindow>

#include <algorithm>
#include <optional>

namespace {
constexpr int kOuterWidth = 300;
constexpr int kOuterHeight = 340;
// However wide the window manager's frame, the two 280-pixel frames and the buttons
// below them must stay inside the dialog.
constexpr int kMinInnerWidth = 290;
constexpr int kMinInnerHeight = 312;

const QString kBuiltInKindLine = QStringLiteral("Pondel");
const QString kComboPrompt = QStringLiteral("ｱｸｾｻﾘｰの位置");

// A rectangle in twips, as the frames' contents are laid out.
struct TwipRect {
    double l, t, w, h;
};

int selectedRow(const QListWidget* list)
{
    const QList<QListWidgetItem*> items = list->selectedItems();
    return items.isEmpty() ? -1 : list->row(items.first());
}

QFont dialogFont(double points, bool bold = false)
{
    QFont f(uiFontFamily());
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

QLabel* makeLabel(const QString& objectName, const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(objectName);
    return label;
}

QLabel* makeValueLabel(const QString& objectName, QWidget* parent)
{
    QLabel* label = makeLabel(objectName, QString(), parent);
    label->setFont(dialogFont(9.75, true));
    label->setAutoFillBackground(true);
    QPalette pal = label->palette();
    pal.setColor(QPalette::Window, Qt::white);
    label->setPalette(pal);
    return label;
}

QPushButton* makeButton(const QString& objectName, const QString& text, QWidget* parent)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(objectName);
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

// Rows of a fixed height, so a list shows as many lines as its height was made for
// whatever the font's own line spacing.
class FixedRowDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    int rowHeight = 12;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setHeight(rowHeight);
        return size;
    }
};

// The frame's line runs through the middle of its title, so the controls placed just
// below the top edge stay clear of it.
QGroupBox* makeFrame(const QString& objectName, const QString& title, QWidget* parent)
{
    auto* frame = new QGroupBox(title, parent);
    frame->setObjectName(objectName);
    frame->setStyleSheet(QStringLiteral("QGroupBox { border: 1px solid palette(mid); margin-top: 6px; }"
                                        "QGroupBox::title { subcontrol-origin: border; left: 7px; top: -7px;"
                                        " padding: 0 1px; }"));
    return frame;
}

QListWidget* makeList(const QString& objectName, QWidget* parent)
{
    auto* list = new QListWidget(parent);
    list->setObjectName(objectName);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setUniformItemSizes(true);
    return list;
}
}  // namespace

void openSettingsDialog(MainWindow& mainFrm)
{
    SettingsSession::of(mainFrm).loadDialog();
}

SettingsDialog::SettingsDialog(SettingsSession& session)
    : QWidget(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                           | Qt::WindowCloseButtonHint),
      session_(session),
      mainFrm_(session.mainFrm()),
      work_(session.work())
{
    setObjectName(QStringLiteral("Set_frm"));
    setWindowTitle(QStringLiteral("設定"));
    setFont(dialogFont(9));
    createControls();
}

void SettingsDialog::createControls()
{
    Fram_Kin = makeFrame(QStringLiteral("Fram_Kin"), QStringLiteral("金魚"), this);
    Lab1 = makeLabel(QStringLiteral("Lab1"), QStringLiteral("金魚の数"), Fram_Kin);
    Lab2 = makeValueLabel(QStringLiteral("Lab2"), Fram_Kin);
    Lab3 = makeLabel(QStringLiteral("Lab3"), QStringLiteral("匹"), Fram_Kin);
    Lab4 = makeLabel(QStringLiteral("Lab4"), QStringLiteral("金魚の種類"), Fram_Kin);
    List1 = makeList(QStringLiteral("List1"), Fram_Kin);
    List1->addItem(kBuiltInKindLine);
    com_KinTui = makeButton(QStringLiteral("com_KinTui"), QStringLiteral("追 加"), Fram_Kin);
    com_Kindel = makeButton(QStringLiteral("com_Kindel"), QStringLiteral("削 除"), Fram_Kin);
    Lab5 = makeValueLabel(QStringLiteral("Lab5"), Fram_Kin);
    VScroll1 = new SpinScrollBar(5, 0, Fram_Kin);
    VScroll1->setObjectName(QStringLiteral("VScroll1"));
    Lab6 = makeLabel(QStringLiteral("Lab6"), QStringLiteral("匹"), Fram_Kin);
    Lab7 = makeLabel(QStringLiteral("Lab7"), QStringLiteral("(1 ～  5 匹)"), Fram_Kin);

    Fram_Acc = makeFrame(QStringLiteral("Fram_Acc"), QStringLiteral("ｱｸｾｻﾘｰ"), this);
    Lab8 = makeLabel(QStringLiteral("Lab8"), QStringLiteral("ｱｸｾｻﾘｰの種類"), Fram_Acc);
    Lab9 = makeLabel(QStringLiteral("Lab9"), QStringLiteral("(1～4)"), Fram_Acc);
    List2 = makeList(QStringLiteral("List2"), Fram_Acc);
    // Four accessories fit its height; a long name is cut short rather than scrolled.
    List2->setItemDelegate(new FixedRowDelegate(List2));
    List2->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    com_AccTui = makeButton(QStringLiteral("com_AccTui"), QStringLiteral("追加"), Fram_Acc);
    com_AccDel = makeButton(QStringLiteral("com_AccDel"), QStringLiteral("削除"), Fram_Acc);
    Combo1 = new QComboBox(Fram_Acc);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    Combo1->setFont(dialogFont(8.25));
    Combo1->setEditable(true);
    Combo1->setInsertPolicy(QComboBox::NoInsert);
    Combo1->setCompleter(nullptr);
    Combo1->addItems({QStringLiteral("左端"), QStringLiteral("中央よりやや左"), QStringLiteral("中央よりやや右"),
                      QStringLiteral("右端")});
    // Only a pick from the list sets a place. The combo box would also take a typed
    // text that matches an entry when editing ends; with its edit field's signals
    // blocked, typing only changes the text shown.
    Combo1->lineEdit()->blockSignals(true);
    Combo1->setCurrentIndex(-1);
    Combo1->setEditText(kComboPrompt);

    com_Set = makeButton(QStringLiteral("com_Set"), QStringLiteral("設定"), this);
    com_Can = makeButton(QStringLiteral("com_Can"), QStringLiteral("ｷｬﾝｾﾙ"), this);

    setTabOrder(com_Set, com_Can);
    setTabOrder(com_Can, List2);
    setTabOrder(List2, com_AccTui);
    setTabOrder(com_AccTui, com_AccDel);
    setTabOrder(com_AccDel, com_KinTui);
    setTabOrder(com_KinTui, VScroll1);
    setTabOrder(VScroll1, List1);
    setTabOrder(List1, com_Kindel);
    setTabOrder(com_Kindel, Combo1);

    // A choice comes by mouse or keyboard; a click on the line already chosen counts too.
    connect(List1, &QListWidget::itemSelectionChanged, this, [this] {
        if (selectedRow(List1) >= 0)
            List1_Click();
    });
    connect(List1, &QListWidget::itemClicked, this, &SettingsDialog::List1_Click);
    connect(VScroll1, &SpinScrollBar::spinValueChanged, this, &SettingsDialog::VScroll1_Change);
    connect(com_Kindel, &QPushButton::clicked, this, &SettingsDialog::com_Kindel_Click);
    connect(com_KinTui, &QPushButton::clicked, this, &SettingsDialog::com_KinTui_Click);
    connect(List2, &QListWidget::itemSelectionChanged, this, [this] {
        if (selectedRow(List2) >= 0)
            List2_Click();
    });
    connect(List2, &QListWidget::itemClicked, this, &SettingsDialog::List2_Click);
    connect(Combo1, &QComboBox::activated, this, &SettingsDialog::Combo1_Click);
    connect(com_AccDel, &QPushButton::clicked, this, &SettingsDialog::com_AccDel_Click);
    connect(com_AccTui, &QPushButton::clicked, this, &SettingsDialog::com_AccTui_Click);
    connect(com_Set, &QPushButton::clicked, this, &SettingsDialog::com_Set_Click);
    connect(com_Can, &QPushButton::clicked, this, &SettingsDialog::com_Can_Click);
}

QString SettingsDialog::lineFor(const QString& name)
{
    return name.isEmpty() ? QStringLiteral("（名前なし）") : name;
}

void SettingsDialog::Form_Load()
{
    open_ = true;
    mainFrm_.setEnabled(false);

    fitOuterSize(FrameMarginWatcher::marginsOf(this));
    centreOnScreen();
    keepFixedSizeWindowsUnmaximized(*this);
    setWindowOwner(*this, mainFrm_);
    // Windows knows the frame once the native window exists: fitted to it before it
    // shows. An X11 window manager tells it only after mapping; the watcher below
    // fits it then.
    if (const QMargins frame = FrameMarginWatcher::marginsOf(this); !frame.isNull()) {
        fitOuterSize(frame);
        centreOnScreen();
    }
    fillFromRecord();

    com_Kindel->setEnabled(false);
    Lab5->setEnabled(false);
    Lab5->clear();
    VScroll1->setEnabled(false);
    com_AccDel->setEnabled(false);
    Combo1->setEnabled(false);

    new FrameMarginWatcher(this, [this](const QMargins& frame) {
        fitOuterSize(frame);
        centreOnScreen();
    });

    show();
    followPixelRatio(*this, [this] { fitOuterSize(FrameMarginWatcher::marginsOf(this)); });
    com_Set->setFocus(Qt::OtherFocusReason);
    activateWindow();
}

void SettingsDialog::fitOuterSize(const QMargins& frame)
{
    const int w = std::max(kOuterWidth - frame.left() - frame.right(), kMinInnerWidth);
    const int h = std::max(kOuterHeight - frame.top() - frame.bottom(), kMinInnerHeight);
    setFixedSize(w, h);
    layoutControls();
}

void SettingsDialog::centreOnScreen()
{
    QScreen* screen = mainFrm_.screen() ? mainFrm_.screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->geometry();
    const QMargins frame = FrameMarginWatcher::marginsOf(this);
    const QSize outer = size().grownBy(frame);
    FrameMarginWatcher::moveFrameTo(
        this, QPoint(area.x() + (area.width() - outer.width()) / 2, area.y() + (area.height() - outer.height()) / 2));
}

void SettingsDialog::layoutControls()
{
    const EngineState& state = mainFrm_.engineState();
    const double tx = state.twipsX > 0 ? state.twipsX : 15;
    const double ty = state.twipsY > 0 ? state.twipsY : 15;
    auto place = [&](QWidget* w, const TwipRect& r) {
        w->setGeometry(nearest(r.l / tx), nearest(r.t / ty), nearest(r.w / tx), nearest(r.h / ty));
    };

    // The frames and the bottom buttons are in pixels, everything inside a frame in
    // twips; most places follow from the control laid out before.
    const int framW = 280;
    const QRect framKin((width() - framW) / 2, 10, framW, 130);
    Fram_Kin->setGeometry(framKin);

    const TwipRect lab1{300, 400, 750, 200};
    const TwipRect lab2{lab1.l + lab1.w + 200, 360, 300, 250};
    const TwipRect lab3{lab2.l + lab2.w + 200, 400, 150, 200};
    const TwipRect lab4{lab1.l, 800, 900, 200};
    const TwipRect list1{lab4.l + lab4.w + 100, 800, 1200, 960};
    const TwipRect kinTui{list1.l + list1.w + 100, 800, 800, 250};
    const TwipRect kinDel{kinTui.l, kinTui.t + kinTui.h + 100, kinTui.w, kinTui.h};
    const TwipRect lab5{list1.l + list1.w + 100, kinDel.t + kinDel.h + 100, 300, 250};
    const double scrollW = 250;
    // The spinner's left edge is the label's left plus the spinner's own width, so it
    // covers the label's last 50 twips.
    const TwipRect scroll{lab5.l + scrollW, lab5.t, scrollW, lab5.h};
    const TwipRect lab6{3200, 1600, lab3.w, lab3.h};
    const TwipRect lab7{lab4.l, lab4.t + lab4.h + 100, lab4.w, lab4.h};
    place(Lab1, lab1);
    place(Lab2, lab2);
    place(Lab3, lab3);
    place(Lab4, lab4);
    place(List1, list1);
    place(com_KinTui, kinTui);
    place(com_Kindel, kinDel);
    place(Lab5, lab5);
    place(VScroll1, scroll);
    place(Lab6, lab6);
    place(Lab7, lab7);

    const QRect framAcc((width() - framW) / 2, framKin.height() + 20, framW, 120);
    Fram_Acc->setGeometry(framAcc);
    // Lab8's top adds the frame's top in pixels to twips, as the dialog always had it.
    const TwipRect lab8{300, framAcc.top() + 100.0, 1200, 200};
    const TwipRect lab9{lab8.l, lab8.t + lab8.h + 100, 850, 200};
    const TwipRect list2{list1.l, lab9.t, 1200, 780};
    const TwipRect accTui{list2.l + list2.w + 100, list2.t, kinTui.w, kinTui.h};
    const TwipRect accDel{accTui.l, accTui.t + accTui.h + 100, kinTui.w, kinTui.h};
    const TwipRect combo{accTui.l, accDel.t + accDel.h + 100, 1500, Combo1->sizeHint().height() * ty};
    place(Lab8, lab8);
    place(Lab9, lab9);
    place(List2, list2);
    place(com_AccTui, accTui);
    place(com_AccDel, accDel);
    place(Combo1, combo);

    // The bottom buttons are 800 x 400 twips, converted to pixels.
    const double setW = 800 / tx;
    const double setH = 400 / ty;
    const double setT = framAcc.top() + framAcc.height() + 10;
    const double setL = 150;
    com_Set->setGeometry(nearest(setL), nearest(setT), nearest(setW), nearest(setH));
    com_Can->setGeometry(nearest(setL + setW + 10), nearest(setT), nearest(setW), nearest(setH));

    placeControlsOnWholePixels(*this);
    // The accessory list's rows share the height it finally has.
    if (auto* rows = dynamic_cast<FixedRowDelegate*>(List2->itemDelegate()))
        rows->rowHeight = std::max(1, (List2->height() - 2 * List2->frameWidth()) / kMaxAccessories);
}

void SettingsDialog::fillFromRecord()
{
    const TankSettings& s = mainFrm_.settings();

    // A damaged record may count beyond the arrays; the lists show what exists.
    work_.workLastKind = static_cast<std::int16_t>(std::clamp<int>(s.lastKind, 0, kMaxKinds - 1));
    work_.workFishTotal = s.fishTotal;
    work_.workKinds = s.kinds;
    work_.workAccessoryCount = static_cast<std::int16_t>(std::clamp<int>(s.accessoryCount, 0, kMaxAccessories));
    for (int a = 0; a < kMaxAccessories; ++a) {
        const AccessorySlot& slot = s.accessories[std::size_t(a)];
        work_.workAccessories[std::size_t(a)] = {slot.name, slot.picturePath, slot.position};
    }

    showLab2();
    // Line 0 is the built-in kind whatever name kind 0 carries.
    for (int i = 1; i <= work_.workLastKind; ++i)
        List1->addItem(lineFor(work_.workKinds[std::size_t(i)].name));
    for (int a = 0; a < work_.workAccessoryCount; ++a)
        List2->addItem(lineFor(work_.workAccessories[std::size_t(a)].name));
}

void SettingsDialog::showLab2()
{
    Lab2->setText(QString::number(work_.workFishTotal));
}

void SettingsDialog::disableKindControls()
{
    {
        const QSignalBlocker block(List1);
        List1->clearSelection();
        List1->setCurrentRow(-1);
    }
    com_Kindel->setEnabled(false);
    VScroll1->setEnabled(false);
    Lab5->setEnabled(false);
}

void SettingsDialog::disableAccessoryControls()
{
    {
        const QSignalBlocker block(List2);
        List2->clearSelection();
        List2->setCurrentRow(-1);
    }
    com_AccDel->setEnabled(false);
    Combo1->setEnabled(false);
    Combo1->setCurrentIndex(-1);
    Combo1->setEditText(kComboPrompt);
}

void SettingsDialog::List1_Click()
{
    const int row = selectedRow(List1);
    if (row < 0)
        return;
    work_.countGuard = 1;
    VScroll1->setEnabled(true);
    Lab5->setEnabled(true);
    com_Kindel->setEnabled(true);
    work_.selectedKind = static_cast<std::int16_t>(row);
    const int count = work_.workKinds[std::size_t(row)].count;
    Lab5->setText(QString::number(count));
    VScroll1->setSpinValue(count);
    work_.countGuard = 0;
}

void SettingsDialog::VScroll1_Change()
{
    if (work_.countGuard == 1)
        return;
    const int kind = work_.selectedKind;
    if (kind < 0 || kind > work_.workLastKind)
        return;
    auto& count = work_.workKinds[std::size_t(kind)].count;
    count = static_cast<std::int16_t>(VScroll1->spinValue());
    Lab5->setText(QString::number(count));

    int total = 0;
    for (int i = 0; i <= work_.workLastKind; ++i)
        total += work_.workKinds[std::size_t(i)].count;
    if (total > kMaxFish) {
        VScroll1->stopRepeating();
        mainFrm_.messenger().show(QStringLiteral("５匹を超えています"), QStringLiteral("ｴﾗｰ"));
        // Never below zero, even when a damaged record already counts too many elsewhere.
        const int lowered = std::max(0, count - (total - kMaxFish));
        total -= count - lowered;
        count = static_cast<std::int16_t>(lowered);
        Lab5->setText(QString::number(count));
    }
    work_.workFishTotal = static_cast<std::int16_t>(total);
    showLab2();
}

void SettingsDialog::com_Kindel_Click()
{
    const int kind = work_.selectedKind;
    if (kind == 0) {
        mainFrm_.messenger().show(QStringLiteral("この金魚のパターンは削除できません"), QStringLiteral("注意"));
        return;
    }
    if (kind < 0 || kind > work_.workLastKind)
        return;
    {
        const QSignalBlocker block(List1);
        delete List1->takeItem(kind);
    }
    work_.workLastKind = static_cast<std::int16_t>(work_.workLastKind - 1);
    // A record whose counts add up to more than its total must not leave a negative one.
    work_.workFishTotal =
        static_cast<std::int16_t>(std::max(0, work_.workFishTotal - work_.workKinds[std::size_t(kind)].count));
    showLab2();
    for (int i = kind; i < kKindEntries - 1; ++i)
        work_.workKinds[std::size_t(i)] = work_.workKinds[std::size_t(i + 1)];
    Lab5->clear();
    disableKindControls();
}

void SettingsDialog::com_KinTui_Click()
{
    work_.chooserMode = 0;
    session_.loadChooser();
}

void SettingsDialog::List2_Click()
{
    const int row = selectedRow(List2);
    if (row < 0)
        return;
    com_AccDel->setEnabled(true);
    Combo1->setEnabled(true);
    work_.selectedAccessory = static_cast<std::int16_t>(row);
    const int position = work_.workAccessories[std::size_t(row)].position;
    if (position >= 0 && position < Combo1->count()) {
        Combo1->setCurrentIndex(position);
    } else {
        Combo1->setCurrentIndex(-1);
        Combo1->setEditText(kComboPrompt);
    }
}

void SettingsDialog::Combo1_Click(int index)
{
    const int a = work_.selectedAccessory;
    if (a < 0 || a >= work_.workAccessoryCount || index < 0 || index > 3)
        return;
    work_.workAccessories[std::size_t(a)].position = static_cast<std::int16_t>(index);
}

void SettingsDialog::com_AccDel_Click()
{
    const int sel = work_.selectedAccessory;
    if (sel < 0 || sel >= work_.workAccessoryCount)
        return;
    {
        const QSignalBlocker block(List2);
        delete List2->takeItem(sel);
    }
    work_.workAccessoryCount = static_cast<std::int16_t>(work_.workAccessoryCount - 1);
    for (int a = sel; a < work_.workAccessoryCount; ++a)
        work_.workAccessories[std::size_t(a)] = work_.workAccessories[std::size_t(a + 1)];
    disableAccessoryControls();
}

void SettingsDialog::com_AccTui_Click()
{
    work_.chooserMode = 1;
    session_.loadChooser();
}

void SettingsDialog::com_Set_Click()
{
    Messenger& messenger = mainFrm_.messenger();
    if (work_.workFishTotal == 0) {
        messenger.show(QStringLiteral("金魚の総数が０になっています"), QStringLiteral("注意"));
        return;
    }
    const int lastKind = std::clamp<int>(work_.workLastKind, 0, kMaxKinds - 1);
    const int accessoryCount = std::clamp<int>(work_.workAccessoryCount, 0, kMaxAccessories);

    // Every picture is read before anything is written, so a file that cannot be read
    // leaves the record and the tank exactly as they were and the dialog open.
    auto refuse = [&](const QString& path, const QString& reason) {
        messenger.show(QStringLiteral("画像「%1」を読み込めません（%2）").arg(path, reason), QStringLiteral("ｴﾗｰ"));
    };
    std::array<std::optional<QImage>, kMaxKinds> patterns;
    for (int i = 1; i <= lastKind; ++i) {
        const QString& path = work_.workKinds[std::size_t(i)].patternPath;
        if (path.isEmpty())
            continue;
        LoadedPicture loaded = loadPicture(path);
        if (!loaded.ok()) {
            refuse(path, loaded.error);
            return;
        }
        patterns[std::size_t(i)] = loaded.image;
    }
    std::array<QImage, kMaxAccessories> sheets;
    for (int a = 0; a < accessoryCount; ++a) {
        const QString& path = work_.workAccessories[std::size_t(a)].picturePath;
        LoadedPicture loaded = loadPicture(path);
        if (!loaded.ok()) {
            refuse(path, loaded.error);
            return;
        }
        sheets[std::size_t(a)] = loaded.image;
    }

    // The fish hidden from sight swim up to this moment with what they had.
    mainFrm_.bringUpToDate();
    TankSettings& s = mainFrm_.settings();
    Scene& scene = mainFrm_.scene();
    s.fishTotal = work_.workFishTotal;
    s.accessoryCount = static_cast<std::int16_t>(accessoryCount);
    s.lastKind = static_cast<std::int16_t>(lastKind);
    int k = 0;
    for (int i = 0; i <= lastKind; ++i) {
        const FishKindEntry& from = work_.workKinds[std::size_t(i)];
        FishKindEntry& to = s.kinds[std::size_t(i)];
        to.count = from.count;
        for (int n = 0; n < to.count && k < kMaxFish; ++n)
            s.fishKindOf[std::size_t(k++)] = static_cast<std::int16_t>(i);
        to.name = from.name;
        if (patterns[std::size_t(i)]) {
            to.patternPath = from.patternPath;
            scene.pat[std::size_t(i)] = *patterns[std::size_t(i)];
        }
    }
    for (int a = 0; a < accessoryCount; ++a) {
        const AccessoryChoice& from = work_.workAccessories[std::size_t(a)];
        AccessorySlot& to = s.accessories[std::size_t(a)];
        to.name = from.name;
        to.picturePath = from.picturePath;
        scene.access[std::size_t(a)] = sheets[std::size_t(a)];
        placeAccessory(to, scene.access[std::size_t(a)], from.position);
    }
    // A tank killed right after applying (power cut, kill -9) still resumes with what
    // was applied. Written before the dialog goes, so once it is gone the file is there.
    mainFrm_.saveSettings();
    close();
}

void SettingsDialog::com_Can_Click()
{
    close();
}

void SettingsDialog::keyPressEvent(QKeyEvent* event)
{
    // Escape stays inert: the edits here are only dropped by "ｷｬﾝｾﾙ" or the close box.
    if (!pressFocusedButtonOnEnter(this, event))
        event->ignore();
}

void SettingsDialog::closeEvent(QCloseEvent* event)
{
    if (open_) {
        open_ = false;
        Form_Unload();
        deleteOnceNoBoxIsOpen(this);
    }
    event->accept();
}

void SettingsDialog::Form_Unload()
{
    mainFrm_.setEnabled(true);
}
