#pragma once
// What the window tests share: the program built as main() builds it, over a
// temporary program folder, with its real message boxes, answered with a key
// as a user does; keys and clicks as a user gives them; driving a modal
// window from inside its own event loop.

#include "app/MainWindowWiring.h"
#include "operators/OperatorListView.h"
#include "settings/AppPaths.h"
#include "settings/RelaySettings.h"
#include "ui/ApplicationLook.h"
#include "ui/FrmMain.h"
#include "ui/MessageBoxes.h"

#include "LoopbackPorts.h"
#include "TestFiles.h"

#include <QtNetwork>
#include <QtTest>
#include <QtWidgets>

// A message box as one line: "title | text | icon", then the buttons as
// shown, "+icon" for one with an icon, unless it is a plain "OK".
inline QString Line(const QMessageBox& box)
{
    QStringList buttons;
    for (const auto which : {QMessageBox::Ok, QMessageBox::Yes, QMessageBox::No})
        if (const QAbstractButton* button = box.button(which))
            buttons << button->text() + (button->icon().isNull() ? "" : "+icon");
    return box.windowTitle() + " | " + box.text() + " | " + QMetaEnum::fromType<QMessageBox::Icon>().valueToKey(box.icon())
           + (buttons == QStringList{"OK"} ? "" : " | " + buttons.join(", "));
}

// Operator rows as one line, a word per row: x ticked or - not, * when
// selected, then its short code, which stands for these names.
inline const QMap<QString, QString> kNames{{"AA", "Anna|Arm"}, {"nn", "|"}, {"CC", "Cleo|Cole"}, {"DD", "Dora|Dux"}, {"lo", "Lo|Wer"}};

// Settings.ini's operator section holding `rows`, the ticked ones with
// `marker`, and empty rows up to `count`.
inline QByteArray Operators(const QString& rows, const QByteArray& marker = "Checked", int count = -1)
{
    const QStringList words = rows.split(' ', Qt::SkipEmptyParts);
    QByteArray section = "[Operator]\r\nOperatorCount=" + QByteArray::number(count < 0 ? words.size() : count) + "\r\n";
    for (int i = 0; i < words.size(); ++i)
        section += "Operator" + QByteArray::number(i + 1) + "=" + (words[i].startsWith('x') ? marker : "") + "|"
                   + (kNames[words[i].right(2)] + "|" + words[i].right(2)).toUtf8() + "\r\n";
    return section;
}

// Types key by key into the focused control, as a user does; unlike
// QTest::keyClicks also characters beyond ASCII (ü, €, Ł). Backspace, Tab,
// Shift+Tab, Enter and Delete ("\b", "\t", "\x0b", "\r", "\x7f") carry a
// control character as their text, as X11 delivers them; so do Ctrl and a
// letter, the other codes up to 26 ("\x16" Ctrl+V, "\x18" Ctrl+X).
inline void TypeText(const QString& text)
{
    for (const QChar c : text) {
        const ushort code = c.unicode();
        const bool ctrl = code >= 1 && code <= 26 && !QStringLiteral("\b\t\x0b\r").contains(c);
        const Qt::Key key = ctrl ? Qt::Key(Qt::Key_A + code - 1) : code == 0x7f ? Qt::Key_Delete : code < 0x80 ? QTest::asciiToKey(char(code)) : Qt::Key_unknown;
        QTest::sendKeyEvent(QTest::Click, QApplication::focusWidget(), key, QString(c), ctrl ? Qt::ControlModifier : Qt::NoModifier);
    }
}

// Activates `window` as a desktop's window manager does when it appears or
// when a message box over it closes.
inline bool Activate(QWidget* window)
{
    window->activateWindow();
    return QTest::qWaitForWindowActive(window);
}

// Steps of WhenModal that have not run (their window never opened); each
// test's cleanup() takes the count, which must be 0.
inline int& PendingModalSteps()
{
    static int pending = 0;
    return pending;
}

// Runs `steps` on the next modal window of type T once it is active, from
// inside its own event loop (dialogs and message boxes run exec()). Whatever
// the steps leave open is closed, so a failed check never hangs the test.
// `mustOpen` false: steps for a window that must not open (a QFAIL).
template <class T, class Steps>
void WhenModal(QObject* owner, Steps steps, bool mustOpen = true)
{
    auto* poll = new QTimer(owner);
    PendingModalSteps() += mustOpen;
    QObject::connect(poll, &QTimer::timeout, poll, [poll, steps, mustOpen] {
        auto* window = qobject_cast<T*>(QApplication::activeModalWidget());
        if (!window || !window->isVisible())
            return;
        poll->stop();
        poll->deleteLater();
        PendingModalSteps() -= mustOpen;
        // The activation of the window that opened this one (a menu just
        // closed, a click) may still be queued; it must not come after.
        QCoreApplication::processEvents();
        if (QTest::qVerify(Activate(window), "Activate(window)", "", __FILE__, __LINE__))
            steps(*window);
        if (window->isVisible())
            window->close();
    });
    poll->start(10);
}

// The program as main() builds it (FrmMain with MainWindowWiring) over a temporary
// program folder (Settings.ini and the log) holding `settingsIni`, none when
// empty. load() runs the load step and shows the window. Every message box
// is activated, recorded in `shown` and answered with a key on the next of
// `answers` (Yes or OK when none is left), unless it is the only one on
// screen and `hold` says to keep it open.
class RelayApp {
public:
    explicit RelayApp(const QByteArray& settingsIni = {}) : wiring(form, settings, qtBoxes)
    {
        SetUpApplicationLook(); // as main() does
        SetProgramFolderOverride(folder.path());
        if (!settingsIni.isEmpty())
            writeSettings(settingsIni);
        QObject::connect(&boxWatch, &QTimer::timeout, &boxWatch, [this] {
            QWidgetList open = QApplication::topLevelWidgets();
            open.removeIf([](const QWidget* w) { return !qobject_cast<const QMessageBox*>(w) || !w->isVisible(); });
            mostBoxes = qMax(mostBoxes, int(open.size()));
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || !box->isVisible() || (open.size() == 1 && hold && hold()))
                return;
            shown << Line(*box);
            windowShownWithBox |= form.isVisible();
            Activate(box);
            const auto answer = !answers.isEmpty() ? answers.dequeue() : box->button(QMessageBox::Yes) ? QMessageBox::Yes : QMessageBox::Ok;
            QTest::keyClick(box->button(answer), Qt::Key_Space);
        });
        boxWatch.start(10);
    }
    ~RelayApp() { SetProgramFolderOverride(QString()); }
    void load()
    {
        wiring.load();
        form.show();
        QVERIFY(Activate(&form));
    }
    void writeSettings(const QByteArray& content) { QVERIFY(TestFiles::Write(SettingsFilePath(), content)); }
    QByteArray settingsFile() const { return TestFiles::Read(SettingsFilePath()); }
    QTreeWidgetItem* row(int index) const { return OperatorRow(form.lstOperator, index); }
    void clickRow(int index, bool checkBox = false) const
    {
        const QRect cell = form.lstOperator->visualItemRect(row(index));
        // The check indicator sits at the left edge of the first cell.
        const QPoint at = checkBox ? QPoint(cell.left() + 10, cell.center().y()) : cell.center();
        QTest::mouseClick(form.lstOperator->viewport(), Qt::LeftButton, {}, at);
    }
    // Clicks `action` where the user sees it: on the menu bar, or in "Datei"
    // opened from the menu bar.
    void choose(QAction* action) const
    {
        QMenuBar* bar = form.menuBar();
        const bool inFile = !bar->actions().contains(action);
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(inFile ? form.mnuFile->menuAction() : action).center());
        if (inFile && QTest::qWaitForWindowExposed(form.mnuFile))
            QTest::mouseClick(form.mnuFile, Qt::LeftButton, {}, form.mnuFile->actionGeometry(action).center());
    }
    // Caption and lamp as the user sees them, the lamp's colour over most of
    // its face and behind its labels, which must not paint their own
    // background; and with `port`, a listener there or none.
    bool listeningShown(bool listening, quint16 port = 0) const
    {
        const QImage lamp = form.picOp->grab().toImage();
        const auto lit = [&](const QRect& area) {
            int pixels = 0;
            for (int y = area.top(); y <= area.bottom(); ++y)
                for (int x = area.left(); x <= area.right(); ++x)
                    pixels += lamp.pixelColor(x, y) == QColor(listening ? Qt::green : Qt::red);
            return pixels > area.width() * area.height() / 2;
        };
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, port);
        return form.cmdStartStop->text() == (listening ? "Stop" : "Start") && lit(form.picOp->contentsRect())
               && lit(form.Label1->geometry()) && lit(form.lblOperator->geometry())
               && (!port || socket.waitForConnected(2000) == listening);
    }

    QTemporaryDir folder;
    QtMessageBoxes qtBoxes;
    FrmMain form;
    RelaySettings settings;
    MainWindowWiring wiring;
    QStringList shown;
    QQueue<QMessageBox::StandardButton> answers;
    std::function<bool()> hold;
    int mostBoxes = 0; // on screen at once
    bool windowShownWithBox = false;
    QTimer boxWatch;
};
