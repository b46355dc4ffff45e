#pragma once

#include <QCheckBox>
#include <QPointer>
#include <functional>

namespace zel {

class TKROSettings;
class UserDialogs;

/// A check box for one logger channel: ticked, the channel is logged and takes
/// ChannelDataSize bytes of each log record. Every change of its state, by the user or by
/// SetCheckValue, fires OnBeforeWritetoECU and OnWritetoECU and is passed on to
/// GroupCheckBox; a channel beyond the settings' channel list shows "Spare", disabled and
/// unticked. Errors of the hooks are shown through the dialog service.
class TLOGCheckBox : public QCheckBox
{
    Q_OBJECT
public:
    using TBeforeWritetoECU = std::function<void()>;
    /// Channel number's low byte, the checked state, and true.
    using TOnWriteToECU = std::function<void(quint8 Index, bool DataValue, bool UpdateECU)>;

    explicit TLOGCheckBox(UserDialogs &dialogs, QWidget *parent = nullptr);

    quint16 ChannelNumber() const { return m_channelNumber; }
    void setChannelNumber(quint16 number) { m_channelNumber = number; }
    quint8 ChannelDataSize() const { return m_channelDataSize; }
    void setChannelDataSize(quint8 size) { m_channelDataSize = size; }
    /// Blocks the user's toggling (mouse and keys); SetCheckValue still works.
    bool ReadOnly() const { return m_readOnly; }
    void setReadOnly(bool on) { m_readOnly = on; }
    /// A box that follows this box's checked state, or none.
    TLOGCheckBox *GroupCheckBox() const { return m_groupCheckBox; }
    void setGroupCheckBox(TLOGCheckBox *box) { m_groupCheckBox = box; }

    /// The settings component whose channel list the box is checked against; it must
    /// outlive the box or be replaced first.
    TKROSettings *KROSettings() const { return m_settings; }
    /// Stores \a Value and, when it is a component, runs Refresh.
    void SetKROSettings(TKROSettings *Value);
    /// Enables the box when its channel is in the settings' list, else makes it "Spare".
    void Refresh();

    bool GetCheckValue() const { return isChecked(); }
    /// Ticks the box for a non-zero \a Value.
    void SetCheckValue(quint8 Value) { setChecked(Value != 0); }
    /// ChannelDataSize when ticked, else 0.
    quint8 GetDataSize() const { return isChecked() ? m_channelDataSize : 0; }

    TBeforeWritetoECU OnBeforeWritetoECU;
    TOnWriteToECU OnWritetoECU;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void nextCheckState() override;

private:
    void writeToECU(bool checked);

    UserDialogs &m_dialogs;
    quint16 m_channelNumber = 0;
    quint8 m_channelDataSize = 0;
    bool m_readOnly = false;
    QPointer<TLOGCheckBox> m_groupCheckBox;
    TKROSettings *m_settings = nullptr;
};

} // namespace zel
