#pragma once
// What the application tests share: a temporary program folder that
// Settings.ini and the log go to, the settings file's bytes, loopback ports,
// and the check that no window was left open.

#include "settings/AppPaths.h"
#include "settings/RelaySettings.h"

#include <QApplication>
#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QWidget>

// Points the program's folder at a fresh temporary folder and empties the
// relay settings; undoes both when it goes.
class AppTestFolder {
public:
    AppTestFolder()
    {
        SetProgramFolderOverride(m_folder.path());
        RelaySettings() = RelaySettingsValues{};
    }
    ~AppTestFolder()
    {
        // A test may have made the file read-only.
        QFile::setPermissions(SettingsFilePath(), QFile::ReadOwner | QFile::WriteOwner);
        SetProgramFolderOverride(QString());
    }
    AppTestFolder(const AppTestFolder&) = delete;
    AppTestFolder& operator=(const AppTestFolder&) = delete;

    bool isValid() const { return m_folder.isValid(); }
    QString path() const { return m_folder.path(); }

    bool writeSettings(const QByteArray& content) const
    {
        QFile file(SettingsFilePath());
        return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
    }

    QByteArray settingsFile() const
    {
        QFile file(SettingsFilePath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private:
    QTemporaryDir m_folder;
};

inline quint16 FreeLoopbackPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

inline bool AcceptsConnections(quint16 port)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    return socket.waitForConnected(2000);
}

inline bool AnyWindowOpen()
{
    const QWidgetList windows = QApplication::topLevelWidgets();
    return std::any_of(windows.cbegin(), windows.cend(), [](const QWidget* w) { return w->isVisible(); });
}
