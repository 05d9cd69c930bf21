#include "ui/FrmMain.h"

#include "ui/AppFonts.h"
#include "ui/AppIcon.h"
#include "ui/ControlFactory.h"
#include "ui/ControlState.h"
#include "ui/Twips.h"
#include "ui/WindowPlacement.h"

#include <QAction>
#include <QCloseEvent>
#include <QFrame>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTreeWidget>
#include <iterator>

namespace {

constexpr int kClientWidth = 7815;  // twips, below the menu bar
constexpr int kClientHeight = 7590;

// name, text, {left, top, width, height}, Tahoma pt, bold, tab index
const ControlDesign kLstOperator{"lstOperator", "", {360, 180, 7080, 4605}, 12, false, 0};
const ControlDesign kCmdStartStop{"cmdStartStop", "Start", {360, 4900, 1500, 500}, 9.75, true, 1};
const ControlDesign kCmdNew{"cmdNew", "Neu", {2790, 4900, 1500, 500}, 9.75, true, 2};
const ControlDesign kCmdEdit{"cmdEdit", "Ändern", {4365, 4905, 1500, 500}, 9.75, true, 3};
const ControlDesign kCmdDel{"cmdDel", "Löschen", {5940, 4900, 1500, 500}, 9.75, true, 4};
const ControlDesign kCmdClose{"cmdClose", "Beenden", {5985, 6930, 1500, 500}, 9.75, true, 5};
const ControlDesign kPicOp{"picOp", "", {360, 5625, 7125, 1140}, 0, false, 6};
const ControlDesign kLabel1{"Label1", "Aktiver Operator:", {45, 0, 2310, 360}, 15, false, 7};
const ControlDesign kLblOperator{"lblOperator", "Kein Operator ausgewählt", {0, 405, 7020, 555}, 24, true, 8};

// Widths were designed in hundredths of a millimetre: 4940, 4940, 1941.
struct ColumnDesign {
    const char* header;
    double widthTwips;
};
const ColumnDesign kColumns[] = {
    {"    Vorname", 2800.6}, // indented against the other headers
    {"Nachname", 2800.6},
    {"Kürzel", 1100.4},
};

// The lamp's labels show its colour through their own background.
void MakeTransparentOnLamp(QLabel* label, QPalette::ColorRole textRole)
{
    label->setAutoFillBackground(false);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, palette.color(textRole));
    label->setPalette(palette);
}

} // namespace

FrmMain::FrmMain(QWidget* parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Quorin - Relay"));
    setWindowIcon(AppIcon());
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
                   | Qt::WindowCloseButtonHint);
    setFont(TahomaFont(8.25));
    buildMenu();
    buildClientArea();
    ChainTabOrder({lstOperator, cmdStartStop, cmdNew, cmdEdit, cmdDel, cmdClose});
    lstOperator->setFocus();
    CentreWhenShown(this, Centring::OnScreenOnce);
}

void FrmMain::buildMenu()
{
    mnuFile = menuBar()->addMenu(QStringLiteral("Datei"));
    mnuFile->setObjectName(QStringLiteral("mnuFile"));
    mnuSave = mnuFile->addAction(QStringLiteral("Speichern"));
    mnuSave->setObjectName(QStringLiteral("mnuSave"));
    mnuSave->setEnabled(false); // the list is saved when the window closes
    mnuClose = mnuFile->addAction(QStringLiteral("Beenden"));
    mnuClose->setObjectName(QStringLiteral("mnuClose"));
    mnuSettings = menuBar()->addAction(QStringLiteral("Einstellungen"));
    mnuSettings->setObjectName(QStringLiteral("mnuSettings"));
}

void FrmMain::buildClientArea()
{
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("frmMainClient"));
    client->setFixedSize(TwipsToPixels(kClientWidth), TwipsToPixels(kClientHeight));
    setCentralWidget(client);
    // The window takes the size of the client area plus the menu bar,
    // whatever height the menu bar's font gives it, and keeps it.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    layout()->activate(); // fix the size before the native window exists
    buildOperatorList(client);
    buildButtons(client);
    buildLamp(client);
}

void FrmMain::buildOperatorList(QWidget* client)
{
    lstOperator = MakeControl<QTreeWidget>(client, kLstOperator);
    lstOperator->setRootIsDecorated(false);
    lstOperator->setUniformRowHeights(true);
    lstOperator->setSortingEnabled(false);
    lstOperator->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lstOperator->setSelectionMode(QAbstractItemView::SingleSelection);
    lstOperator->setSelectionBehavior(QAbstractItemView::SelectRows);
    lstOperator->setColumnCount(std::size(kColumns));
    QStringList headers;
    for (const ColumnDesign& column : kColumns)
        headers << QString::fromUtf8(column.header);
    lstOperator->setHeaderLabels(headers);
    QHeaderView* header = lstOperator->header();
    header->setVisible(true);
    header->setStretchLastSection(false); // the columns leave a gap at the right
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    for (int column = 0; column < int(std::size(kColumns)); ++column)
        lstOperator->setColumnWidth(column, TwipsToPixels(kColumns[column].widthTwips));
}

void FrmMain::buildButtons(QWidget* client)
{
    cmdStartStop = MakeControl<QPushButton>(client, kCmdStartStop);
    cmdNew = MakeControl<QPushButton>(client, kCmdNew);
    cmdEdit = MakeControl<QPushButton>(client, kCmdEdit);
    cmdDel = MakeControl<QPushButton>(client, kCmdDel);
    cmdClose = MakeControl<QPushButton>(client, kCmdClose);
    // Enter on a focused button presses that button; elsewhere it presses
    // the default one (keyPressEvent).
    for (QPushButton* button : {cmdStartStop, cmdNew, cmdEdit, cmdDel, cmdClose})
        button->setAutoDefault(true);
    cmdStartStop->setDefault(true);
}

void FrmMain::buildLamp(QWidget* client)
{
    picOp = MakeControl<QFrame>(client, kPicOp);
    picOp->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    picOp->setLineWidth(2);
    picOp->setAutoFillBackground(true);
    QPalette palette = picOp->palette();
    palette.setColor(QPalette::Window, palette.color(QPalette::Button));
    picOp->setPalette(palette);
    // The frame is set before the labels are placed: they count from inside it.
    Label1 = MakeControl<QLabel>(picOp, kLabel1);
    MakeTransparentOnLamp(Label1, QPalette::ButtonText);
    lblOperator = MakeControl<QLabel>(picOp, kLblOperator);
    lblOperator->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    // 37 pixels for a 39-pixel line at 24 pt (Windows cut off the ends of
    // the descenders there); with Qt's emboldening the ink of "Ölschläger"
    // alone is 38 rows high.
    LetCaptionOverhang(lblOperator);
    MakeTransparentOnLamp(lblOperator, QPalette::WindowText);
}

void FrmMain::closeEvent(QCloseEvent* event)
{
    emit unloading();
    event->accept();
}

void FrmMain::keyPressEvent(QKeyEvent* event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && cmdStartStop->isVisible() && cmdStartStop->isEnabled()) {
        cmdStartStop->click();
        return;
    }
    QMainWindow::keyPressEvent(event);
}
