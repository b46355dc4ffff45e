#pragma once

#include <QAbstractTableModel>
#include <QPointer>

namespace zel {

class RecordTable;

/// Shows the view of a RecordTable in a table view: model row r is view position r, model
/// column c is table column firstColumn + c, headed by its name. Cells are edited through
/// the table (Edit, field write, Post), so its store hook and column sizes apply; an edit
/// the table refuses (a text that is no number of a number column) is cancelled and
/// reported by editRefused, since an exception must not leave a view's editor. Follows
/// every change of the table's rows and columns.
class RecordTableModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    /// Binds to \a table, leaving out its columns before \a firstColumn; the table must
    /// outlive the model's use (a destroyed table shows empty).
    explicit RecordTableModel(RecordTable &table, int firstColumn = 0, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(
        int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

Q_SIGNALS:
    /// An edit was refused for the reason \a message; the cell keeps its value.
    void editRefused(const QString &message);

private:
    QPointer<RecordTable> m_table;
    int m_firstColumn;
};

} // namespace zel
