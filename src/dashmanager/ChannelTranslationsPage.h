#pragma once

#include "session/RecordTable.h"

#include <QWidget>
#include <functional>

class QButtonGroup;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QSlider;
class QSpinBox;
class QTabWidget;
class QTableWidget;

namespace zel {

class TKROSettings;
class TLogSpinEdit;
class TLogTranslationGrid;
class TTranslations;
class UserDialogs;
struct TTranslation;

/// The "Channel Translations" page of the logger configuration window: the list of the
/// card's channels with their translation names and units, and the selected channel's
/// translation, either a calculation (an operation with a constant, helped by the speed and
/// RPM calculators) or a table of raw values and engineering values, which can be created
/// from a linear sensor range and loaded from and saved to ".trn" files.
///
/// The table grid is copied into the selected record whenever the record could be left
/// behind: another channel selected, the page left (then the translations are saved), and
/// just before every save of the translations (a card closed, the window closed).
class ChannelTranslationsPage : public QWidget
{
    Q_OBJECT
public:
    /// Works on \a translations, listing the channels of \a settings; \a dataFolder gives
    /// the folder the ".trn" dialogs start in.
    ChannelTranslationsPage(TTranslations &translations, const TKROSettings &settings,
        UserDialogs &dialogs, std::function<QString()> dataFolder, QWidget *parent = nullptr);

    /// After each settings load: one list row per channel of the settings' channel list,
    /// with nothing selected.
    void fillChannelList();
    /// Selects list row \a row: row 1 shows record 0; row 0, the title row, selects nothing
    /// and only disables the table panel. Rows past the list are ignored.
    void StringGrid1SelectCell(int row);
    /// Row 1 selected after a card load; \a takeFocus gives the list the keyboard focus.
    void selectFirstChannel(bool takeFocus);
    /// The list row selected (0 when none).
    int selectedRow() const { return m_selected + 1; }

    /// After each translations load: shows the selected record's kind of translation and
    /// raises translationsLoaded().
    void Translations1loadTable();
    /// Leaving the page: the table grid into the selected record, then the translations
    /// saved and the translations-loaded step.
    void TabSheet2Exit();

    /// "Calculate" of the speed calculator.
    void Button1Click();
    /// "Calculate" of the RPM calculator.
    void Button3Click();
    /// "Create Table".
    void Button2Click();
    /// "Load Translation".
    void Button4Click();
    /// "Save Translation".
    void Button5Click();

signals:
    /// The translations were loaded or saved from this page; the channel names may have
    /// changed.
    void translationsLoaded();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    QWidget *buildCalculationPage();
    QWidget *buildTablePage();
    void connectControls();
    TTranslation *selectedRecord();
    void showRecord(const TTranslation &record);
    void showTranslationKind(int active);
    void showTableFromRecord(const TTranslation &record);
    void copyGridIntoRecord();
    void listItemChanged(int row, int column);
    void fixedCellClicked(int row);
    void bindTrnTable();

    TTranslations &m_translations;
    const TKROSettings &m_settings;
    UserDialogs &m_dialogs;
    std::function<QString()> m_dataFolder;
    RecordTable m_trnTable;
    int m_selected = -1; // the record the controls show, -1 for none
    bool m_showing = false; // controls are being set from the record

    QTableWidget *m_list = nullptr;
    QLabel *m_title = nullptr;
    QButtonGroup *m_dataTranslation = nullptr;
    QButtonGroup *m_translationMode = nullptr;
    QTabWidget *m_kindPages = nullptr;
    QSlider *m_filter = nullptr;
    QLabel *m_filterLabel = nullptr;
    QComboBox *m_operation = nullptr;
    QLineEdit *m_constant = nullptr;
    QSpinBox *m_speedPulses = nullptr;
    QDoubleSpinBox *m_wheelDiameter = nullptr;
    QLabel *m_wheelLabel = nullptr;
    QDoubleSpinBox *m_ratio = nullptr;
    QButtonGroup *m_speedUnit = nullptr;
    QSpinBox *m_rpmPulses = nullptr;
    QWidget *m_tablePanel = nullptr;
    TLogTranslationGrid *m_grid = nullptr;
    TLogSpinEdit *m_points = nullptr;
    QLineEdit *m_minMillivolts = nullptr;
    QLineEdit *m_maxMillivolts = nullptr;
    QLineEdit *m_minUnits = nullptr;
    QLineEdit *m_maxUnits = nullptr;
};

} // namespace zel
