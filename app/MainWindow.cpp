#include "app/MainWindow.h"

#include "app/Version.h"
#include "dicom/ToolkitServer.h"
#include "operators/DeleteOperator.h"
#include "operators/EditOperatorDialog.h"
#include "operators/NewOperatorDialog.h"
#include "operators/OperatorListView.h"
#include "operators/OperatorStorage.h"
#include "settings/AppPaths.h"
#include "settings/RelaySettings.h"
#include "settings/SettingsDialog.h"
#include "ui/ControlState.h"
#include "ui/FrmMain.h"
#include "ui/MessageBoxes.h"

#include <QAction>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>

namespace {

QString VersionCaption()
{
    return QStringLiteral("Quorin Relay: Version %1.%2.%3").arg(VersionMajor).arg(VersionMinor).arg(VersionRevision);
}

} // namespace

MainWindow::MainWindow(FrmMain& form, MessageBoxes& boxes)
    : m_form(form),
      m_boxes(boxes),
      m_selection(form.lstOperator, form.lblOperator, form.cmdEdit, form.cmdDel),
      m_relay(form.lblOperator, boxes),
      m_startStop({form.cmdStartStop, form.picOp, form.lstOperator}, boxes, [this] { return replaceServer(); })
{
    connect(form.cmdStartStop, &QPushButton::clicked, this, [this] { m_startStop.run(); });
    connect(form.cmdClose, &QPushButton::clicked, &form, &QWidget::close);
    connect(form.mnuClose, &QAction::triggered, &form, &QWidget::close);
    connect(&form, &FrmMain::unloading, this, [this] { unload(); });
    connectDialogs();
}

void MainWindow::connectDialogs()
{
    FrmMain& form = m_form;
    connect(form.cmdNew, &QPushButton::clicked, this, [this] {
        NewOperatorDialog::Show(&m_form, {m_form.lstOperator, m_form.cmdEdit, m_form.cmdDel}, m_boxes);
    });
    connect(form.cmdEdit, &QPushButton::clicked, this,
            [this] { EditOperatorDialog::Show(&m_form, m_form.lstOperator, m_form.lblOperator); });
    connect(form.cmdDel, &QPushButton::clicked, this, [this] {
        DeleteSelectedOperator({m_form.lstOperator, m_form.lblOperator, m_form.cmdEdit, m_form.cmdDel,
                                m_form.cmdStartStop, m_form.picOp},
                               server(), m_boxes);
    });
    connect(form.mnuSettings, &QAction::triggered, this, [this] {
        SettingsDialog::Show(&m_form, {m_form.cmdStartStop, m_form.picOp, [this] { return server(); }}, m_boxes);
    });
}

MainWindow::~MainWindow() = default;

void MainWindow::load()
{
    const qint16 count = ReadOperatorCount(SettingsFilePath());
    m_form.setWindowTitle(VersionCaption());
    SetBackColor(m_form.picOp, ColorRed);
    LoadOperatorRows(m_form.lstOperator, m_form.lblOperator, ReadOperatorEntries(SettingsFilePath(), count));
    if (!QFileInfo::exists(SettingsFilePath()))
        return;
    LoadSettings();
    m_startStop.run();
}

ToolkitServer* MainWindow::replaceServer()
{
    // The new object takes over before the old one is released, so that only
    // the server held here raises images.
    auto server = std::make_unique<ToolkitServer>();
    connect(server.get(), &ToolkitServer::ImageReceivedAsync, &m_relay, &ImageRelay::onImageReceived);
    m_dcmSvr = std::move(server);
    return m_dcmSvr.get();
}

void MainWindow::unload()
{
    // A failed save would silently lose every change of this run: say so.
    if (!WriteOperatorEntries(SettingsFilePath(), CollectOperatorRows(m_form.lstOperator)))
        m_boxes.show(QStringLiteral("Quorin Relay: Fehler"),
                     QStringLiteral("Die Operatorliste konnte nicht gespeichert werden."), MessageIcon::Error);
}
