#include "dashmanager/TLogCombo.h"

#include "logger/TKROSettings.h"

namespace zel {

TLogCombo::TLogCombo(QWidget *parent)
    : QComboBox(parent)
{ }

void TLogCombo::SetKROSettings(TKROSettings *Value)
{
    m_settings = Value;
    Refresh();
}

void TLogCombo::Refresh()
{
    clear();
    if (m_settings)
        addItems(m_settings->ChannelNames());
    InitialiseObject();
}

void TLogCombo::InitialiseObject()
{
    if (OnInitialiseObject)
        OnInitialiseObject();
}

} // namespace zel
