#include "settings/SettingsDialog.h"

#include "settings/NumberText.h"
#include "settings/RelaySettings.h"
#include "ui/FrmSettings.h"
#include "ui/MessageBoxes.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

namespace {

constexpr int kMaxTypedPortLength = 4;

// The text boxes and the values they show; chkDebug shows Debugmode.
struct BoxValue {
    QLineEdit* FrmSettings::*box;
    QString RelaySettings::*value;
};
constexpr BoxValue kBoxValues[] = {
    {&FrmSettings::txtAET, &RelaySettings::ArchiveAET},
    {&FrmSettings::txtIP, &RelaySettings::ArchiveIP},
    {&FrmSettings::txtPort, &RelaySettings::ArchivePort},
    {&FrmSettings::txtLocAET, &RelaySettings::LocalAET},
    {&FrmSettings::txtLocPort, &RelaySettings::LocalPort},
};

// The typing filter by character code: digits and Backspace, and the full
// stop where allowed; every other character is swallowed, control
// characters included, so Ctrl+V, Ctrl+X and Ctrl+Z never reach the box.
bool CharacterAllowed(ushort code, bool fullStopAllowed)
{
    return (code >= '0' && code <= '9') || code == 8 || (fullStopAllowed && code == '.');
}

// Tab, Shift+Tab, Enter and Delete move the focus, press the default button
// or edit, as in any text box. X11 gives them a control character as their
// text, yet they type nothing.
bool MovesOrEdits(int key)
{
    return key == Qt::Key_Tab || key == Qt::Key_Backtab || key == Qt::Key_Return || key == Qt::Key_Enter
           || key == Qt::Key_Delete;
}

// The character a key types, 0 for none (arrows, Home, End). Ctrl with a
// letter types its control character (Ctrl+V is 22), whatever text the
// platform gives the key; Ctrl with Alt is AltGr, which types its text.
ushort CharacterCode(const QKeyEvent* event)
{
    const bool ctrlAlone = (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) == Qt::ControlModifier;
    if (ctrlAlone && event->key() >= Qt::Key_A && event->key() <= Qt::Key_Z)
        return ushort(event->key() - Qt::Key_A + 1);
    return event->text().isEmpty() ? 0 : event->text().front().unicode();
}

// The stored Debugmode counts 0 unchecked, 1 checked, 2 greyed.
Qt::CheckState CheckStateOf(qint16 stored)
{
    return stored == 1 ? Qt::Checked : stored == 2 ? Qt::PartiallyChecked : Qt::Unchecked;
}

int StoredValueOf(Qt::CheckState state)
{
    return state == Qt::Checked ? 1 : state == Qt::PartiallyChecked ? 2 : 0;
}

bool WouldExceedTypingLimit(const QLineEdit* box)
{
    return box->text().size() - box->selectedText().size() >= kMaxTypedPortLength;
}

} // namespace

SettingsDialog::SettingsDialog(FrmSettings& form, RelaySettings& settings, StopRequest stopRelaying,
                               MessageBoxes& boxes)
    : QObject(&form), m_form(form), m_settings(settings), m_stopRelaying(std::move(stopRelaying)), m_boxes(boxes)
{
    for (const BoxValue& shown : kBoxValues)
        connect(form.*shown.box, &QLineEdit::textChanged, form.cmdApply, [&form] { form.cmdApply->setEnabled(true); });
    connect(form.chkDebug, &QCheckBox::stateChanged, form.cmdApply, [&form] { form.cmdApply->setEnabled(true); });
    for (QLineEdit* box : {form.txtIP, form.txtPort, form.txtLocPort})
        box->installEventFilter(this);
    connect(form.cmdApply, &QPushButton::clicked, this, [this] { apply(); });
    connect(form.cmdOK, &QPushButton::clicked, this, [this] {
        apply();
        m_form.accept();
    });
    connect(form.cmdClose, &QPushButton::clicked, &form, &QDialog::reject);
    load();
}

void SettingsDialog::showModal(QWidget* mainWindow, RelaySettings& settings, StopRequest stopRelaying,
                          MessageBoxes& boxes)
{
    FrmSettings form(mainWindow);
    SettingsDialog behaviour(form, settings, std::move(stopRelaying), boxes);
    form.exec();
}

void SettingsDialog::load()
{
    // Unlike LoadSettings(), a missing LocalPort shows empty.
    const RelaySettings file = ReadRelaySettings({{}, {}, {}, {}, {}, QStringLiteral("0")});
    for (const BoxValue& shown : kBoxValues)
        (m_form.*shown.box)->setText(file.*shown.value);

    const std::optional<qint16> state = ToInt16(file.Debugmode);
    if (state && *state >= 0 && *state <= 2) {
        m_form.chkDebug->setCheckState(CheckStateOf(*state));
    } else {
        m_form.chkDebug->setCheckState(Qt::Unchecked);
        m_unshownDebugmode = file.Debugmode;
    }
    m_loadedCheckState = m_form.chkDebug->checkState();
    m_form.cmdApply->setEnabled(false);
}

void SettingsDialog::apply()
{
    writeSettings();
    m_settings = LoadSettings();
    if (m_stopRelaying)
        m_stopRelaying();
    m_form.cmdApply->setEnabled(false);
}

void SettingsDialog::writeSettings()
{
    RelaySettings typed;
    for (const BoxValue& shown : kBoxValues)
        typed.*shown.value = (m_form.*shown.box)->text();
    typed.Debugmode = debugmodeText();
    // A failed write would leave the user believing in settings the relay
    // never sees again after a restart: say so, then carry on.
    if (!WriteRelaySettings(typed))
        m_boxes.show(QStringLiteral("Quorin Relay: Fehler"),
                     QStringLiteral("Die Einstellungen konnten nicht gespeichert werden."), MessageIcon::Error);
}

QString SettingsDialog::debugmodeText() const
{
    const Qt::CheckState state = m_form.chkDebug->checkState();
    if (!m_unshownDebugmode.isNull() && state == m_loadedCheckState)
        return m_unshownDebugmode;
    return QString::number(StoredValueOf(state));
}

bool SettingsDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    const ushort code = CharacterCode(key);
    if (MovesOrEdits(key->key()) || code == 0)
        return false;
    auto* box = static_cast<QLineEdit*>(watched);
    if (!CharacterAllowed(code, box == m_form.txtIP))
        return true;
    const bool isPortBox = box == m_form.txtPort || box == m_form.txtLocPort;
    return isPortBox && code != 8 && WouldExceedTypingLimit(box);
}
