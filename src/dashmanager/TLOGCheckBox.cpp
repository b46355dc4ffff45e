#include "dashmanager/TLOGCheckBox.h"

#include "logger/TKROSettings.h"
#include "ui/HandlerGuard.h"

#include <QKeyEvent>

namespace zel {

TLOGCheckBox::TLOGCheckBox(UserDialogs &dialogs, QWidget *parent)
    : QCheckBox(parent)
    , m_dialogs(dialogs)
{
    connect(this, &QCheckBox::toggled, this, [this](bool checked) {
        guarded(m_dialogs, [&] { writeToECU(checked); });
        if (m_groupCheckBox)
            m_groupCheckBox->setChecked(checked);
    });
}

void TLOGCheckBox::SetKROSettings(TKROSettings *Value)
{
    m_settings = Value;
    if (m_settings)
        Refresh();
}

void TLOGCheckBox::Refresh()
{
    if (!m_settings)
        return;
    if (m_channelNumber < m_settings->channelCount()) {
        setEnabled(true);
        return;
    }
    setText(QStringLiteral("Spare"));
    setEnabled(false);
    setChecked(false);
}

void TLOGCheckBox::writeToECU(bool checked)
{
    if (OnBeforeWritetoECU)
        OnBeforeWritetoECU();
    if (OnWritetoECU)
        OnWritetoECU(quint8(m_channelNumber & 0xFFu), checked, true);
}

void TLOGCheckBox::keyPressEvent(QKeyEvent *event)
{
    // The space key reports the state the box still has; the toggle on its release is a
    // change of state like any other.
    if (event->key() == Qt::Key_Space && !event->isAutoRepeat() && !m_readOnly)
        guarded(m_dialogs, [this] { writeToECU(isChecked()); });
    QCheckBox::keyPressEvent(event);
}

void TLOGCheckBox::nextCheckState()
{
    if (!m_readOnly)
        QCheckBox::nextCheckState();
}

} // namespace zel
