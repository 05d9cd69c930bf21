#include "settings/SettingsDialog.h"

#include "settings/AppPaths.h"
#include "settings/NumberText.h"
#include "settings/ProfileStrings.h"
#include "settings/RelaySettings.h"
#include "ui/FrmSettings.h"
#include "ui/MessageBoxes.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

namespace {

constexpr int MaxTypedPortLength = 4;
constexpr qint16 BufferSize = 256;

QString ReadSetting(const char* section, const char* key, const QString& defaultValue)
{
    return ReadIniString(QLatin1String(section), QLatin1String(key), defaultValue, SettingsFilePath(), BufferSize);
}

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
    return box->text().size() - box->selectedText().size() >= MaxTypedPortLength;
}

} // namespace

SettingsDialog::SettingsDialog(FrmSettings& form, StopRequest stopRelaying, MessageBoxes& boxes)
    : QObject(&form), m_form(form), m_stopRelaying(std::move(stopRelaying)), m_boxes(boxes)
{
    for (QLineEdit* box : {form.txtAET, form.txtIP, form.txtPort, form.txtLocAET, form.txtLocPort})
        connect(box, &QLineEdit::textChanged, form.cmdApply, [&form] { form.cmdApply->setEnabled(true); });
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

void SettingsDialog::Show(QWidget* mainWindow, StopRequest stopRelaying, MessageBoxes& boxes)
{
    FrmSettings form(mainWindow);
    SettingsDialog behaviour(form, std::move(stopRelaying), boxes);
    form.exec();
}

void SettingsDialog::load()
{
    m_form.txtAET->setText(ReadSetting("Archive", "AET", QString()));
    m_form.txtIP->setText(ReadSetting("Archive", "IP", QString()));
    m_form.txtPort->setText(ReadSetting("Archive", "Port", QString()));
    m_form.txtLocAET->setText(ReadSetting("Local", "LocalAET", QString()));
    m_form.txtLocPort->setText(ReadSetting("Local", "LocalPort", QString()));

    const QString debugmode = ReadSetting("Local", "Debugmode", QStringLiteral("0"));
    const std::optional<qint16> state = ToInt16(debugmode);
    if (state && *state >= 0 && *state <= 2) {
        m_form.chkDebug->setCheckState(CheckStateOf(*state));
    } else {
        m_form.chkDebug->setCheckState(Qt::Unchecked);
        m_unshownDebugmode = debugmode;
    }
    m_loadedCheckState = m_form.chkDebug->checkState();
    m_form.cmdApply->setEnabled(false);
}

void SettingsDialog::apply()
{
    writeSettings();
    LoadSettings();
    if (m_stopRelaying)
        m_stopRelaying();
    m_form.cmdApply->setEnabled(false);
}

void SettingsDialog::writeSettings()
{
    IniWriteBatch batch(SettingsFilePath());
    batch.write(QStringLiteral("Archive"), QStringLiteral("AET"), m_form.txtAET->text());
    batch.write(QStringLiteral("Archive"), QStringLiteral("IP"), m_form.txtIP->text());
    batch.write(QStringLiteral("Archive"), QStringLiteral("Port"), m_form.txtPort->text());
    batch.write(QStringLiteral("Local"), QStringLiteral("LocalAET"), m_form.txtLocAET->text());
    batch.write(QStringLiteral("Local"), QStringLiteral("LocalPort"), m_form.txtLocPort->text());
    batch.write(QStringLiteral("Local"), QStringLiteral("Debugmode"), debugmodeText());
    // A failed write would leave the user believing in settings the relay
    // never sees again after a restart: say so, then carry on.
    if (!batch.commit())
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
