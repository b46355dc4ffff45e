#pragma once

#include <QComboBox>
#include <functional>

namespace zel {

class TKROSettings;

/// A drop-down list of the settings' channel names, searched by typing. Refresh refills it
/// from the settings component and fires OnInitialiseObject, where the window selects the
/// stored channel; until then the first name is selected.
class TLogCombo : public QComboBox
{
    Q_OBJECT
public:
    using TInitialiseObject = std::function<void()>;

    explicit TLogCombo(QWidget *parent = nullptr);

    /// The settings component whose channel names the list shows; it must outlive the
    /// combo or be replaced first.
    TKROSettings *KROSettings() const { return m_settings; }
    /// Stores \a Value and runs Refresh.
    void SetKROSettings(TKROSettings *Value);
    /// Refills the items from the settings' channel names (none without a component), then
    /// fires OnInitialiseObject.
    void Refresh();
    /// Fires OnInitialiseObject.
    void InitialiseObject();

    TInitialiseObject OnInitialiseObject;

private:
    TKROSettings *m_settings = nullptr;
};

} // namespace zel
