#include "dashmanager/LogChannelsPage.h"

#include "dashmanager/TLOGCheckBox.h"
#include "logger/TKROSettings.h"
#include "logger/TTranslations.h"

#include <QGridLayout>
#include <QVBoxLayout>
#include <algorithm>

namespace zel {

namespace {

constexpr int kRowsPerColumn = 8;

} // namespace

LogChannelsPage::LogChannelsPage(
    TKROSettings &settings, TTranslations &translations, UserDialogs &dialogs, QWidget *parent)
    : QWidget(parent)
    , m_settings(settings)
    , m_translations(translations)
{
    auto *layout = new QVBoxLayout(this);
    auto *grid = new QGridLayout;
    for (int channel = 0; channel < kChannelCount; ++channel) {
        auto *box = new TLOGCheckBox(dialogs);
        box->setObjectName(QStringLiteral("LOGCheckBox%1").arg(channel + 1));
        box->setChannelNumber(quint16(channel));
        box->setChannelDataSize(kLoggedDataSize);
        box->OnWritetoECU = [this](quint8 index, bool, bool) {
            m_settings.settings().DataDict.DataSize[index] = m_boxes[index]->GetDataSize();
        };
        grid->addWidget(box, channel % kRowsPerColumn, channel / kRowsPerColumn);
        m_boxes[std::size_t(channel)] = box;
    }
    m_boxes.back()->setVisible(false);
    layout->addLayout(grid);
    layout->addStretch();
    for (TLOGCheckBox *box : m_boxes)
        box->SetKROSettings(&m_settings);
    connect(&m_translations, &TTranslations::OnloadTable, this, &LogChannelsPage::showChannelNames);
}

void LogChannelsPage::showChannelNames()
{
    for (int channel = 0; channel < kChannelCount; ++channel) {
        TLOGCheckBox *box = m_boxes[std::size_t(channel)];
        box->setText(m_translations.record(channel).Name.toString());
        box->Refresh();
    }
}

void LogChannelsPage::showSettings()
{
    // Captioned again: a box that was "Spare" for the card shown before may be in this
    // card's list.
    showChannelNames();
    // A channel outside the list is never logged, whatever the file says.
    const auto &dataSize = m_settings.settings().DataDict.DataSize;
    const int listed = std::min(m_settings.channelCount(), kChannelCount);
    for (int channel = 0; channel < listed; ++channel)
        m_boxes[std::size_t(channel)]->SetCheckValue(dataSize[channel]);
}

void LogChannelsPage::clear()
{
    for (TLOGCheckBox *box : m_boxes)
        box->setChecked(false);
}

void LogChannelsPage::storeSettings()
{
    auto &dataSize = m_settings.settings().DataDict.DataSize;
    for (int channel = 0; channel < kChannelCount; ++channel)
        dataSize[channel] = m_boxes[std::size_t(channel)]->GetDataSize();
}

} // namespace zel
