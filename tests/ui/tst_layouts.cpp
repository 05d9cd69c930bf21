// The four windows as laid out: every control shows whole inside its
// container, and so does the ink of its caption and of the list's rows;
// bold captions read as bold; fixed, centred frames; the keys the layout
// itself answers (Tab order, Enter, Escape).

#include "ui/AppFonts.h"
#include "ui/FrmEdit.h"
#include "ui/FrmMain.h"
#include "ui/FrmNew.h"
#include "ui/FrmSettings.h"

#include <QtTest>
#include <QtWidgets>

namespace {

std::unique_ptr<QWidget> MakeWindow(const QString& name, QWidget* mainWindow = nullptr)
{
    if (name == "frmMain")
        return std::make_unique<FrmMain>();
    if (name == "frmNew")
        return std::make_unique<FrmNew>(mainWindow);
    if (name == "frmEdit")
        return std::make_unique<FrmEdit>(mainWindow);
    return std::make_unique<FrmSettings>(mainWindow);
}

QString Caption(const QWidget* control)
{
    if (auto* label = qobject_cast<const QLabel*>(control))
        return label->text();
    if (auto* button = qobject_cast<const QAbstractButton*>(control))
        return button->text();
    return QString();
}

// Names the shown widgets below `container` that are not wholly inside the
// part of their container left visible (inside its border; for a group box
// below its title and inside its frame: its contents rectangle), and the
// captions too wide for their control. Their height is a matter of ink
// (windowsShowWhole): a size hint rounds the line up, 19 pixels for the 18
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
    void cleanup()
    {
        for (QWidget* window : QApplication::topLevelWidgets())
            QVERIFY2(!window->isVisible(), qPrintable("left open: " + window->objectName()));
    }

    void windowsShowWhole_data()
    {
        QTest::addColumn<QString>("window");
        for (const char* window : {"frmMain", "frmNew", "frmEdit", "frmSettings"})
            QTest::newRow(window) << window;
    }
    // Fixed in size, without a maximise button, with an icon; the main window
    // centred on the screen, a dialog over the main window wherever that is.
    void windowsShowWhole()
    {
        QFETCH(QString, window);
        FrmMain main;
        main.show();
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY((main.frameGeometry().center() - screen.center()).manhattanLength() <= 2);
        main.move(10, 20);
        const auto dialog = window == "frmMain" ? nullptr : MakeWindow(window, &main);
        QWidget* form = dialog ? dialog.get() : &main;
        form->show();
        QVERIFY((form->frameGeometry().center() - main.frameGeometry().center()).manhattanLength() <= 2);
        QVERIFY(form->minimumSize() == form->maximumSize() && form->size() == form->minimumSize());
        QVERIFY(!(form->windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(!form->windowIcon().isNull());

        QStringList cutOff;
        FindCutOff(form, form->rect(), cutOff);
        if (auto* main = qobject_cast<QMainWindow*>(form)) {
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
            const QRect box(control->mapTo(form, QPoint()), control->size());
            const auto setText = [&](const QString& text) { label ? label->setText(text) : button->setText(text); };
            cutOff << CutOffText(form, box.adjusted(0, -line, 0, line) & form->rect(), setText, control->font(),
                                 control->width(), label ? label->alignment() : Qt::AlignCenter, control->objectName());
        }
        if (auto* main = qobject_cast<FrmMain*>(form)) {
            QTreeWidget* list = main->lstOperator;
            auto* row = new QTreeWidgetItem(list);
            const QRect cell = list->visualItemRect(row);
            const auto setText = [row](const QString& text) { row->setText(1, text); };
            cutOff << CutOffText(form, QRect(list->viewport()->mapTo(form, cell.topLeft()), cell.size()),
                                 setText, list->font(), cell.width(), Qt::AlignLeft, "lstOperator row");
        }
        cutOff.removeAll(QString());
        QVERIFY2(cutOff.isEmpty(), qPrintable(cutOff.join("; ")));
        form->close();
        main.close();
    }

    void boldCaptionsLookBold_data() { windowsShowWhole_data(); }
    void boldCaptionsLookBold()
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
            // Weight the eye can see, not a flag: a bold face that is only
            // wider leaves about as much ink as the regular one.
            const double ratio = double(Ink(control->font(), caption)) / Ink(regular, caption);
            QVERIFY2(ratio > 1.2, qPrintable(QString("%1 \"%2\": %3").arg(control->objectName(), caption).arg(ratio)));
        }
        QVERIFY(bold > 0);
    }

    void keys_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QStringList>("tabOrder"); // from the control focused first
        QTest::addColumn<QString>("defaultButton");
        QTest::newRow("main") << "frmMain"
                              << QStringList{"lstOperator", "cmdStartStop", "cmdNew", "cmdEdit", "cmdDel", "cmdClose"}
                              << "cmdStartStop";
        QTest::newRow("new") << "frmNew" << QStringList{"txtName", "txtSurename", "txtShort", "cmdNew", "cmdClose"}
                             << "cmdNew";
        QTest::newRow("edit") << "frmEdit"
                              << QStringList{"txtName", "txtSurename", "txtShort", "cmdOpEdit", "cmdClose"} << "cmdOpEdit";
        QTest::newRow("settings") << "frmSettings"
                                  << QStringList{"txtAET", "txtIP", "txtPort", "txtLocAET", "txtLocPort", "cmdOK",
                                                 "cmdApply", "cmdClose"}
                                  << "cmdOK";
    }
    // Tab walks the order and wraps round; Enter presses the focused button,
    // elsewhere the default one; Escape closes nothing.
    void keys()
    {
        QFETCH(QString, window);
        QFETCH(QStringList, tabOrder);
        QFETCH(QString, defaultButton);
        const auto form = MakeWindow(window);
        form->show();
        form->activateWindow(); // without a window manager nobody else does
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        QStringList visited{QApplication::focusWidget()->objectName()};
        for (int step = 0; step < tabOrder.size(); ++step) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(visited, tabOrder + QStringList{tabOrder.first()});

        QStringList pressed;
        for (QPushButton* button : form->findChildren<QPushButton*>())
            connect(button, &QPushButton::clicked, this, [&pressed, button] { pressed << button->objectName(); });
        QStringList expected;
        for (const QString& name : tabOrder) {
            QWidget* control = form->findChild<QWidget*>(name);
            control->setFocus();
            QTest::keyClick(control, Qt::Key_Return);
            expected << (qobject_cast<QPushButton*>(control) ? name : defaultButton);
        }
        QCOMPARE(pressed, expected);

        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QVERIFY(form->isVisible());
    }
};

QTEST_MAIN(tst_Layouts)
#include "tst_layouts.moc"
