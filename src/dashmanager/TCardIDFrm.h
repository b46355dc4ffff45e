#pragma once

#include <QDialog>

class QTableView;

namespace zel {

class CardIDTableModel;
class TKRO_Data;
class UserDialogs;

/// "Select Card ID": the card-ID register as a list of card IDs and backup dates, from which
/// the user picks the card whose backup is restored, or deletes a backup. The answer is left
/// in the data module: KROCardID and KROCardIDBackup name the chosen card and its backup
/// root, and are both empty when the user chose nothing.
class TCardIDFrm : public QDialog
{
    Q_OBJECT
public:
    TCardIDFrm(TKRO_Data &data, UserDialogs &dialogs, QWidget *parent = nullptr);
    ~TCardIDFrm() override;

    /// "Select": the current row becomes the answer; closes.
    void SelectClick();
    /// "Cancel": no answer; closes. Closing by the window frame does the same.
    void CancelClick();
    /// "Delete": after the user confirms, removes the current row's backup files and its
    /// row; the window stays open.
    void DeleteClick();

    /// The row showing as current, or -1 when the register is empty.
    int currentRow() const;
    /// Makes \a row the current one.
    void setCurrentRow(int row);

    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    bool takeCurrentRow();

    TKRO_Data &m_data;
    UserDialogs &m_dialogs;
    CardIDTableModel *m_model;
    QTableView *m_grid;
};

} // namespace zel
