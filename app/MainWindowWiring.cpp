#include "app/MainWindowWiring.h"

#include "app/Version.h"
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

const QString kNoOperatorCaption = QStringLiteral("Kein Operator ausgewählt");

QString VersionCaption()
{
    return QStringLiteral("Quorin Relay: Version %1.%2.%3").arg(kVersionMajor).arg(kVersionMinor).arg(kVersionRevision);
}

void ShowListening(FrmMain& form, bool listening)
{
    SetBackColor(form.picOp, listening ? kColorGreen : kColorRed);
    form.cmdStartStop->setText(listening ? QStringLiteral("Stop") : QStringLiteral("Start"));
}

void ShowOperatorOnDuty(FrmMain& form, const RelayStation& station)
{
    form.lblOperator->setText(station.hasOperatorOnDuty() ? station.operatorName() : kNoOperatorCaption);
}

} // namespace

void FollowRelayStation(const RelayStation& station, FrmMain& form)
{
    ShowListening(form, station.isListening());
    ShowOperatorOnDuty(form, station);
    QObject::connect(&station, &RelayStation::listeningChanged, &form,
                     [&form](bool listening) { ShowListening(form, listening); });
    QObject::connect(&station, &RelayStation::operatorOnDutyChanged, &form,
                     [&form, &station] { ShowOperatorOnDuty(form, station); });
}

MainWindowWiring::MainWindowWiring(FrmMain& form, RelaySettings& settings, MessageBoxes& boxes)
    : m_form(form),
      m_boxes(boxes),
      m_settings(settings),
      m_station(settings),
      m_listControls{form.lstOperator, form.cmdEdit, form.cmdDel},
      m_selection(m_listControls, m_station),
      m_relay(m_station, settings, boxes),
      m_startStop(form.lstOperator, m_station, settings, boxes)
{
    FollowRelayStation(m_station, form);
    connect(&m_station, &RelayStation::ImageReceivedAsync, &m_relay, &ImageRelay::onImageReceived);
    connect(form.cmdStartStop, &QPushButton::clicked, this, [this] { m_startStop.run(); });
    connect(form.cmdClose, &QPushButton::clicked, &form, &QWidget::close);
    connect(form.mnuClose, &QAction::triggered, &form, &QWidget::close);
    connect(&form, &FrmMain::unloading, this, [this] { unload(); });
    connectDialogs();
}

void MainWindowWiring::connectDialogs()
{
    FrmMain& form = m_form;
    connect(form.cmdNew, &QPushButton::clicked, this,
            [this] { NewOperatorDialog::showModal(&m_form, m_listControls, m_boxes); });
    connect(form.cmdEdit, &QPushButton::clicked, this,
            [this] { EditOperatorDialog::showModal(&m_form, m_form.lstOperator, m_station); });
    connect(form.cmdDel, &QPushButton::clicked, this,
            [this] { DeleteSelectedOperator(m_listControls, m_station, m_boxes); });
    connect(form.mnuSettings, &QAction::triggered, this,
            [this] { SettingsDialog::showModal(&m_form, m_settings, [this] { m_station.stopRelaying(); }, m_boxes); });
}

MainWindowWiring::~MainWindowWiring() = default;

void MainWindowWiring::load()
{
    const qint16 count = ReadOperatorCount(SettingsFilePath());
    m_form.setWindowTitle(VersionCaption());
    LoadOperatorRows(m_form.lstOperator, m_station, ReadOperatorEntries(SettingsFilePath(), count));
    if (!QFileInfo::exists(SettingsFilePath()))
        return;
    m_settings = LoadSettings();
    m_startStop.run();
}

void MainWindowWiring::unload()
{
    // A failed save would silently lose every change of this run: say so.
    if (!WriteOperatorEntries(SettingsFilePath(), CollectOperatorRows(m_form.lstOperator)))
        m_boxes.show(QStringLiteral("Quorin Relay: Fehler"),
                     QStringLiteral("Die Operatorliste konnte nicht gespeichert werden."), MessageIcon::Error);
}
