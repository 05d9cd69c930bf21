// The four windows against their designed layout: every control's name,
// kind, text, place, font and tab index, the windows' frames, the menu, the
// list columns, the focus order, and the keys the layout itself answers.

#include "ui/AppFonts.h"
#include "ui/AppIcon.h"
#include "ui/ControlState.h"
#include "ui/FrmEdit.h"
#include "ui/FrmMain.h"
#include "ui/FrmNew.h"
#include "ui/FrmSettings.h"
#include "ui/Twips.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTreeWidget>
#include <memory>

namespace {

struct Twips {
    int left, top, width, height;
};

std::unique_ptr<QWidget> MakeWindow(const QString& name)
{
    if (name == "frmMain")
        return std::make_unique<FrmMain>();
    if (name == "frmNew")
        return std::make_unique<FrmNew>();
    if (name == "frmEdit")
        return std::make_unique<FrmEdit>();
    return std::make_unique<FrmSettings>();
}

// The area that controls without a container are placed in.
QWidget* ClientArea(QWidget* window)
{
    auto* main = qobject_cast<QMainWindow*>(window);
    return main ? main->centralWidget() : window;
}

// By name, and for a control group (Label1) by its index too.
QWidget* FindControl(QWidget* window, const QString& name, int index = -1)
{
    for (QWidget* control : window->findChildren<QWidget*>(name)) {
        if (index < 0 || control->property("index") == index)
            return control;
    }
    return nullptr;
}

QString DesignText(const QWidget* control)
{
    if (auto* label = qobject_cast<const QLabel*>(control))
        return label->text();
    if (auto* button = qobject_cast<const QAbstractButton*>(control))
        return button->text();
    if (auto* box = qobject_cast<const QLineEdit*>(control))
        return box->text();
    if (auto* group = qobject_cast<const QGroupBox*>(control))
        return group->title();
    return QString();
}

void ShowActive(QWidget* window)
{
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    window->activateWindow(); // without a window manager nobody else does
    QVERIFY(QTest::qWaitForWindowActive(window));
}

void AddControl(const char* window, const char* name, int index, const char* kind, const char* container,
                const char* text, Twips box, double pointSize, bool bold, int tabIndex, bool visible = true)
{
    QString row = QString("%1/%2").arg(window, name);
    if (index >= 0)
        row += QString("(%1)").arg(index);
    QTest::newRow(qPrintable(row)) << QString(window) << QString(name) << index << QString(kind) << QString(container)
                                   << QString::fromUtf8(text) << TwipsRect(box.left, box.top, box.width, box.height)
                                   << pointSize << bold << tabIndex << visible;
}

void AddMainWindowControls()
{
    AddControl("frmMain", "lstOperator", -1, "QTreeWidget", "", "", {360, 180, 7080, 4605}, 12, false, 0);
    AddControl("frmMain", "cmdStartStop", -1, "QPushButton", "", "Start", {360, 4900, 1500, 500}, 9.75, true, 1);
    AddControl("frmMain", "cmdNew", -1, "QPushButton", "", "Neu", {2790, 4900, 1500, 500}, 9.75, true, 2);
    AddControl("frmMain", "cmdEdit", -1, "QPushButton", "", "Ändern", {4365, 4905, 1500, 500}, 9.75, true, 3);
    AddControl("frmMain", "cmdDel", -1, "QPushButton", "", "Löschen", {5940, 4900, 1500, 500}, 9.75, true, 4);
    AddControl("frmMain", "cmdClose", -1, "QPushButton", "", "Beenden", {5985, 6930, 1500, 500}, 9.75, true, 5);
    AddControl("frmMain", "picOp", -1, "QFrame", "", "", {360, 5625, 7125, 1140}, 0, false, 6);
    AddControl("frmMain", "Label1", -1, "QLabel", "picOp", "Aktiver Operator:", {45, 0, 2310, 360}, 15, false, 7);
    AddControl("frmMain", "lblOperator", -1, "QLabel", "picOp", "Kein Operator ausgewählt", {0, 405, 7020, 555}, 24,
               true, 8);
}

// The two operator dialogs share their controls; only the primary button
// and the labels' tab indices differ.
void AddOperatorDialogControls(const char* dialog, const char* primary, const char* primaryText, int firstNameTab,
                               int surnameTab)
{
    AddControl(dialog, "Picture1", -1, "QWidget", "", "", {45, 45, 5100, 2805}, 0, false, 0);
    AddControl(dialog, "Label1", 0, "QLabel", "Picture1", "Vorname:", {135, 90, 1065, 270}, 11.25, true, firstNameTab);
    AddControl(dialog, "txtName", -1, "QLineEdit", "Picture1", "", {135, 405, 3660, 390}, 11.25, false, 1);
    AddControl(dialog, "Label1", 2, "QLabel", "Picture1", "Nachname:", {135, 1125, 1245, 270}, 11.25, true, surnameTab);
    AddControl(dialog, "txtSurename", -1, "QLineEdit", "Picture1", "", {135, 1440, 3660, 390}, 11.25, false, 2);
    AddControl(dialog, "Label1", 1, "QLabel", "Picture1", "Kürzel", {4140, 1125, 720, 270}, 11.25, true, 7);
    AddControl(dialog, "txtShort", -1, "QLineEdit", "Picture1", "", {4140, 1440, 825, 390}, 11.25, false, 3);
    AddControl(dialog, primary, -1, "QPushButton", "Picture1", primaryText, {1845, 2160, 1500, 500}, 11.25, true, 4);
    AddControl(dialog, "cmdClose", -1, "QPushButton", "Picture1", "Abbrechen", {3465, 2160, 1500, 500}, 11.25, true, 5);
}

void AddSettingsControls()
{
    const char* s = "frmSettings";
    AddControl(s, "Frame1", -1, "QGroupBox", "", "Archiv", {135, 135, 3210, 2220}, 12, false, 0);
    AddControl(s, "Picture1", -1, "QWidget", "Frame1", "", {90, 315, 2895, 1635}, 0, false, 9);
    AddControl(s, "Label1", 0, "QLabel", "Picture1", "AET:", {45, 180, 495, 270}, 11.25, true, 10);
    AddControl(s, "txtAET", -1, "QLineEdit", "Picture1", "", {45, 495, 2850, 330}, 11.25, false, 1);
    AddControl(s, "Label1", 1, "QLabel", "Picture1", "IP:", {45, 945, 330, 270}, 11.25, true, 11);
    AddControl(s, "txtIP", -1, "QLineEdit", "Picture1", "", {45, 1260, 1725, 330}, 11.25, false, 2);
    AddControl(s, "Label1", 2, "QLabel", "Picture1", "Port:", {2160, 945, 555, 270}, 11.25, true, 12);
    AddControl(s, "txtPort", -1, "QLineEdit", "Picture1", "", {2160, 1245, 690, 345}, 11.25, false, 3);
    AddControl(s, "Frame2", -1, "QGroupBox", "", "Lokal", {3420, 135, 3255, 2220}, 12, false, 13);
    AddControl(s, "Picture2", -1, "QWidget", "Frame2", "", {90, 270, 2985, 1770}, 0, false, 14);
    AddControl(s, "Label1", 3, "QLabel", "Picture2", "AET:", {45, 225, 495, 270}, 11.25, true, 15);
    AddControl(s, "txtLocAET", -1, "QLineEdit", "Picture2", "", {45, 540, 2040, 330}, 11.25, false, 4);
    AddControl(s, "lblPort", -1, "QLabel", "Picture2", "Port:", {2295, 225, 555, 270}, 11.25, true, 16);
    AddControl(s, "txtLocPort", -1, "QLineEdit", "Picture2", "", {2295, 540, 690, 330}, 11.25, false, 5);
    AddControl(s, "chkDebug", -1, "QCheckBox", "Picture2", "Debug", {45, 1305, 1230, 330}, 11.25, true, 17, false);
    AddControl(s, "cmdOK", -1, "QPushButton", "", "OK", {2115, 2790, 1500, 500}, 9.75, true, 6);
    AddControl(s, "cmdClose", -1, "QPushButton", "", "Abbrechen", {3690, 2790, 1500, 500}, 9.75, true, 8);
    AddControl(s, "cmdApply", -1, "QPushButton", "", "Übernehmen", {5265, 2790, 1500, 500}, 9.75, true, 7);
}

} // namespace

class tst_Layouts : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { RegisterTahoma(); }
    void cleanup();

    void controls_data();
    void controls();
    void controlGroupsMatchTheirArrays();
    void windowFrames_data();
    void windowFrames();
    void mainWindowMenu();
    void operatorListColumns();
    void focusRunsInTabOrder_data();
    void focusRunsInTabOrder();
    void enterPressesTheRightButton_data();
    void enterPressesTheRightButton();
    void escapeKeepsDialogOpen_data();
    void escapeKeepsDialogOpen();
    void lampColourShowsBehindLabels_data();
    void lampColourShowsBehindLabels();
    void lampAndOperatorStartAsDesigned();
    void windowsAreCentred();
    void portBoxesShowLongValues();
    void closingMainWindowAnnouncesUnload();
    void backColorConvertsWindowsColours_data();
    void backColorConvertsWindowsColours();
    void tahomaIsAvailable();
};

void tst_Layouts::cleanup()
{
    QStringList leftOpen;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isVisible()) {
            leftOpen << window->objectName();
            window->close();
        }
    }
    QVERIFY2(leftOpen.isEmpty(), qPrintable("left open: " + leftOpen.join(", ")));
}

void tst_Layouts::controls_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("container");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<double>("pointSize");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<int>("tabIndex");
    QTest::addColumn<bool>("visible");
    AddMainWindowControls();
    AddOperatorDialogControls("frmNew", "cmdNew", "Anlegen", 6, 8);
    AddOperatorDialogControls("frmEdit", "cmdOpEdit", "Ändern", 8, 6);
    AddSettingsControls();
}

void tst_Layouts::controls()
{
    QFETCH(QString, window);
    QFETCH(QString, name);
    QFETCH(int, index);
    QFETCH(QString, kind);
    QFETCH(QString, container);
    QFETCH(QString, text);
    QFETCH(QRect, geometry);
    QFETCH(double, pointSize);
    QFETCH(bool, bold);
    QFETCH(int, tabIndex);
    QFETCH(bool, visible);

    const auto form = MakeWindow(window);
    form->show();
    QWidget* control = FindControl(form.get(), name, index);
    QVERIFY(control);
    QCOMPARE(control->metaObject()->className(), kind);
    QWidget* expectedParent = container.isEmpty() ? ClientArea(form.get()) : FindControl(form.get(), container);
    QCOMPARE(control->parentWidget(), expectedParent);
    QCOMPARE(DesignText(control), text);
    // Counted from the container's client area, inside any border it has.
    QCOMPARE(control->geometry(), geometry.translated(expectedParent->contentsRect().topLeft()));
    if (pointSize > 0) {
        QCOMPARE(control->font().family(), QString("Tahoma"));
        QCOMPARE(control->font().pointSizeF(), pointSize);
        QCOMPARE(control->font().bold(), bold);
    }
    QCOMPARE(control->property("tabIndex").toInt(), tabIndex);
    QCOMPARE(control->isVisible(), visible);
    QVERIFY(control->isEnabled());
}

void tst_Layouts::controlGroupsMatchTheirArrays()
{
    FrmNew frmNew;
    FrmEdit frmEdit;
    FrmSettings frmSettings;
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(frmNew.Label1[i], FindControl(&frmNew, "Label1", i));
        QCOMPARE(frmEdit.Label1[i], FindControl(&frmEdit, "Label1", i));
    }
    for (int i = 0; i < 4; ++i)
        QCOMPARE(frmSettings.Label1[i], FindControl(&frmSettings, "Label1", i));
}

void tst_Layouts::windowFrames_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QSize>("clientSize");
    QTest::addColumn<double>("fontSize");
    QTest::addColumn<bool>("minimisable");
    QTest::newRow("main") << "frmMain" << "Quorin - Relay" << QSize(521, 506) << 8.25 << true;
    QTest::newRow("new") << "frmNew" << "Neu anlegen" << QSize(346, 193) << 9.75 << false;
    QTest::newRow("edit") << "frmEdit" << "Operator ändern" << QSize(347, 194) << 9.75 << false;
    QTest::newRow("settings") << "frmSettings" << "Einstellungen" << QSize(452, 225) << 8.25 << false;
}

void tst_Layouts::windowFrames()
{
    QFETCH(QString, window);
    QFETCH(QString, caption);
    QFETCH(QSize, clientSize);
    QFETCH(double, fontSize);
    QFETCH(bool, minimisable);

    const auto form = MakeWindow(window);
    form->show();
    QCOMPARE(form->objectName(), window);
    QCOMPARE(form->windowTitle(), caption);
    QVERIFY(!form->windowIcon().isNull());
    QCOMPARE(ClientArea(form.get())->size(), clientSize);
    QCOMPARE(form->minimumSize(), form->maximumSize());
    QCOMPARE(form->size(), form->minimumSize());
    const Qt::WindowFlags flags = form->windowFlags();
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QCOMPARE(bool(flags & Qt::WindowMinimizeButtonHint), minimisable);
    QCOMPARE(form->font().pointSizeF(), fontSize);
    if (auto* dialog = qobject_cast<QDialog*>(form.get()))
        QVERIFY(dialog->isModal());
    else // the client area lies below the menu bar
        QCOMPARE(form->height(), static_cast<QMainWindow*>(form.get())->menuBar()->height() + clientSize.height());
    QVERIFY(AppIcon().availableSizes().contains(QSize(32, 32)));
}

void tst_Layouts::mainWindowMenu()
{
    FrmMain form;
    QCOMPARE(form.menuBar()->actions(), (QList<QAction*>{form.mnuFile->menuAction(), form.mnuSettings}));
    QCOMPARE(form.mnuFile->objectName(), QString("mnuFile"));
    QCOMPARE(form.mnuFile->title(), QString("Datei"));
    QCOMPARE(form.mnuFile->actions(), (QList<QAction*>{form.mnuSave, form.mnuClose}));
    QCOMPARE(form.findChild<QAction*>("mnuSave"), form.mnuSave);
    QCOMPARE(form.findChild<QAction*>("mnuClose"), form.mnuClose);
    QCOMPARE(form.findChild<QAction*>("mnuSettings"), form.mnuSettings);
    QCOMPARE(form.mnuSave->text(), QString("Speichern"));
    QCOMPARE(form.mnuClose->text(), QString("Beenden"));
    QCOMPARE(form.mnuSettings->text(), QString("Einstellungen"));
    QVERIFY(!form.mnuSave->isEnabled());
    QVERIFY(!form.mnuSettings->menu());
    for (QAction* action : {form.mnuSave, form.mnuClose, form.mnuSettings})
        QVERIFY(action->shortcut().isEmpty());
}

void tst_Layouts::operatorListColumns()
{
    FrmMain form;
    form.show();
    QTreeWidget* list = form.lstOperator;
    QCOMPARE(list->columnCount(), 3);
    const QStringList headers{"    Vorname", "Nachname", "Kürzel"};
    const double widths[] = {2800.6, 2800.6, 1100.4};
    for (int column = 0; column < 3; ++column) {
        QCOMPARE(list->headerItem()->text(column), headers[column]);
        QCOMPARE(list->columnWidth(column), TwipsToPixels(widths[column]));
    }
    QVERIFY(!list->isHeaderHidden());
    QVERIFY(!list->rootIsDecorated());
    QVERIFY(!list->isSortingEnabled());
    QVERIFY(list->header()->defaultAlignment() & Qt::AlignLeft);
    QCOMPARE(list->topLevelItemCount(), 0);
}

void tst_Layouts::focusRunsInTabOrder_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QStringList>("order"); // from the control focused first
    QTest::newRow("main") << "frmMain"
                          << QStringList{"lstOperator", "cmdStartStop", "cmdNew", "cmdEdit", "cmdDel", "cmdClose"};
    QTest::newRow("new") << "frmNew" << QStringList{"txtName", "txtSurename", "txtShort", "cmdNew", "cmdClose"};
    QTest::newRow("edit") << "frmEdit" << QStringList{"txtName", "txtSurename", "txtShort", "cmdOpEdit", "cmdClose"};
    QTest::newRow("settings") << "frmSettings"
                              << QStringList{"txtAET", "txtIP", "txtPort", "txtLocAET", "txtLocPort",
                                             "cmdOK", "cmdApply", "cmdClose"};
}

void tst_Layouts::focusRunsInTabOrder()
{
    QFETCH(QString, window);
    QFETCH(QStringList, order);

    const auto form = MakeWindow(window);
    ShowActive(form.get());
    QStringList visited{QApplication::focusWidget()->objectName()};
    for (int step = 0; step < order.size(); ++step) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(visited, order + QStringList{order.first()}); // Tab wraps round
}

void tst_Layouts::enterPressesTheRightButton_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("focused");
    QTest::addColumn<QString>("pressed");
    QTest::newRow("main list") << "frmMain" << "lstOperator" << "cmdStartStop";
    QTest::newRow("main focused button") << "frmMain" << "cmdNew" << "cmdNew";
    for (const char* box : {"txtName", "txtSurename", "txtShort"}) {
        QTest::addRow("new %s", box) << "frmNew" << box << "cmdNew";
        QTest::addRow("edit %s", box) << "frmEdit" << box << "cmdOpEdit";
    }
    QTest::newRow("new focused close") << "frmNew" << "cmdClose" << "cmdClose";
    for (const char* box : {"txtAET", "txtIP", "txtPort", "txtLocAET", "txtLocPort"})
        QTest::addRow("settings %s", box) << "frmSettings" << box << "cmdOK";
    QTest::newRow("settings focused apply") << "frmSettings" << "cmdApply" << "cmdApply";
}

void tst_Layouts::enterPressesTheRightButton()
{
    QFETCH(QString, window);
    QFETCH(QString, focused);
    QFETCH(QString, pressed);

    const auto form = MakeWindow(window);
    ShowActive(form.get());
    QWidget* target = FindControl(form.get(), focused);
    target->setFocus();
    QMap<QString, int> clicks;
    for (QPushButton* button : form->findChildren<QPushButton*>())
        connect(button, &QPushButton::clicked, this, [&clicks, button] { ++clicks[button->objectName()]; });
    QTest::keyClick(target, Qt::Key_Return);
    QCOMPARE(clicks, (QMap<QString, int>{{pressed, 1}}));
}

void tst_Layouts::escapeKeepsDialogOpen_data()
{
    QTest::addColumn<QString>("window");
    QTest::newRow("new") << "frmNew";
    QTest::newRow("edit") << "frmEdit";
    QTest::newRow("settings") << "frmSettings";
}

void tst_Layouts::escapeKeepsDialogOpen()
{
    QFETCH(QString, window);
    const auto form = MakeWindow(window);
    ShowActive(form.get());
    QSignalSpy rejected(form.get(), SIGNAL(rejected()));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QVERIFY(form->isVisible());
    QCOMPARE(rejected.count(), 0);
    form->close();
}

void tst_Layouts::lampColourShowsBehindLabels_data()
{
    QTest::addColumn<int>("windowsColor");
    QTest::newRow("red") << ColorRed;
    QTest::newRow("green") << ColorGreen;
}

void tst_Layouts::lampColourShowsBehindLabels()
{
    QFETCH(int, windowsColor);
    FrmMain form;
    form.show();
    SetBackColor(form.picOp, windowsColor);
    const QImage lamp = form.picOp->grab().toImage();
    const QColor expected = form.picOp->palette().color(QPalette::Window);
    // A label that painted its own background would hide the lamp colour.
    for (const QLabel* label : {form.Label1, form.lblOperator}) {
        const QRect area = label->geometry();
        int lampPixels = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                lampPixels += lamp.pixelColor(x, y) == expected;
        QVERIFY2(lampPixels > area.width() * area.height() / 2, qPrintable(label->objectName()));
    }
}

void tst_Layouts::lampAndOperatorStartAsDesigned()
{
    FrmMain form;
    QCOMPARE(form.picOp->frameShape(), QFrame::Panel);
    QCOMPARE(form.picOp->frameShadow(), QFrame::Sunken);
    QCOMPARE(form.picOp->palette().color(QPalette::Window), form.palette().color(QPalette::Button));
    QCOMPARE(BackColor(form.picOp), -1);
    QCOMPARE(form.Label1->palette().color(QPalette::WindowText), form.palette().color(QPalette::ButtonText));
    QVERIFY(form.lblOperator->alignment() & Qt::AlignHCenter);
    QCOMPARE(Tag(form.lblOperator), QString());
    QVERIFY(form.cmdStartStop->isDefault());

    FrmSettings settings;
    QVERIFY(!settings.chkDebug->isChecked());
    QVERIFY(settings.cmdOK->isDefault());
}

void tst_Layouts::windowsAreCentred()
{
    FrmMain form;
    form.show();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QVERIFY((form.frameGeometry().center() - screen.center()).manhattanLength() <= 2);

    form.move(10, 20);
    FrmSettings dialog(&form);
    dialog.show();
    QVERIFY((dialog.frameGeometry().center() - form.frameGeometry().center()).manhattanLength() <= 2);
    dialog.close();
    form.close();
}

void tst_Layouts::portBoxesShowLongValues()
{
    // The four-character limit is for typing only; a loaded value shows whole.
    FrmSettings form;
    for (QLineEdit* box : {form.txtPort, form.txtLocPort}) {
        box->setText("104104");
        QCOMPARE(box->text(), QString("104104"));
    }
}

void tst_Layouts::closingMainWindowAnnouncesUnload()
{
    FrmMain form;
    form.show();
    QSignalSpy unloading(&form, &FrmMain::unloading);
    QVERIFY(form.close());
    QCOMPARE(unloading.count(), 1);
    QVERIFY(!form.isVisible());
}

void tst_Layouts::backColorConvertsWindowsColours_data()
{
    QTest::addColumn<int>("windowsColor");
    QTest::addColumn<QColor>("color");
    QTest::newRow("red") << ColorRed << QColor(255, 0, 0);
    QTest::newRow("green") << ColorGreen << QColor(0, 255, 0);
    QTest::newRow("blue") << 0xFF0000 << QColor(0, 0, 255);
    QTest::newRow("mixed") << 0x804020 << QColor(0x20, 0x40, 0x80);
}

void tst_Layouts::backColorConvertsWindowsColours()
{
    QFETCH(int, windowsColor);
    QFETCH(QColor, color);
    QWidget panel;
    SetBackColor(&panel, windowsColor);
    QCOMPARE(panel.palette().color(QPalette::Window), color);
    QVERIFY(panel.autoFillBackground());
    QCOMPARE(BackColor(&panel), windowsColor);
}

void tst_Layouts::tahomaIsAvailable()
{
    if (!QFile::exists("/usr/share/wine/fonts/tahoma.ttf"))
        QSKIP("no Tahoma-compatible font on this machine");
    QCOMPARE(QFontInfo(TahomaFont(9.75)).family(), QString("Tahoma"));
    QVERIFY(QFontInfo(TahomaFont(9.75, true)).bold());
}

QTEST_MAIN(tst_Layouts)
#include "tst_layouts.moc"
