// The four windows as laid out: every control shows whole inside its
// container, and so does the ink of its caption and of the list's rows;
// bold captions read as bold, the windows' frames, the menu, the
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
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTreeWidget>
#include <functional>
#include <memory>

namespace {

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

QString Caption(const QWidget* control)
{
    if (auto* label = qobject_cast<const QLabel*>(control))
        return label->text();
    if (auto* button = qobject_cast<const QAbstractButton*>(control))
        return button->text();
    return QString();
}

void ShowActive(QWidget* window)
{
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    window->activateWindow(); // without a window manager nobody else does
    QVERIFY(QTest::qWaitForWindowActive(window));
}

// Names the shown widgets below `container` that are not wholly inside the
// part of their container left visible (inside its border; for a group box
// below its title and inside its frame: its contents rectangle), and the
// captions too wide for their control. Their height is a matter of ink
// (controlsShowWhole): a size hint rounds the line up, 19 pixels for the 18
// of 11.25 pt. `visible` is what the containers above leave visible, in
// window coordinates. A bare panel paints nothing of its own and may overlap
// its container's edge, but it still clips what it holds.
void FindCutOff(const QWidget* container, const QRect& visible, QStringList& cutOff)
{
    const QRect area = container->contentsRect().translated(container->mapTo(container->window(), QPoint()));
    for (const QWidget* child : container->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child->isWindow() || child->isHidden())
            continue;
        const QRect place(child->mapTo(child->window(), QPoint()), child->size());
        const bool bare = child->metaObject() == &QWidget::staticMetaObject && !child->autoFillBackground();
        if (!bare && !(area & visible).contains(place))
            cutOff << QString("%1 %2 outside %3").arg(child->objectName()).arg(QDebug::toString(place),
                                                                             QDebug::toString(area & visible));
        const QSize needed = child->sizeHint();
        if (!Caption(child).isEmpty() && needed.width() > child->width())
            cutOff << QString("%1 \"%2\" needs %3").arg(child->objectName(), Caption(child), QDebug::toString(needed));
        FindCutOff(child, area & visible & place, cutOff);
    }
}

// Darkness of a text drawn black on white.
qint64 Ink(const QFont& font, const QString& text)
{
    const QFontMetrics metrics(font);
    QImage image(metrics.horizontalAdvance(text) + 2 * metrics.height(), 2 * metrics.height(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(image.rect(), Qt::AlignCenter, text);
    painter.end();
    qint64 ink = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ink += 255 - qGray(image.pixel(x, y));
    return ink;
}

// Rows in which two pictures of the same place differ clearly: the rows of
// ink a text adds there.
int InkRows(const QImage& with, const QImage& without)
{
    int rows = 0;
    for (int y = 0; y < with.height(); ++y) {
        int x = 0;
        while (x < with.width() && qAbs(qGray(with.pixel(x, y)) - qGray(without.pixel(x, y))) < 64)
            ++x;
        rows += x < with.width();
    }
    return rows;
}

// Names a text that reaches highest and lowest unless setting it adds as
// many rows of ink to `area` of the window as it takes drawn with room above
// and below, `width` wide.
QString CutOffText(QWidget* window, const QRect& area, const std::function<void(const QString&)>& setText,
                   const QFont& font, int width, Qt::Alignment alignment, const QString& name)
{
    const QString text = QStringLiteral("ÖÜÄÉ gjpy");
    setText(QString());
    const QImage without = window->grab(area).toImage();
    setText(text);
    const int shown = InkRows(window->grab(area).toImage(), without);
    const int line = QFontMetrics(font).height();
    QImage blank(width, 3 * line, QImage::Format_RGB32);
    blank.fill(Qt::white);
    QImage free = blank;
    QPainter painter(&free);
    painter.setFont(font);
    painter.drawText(QRect(0, line, width, line), int(alignment) | Qt::TextDontClip, text); // cut at the sides only
    painter.end();
    const int whole = InkRows(free, blank);
    return shown == whole ? QString() : QString("%1: %2 of %3 rows").arg(name).arg(shown).arg(whole);
}

} // namespace

class tst_Layouts : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { RegisterTahoma(); }
    void cleanup();

    void controlsShowWhole_data();
    void controlsShowWhole();
    void boldCaptionsLookBold_data();
    void boldCaptionsLookBold();
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

void tst_Layouts::controlsShowWhole_data()
{
    QTest::addColumn<QString>("window");
    for (const char* window : {"frmMain", "frmNew", "frmEdit", "frmSettings"})
        QTest::newRow(window) << window;
}

void tst_Layouts::controlsShowWhole()
{
    QFETCH(QString, window);
    const auto form = MakeWindow(window);
    form->show();
    QStringList cutOff;
    FindCutOff(form.get(), form->rect(), cutOff);
    if (auto* main = qobject_cast<QMainWindow*>(form.get())) {
        for (QAction* action : main->menuBar()->actions()) {
            if (!main->menuBar()->rect().contains(main->menuBar()->actionGeometry(action)))
                cutOff << "menu " + action->text();
        }
    }
    // The dots and accents of capitals and the descenders: a caption may
    // reach past its box, but not be cut off at it.
    for (QWidget* control : form->findChildren<QWidget*>()) {
        auto* label = qobject_cast<QLabel*>(control);
        auto* button = qobject_cast<QAbstractButton*>(control);
        if ((!label && !button) || !control->isVisible())
            continue;
        const int line = control->fontMetrics().height();
        const QRect box(control->mapTo(form.get(), QPoint()), control->size());
        const auto setText = [&](const QString& text) { label ? label->setText(text) : button->setText(text); };
        cutOff << CutOffText(form.get(), box.adjusted(0, -line, 0, line) & form->rect(), setText, control->font(),
                             control->width(), label ? label->alignment() : Qt::AlignCenter, control->objectName());
    }
    if (auto* main = qobject_cast<FrmMain*>(form.get())) {
        QTreeWidget* list = main->lstOperator;
        auto* row = new QTreeWidgetItem(list);
        const QRect cell = list->visualItemRect(row);
        const auto setText = [row](const QString& text) { row->setText(1, text); };
        cutOff << CutOffText(form.get(), QRect(list->viewport()->mapTo(form.get(), cell.topLeft()), cell.size()),
                             setText, list->font(), cell.width(), Qt::AlignLeft, "lstOperator row");
    }
    cutOff.removeAll(QString());
    QVERIFY2(cutOff.isEmpty(), qPrintable(cutOff.join("; ")));
}

void tst_Layouts::boldCaptionsLookBold_data()
{
    controlsShowWhole_data();
}

void tst_Layouts::boldCaptionsLookBold()
{
    QFETCH(QString, window);
    const auto form = MakeWindow(window);
    int bold = 0;
    for (const QWidget* control : form->findChildren<QWidget*>()) {
        const QString caption = Caption(control);
        if (!control->font().bold() || caption.isEmpty())
            continue;
        ++bold;
        QFont regular = control->font();
        regular.setBold(false);
        // Weight the eye can see, not a flag: a bold face that is only wider
        // leaves about as much ink as the regular one.
        const double ratio = double(Ink(control->font(), caption)) / Ink(regular, caption);
        QVERIFY2(ratio > 1.2, qPrintable(QString("%1 \"%2\": %3").arg(control->objectName(), caption).arg(ratio)));
    }
    QVERIFY(bold > 0);
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

QTEST_MAIN(tst_Layouts)
#include "tst_layouts.moc"
