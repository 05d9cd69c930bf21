#pragma once
// For tests that let the real QMessageBox open: closes the next one with a
// key, as a user would, once it is on screen. The box runs its own event
// loop inside the code under test, so the key is sent from a timer.

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <QtTest>

// Closes the next message box with `key`; `text` receives its text.
inline void CloseNextMessageBoxWith(Qt::Key key, QString* text = nullptr)
{
    auto* poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, key, text] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        poll->deleteLater();
        if (text)
            *text = box->text();
        QTest::keyClick(box, key);
    });
    poll->start(10);
}
