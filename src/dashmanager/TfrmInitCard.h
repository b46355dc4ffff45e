#pragma once

#include <QDialog>

class QComboBox;
class QProgressBar;
class QPushButton;

namespace zel {

class TfrmLoggerConfig;

/// "SD Card Initialisation": lays down the chosen dash model's and ECU's template files on
/// the card selected in a logger configuration window, with an empty "Logs" folder. The
/// choice stays in this window until "Initialise Card" runs: only then does it reach the
/// card's settings, so looking at the lists never changes a loaded card. One window serves
/// the whole run of the program, so the lists keep their choice between uses.
class TfrmInitCard : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmInitCard(QWidget *parent = nullptr);

    /// Shows the window modally for the card selected in \a config.
    void run(TfrmLoggerConfig &config);

    /// Change handler of both lists: refuses the street dash without an ECU.
    void ComboBox2Change();
    /// "Initialise Card".
    void Button1Click();

    /// Position of the chosen dash model in the list, or -1.
    int dashChoice() const;
    /// Position of the chosen ECU in the list, or -1.
    int ecuChoice() const;
    QComboBox &dashList() { return *m_dash; }
    QComboBox &ecuList() { return *m_ecu; }

private:
    TfrmLoggerConfig &config() const;
    bool confirmOverwrite(const QString &root);
    void initialise(const QString &root);

    TfrmLoggerConfig *m_config = nullptr; // while run() shows the window
    QComboBox *m_ecu;
    QComboBox *m_dash;
    QPushButton *m_initialise;
    QProgressBar *m_progress;
};

} // namespace zel
