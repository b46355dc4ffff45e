#include "ui/RecordTableModel.h"

#include "session/Field.h"
#include "session/RecordTable.h"
#include "ui/HandlerGuard.h"

#include <algorithm>

namespace zel {

RecordTableModel::RecordTableModel(RecordTable &table, int firstColumn, QObject *parent)
    : QAbstractTableModel(parent)
    , m_table(&table)
    , m_firstColumn(firstColumn)
{
    // The table reports changes as a whole, so the view is rebuilt from it each time.
    connect(&table, &RecordTable::ViewChanged, this, [this] {
        beginResetModel();
        endResetModel();
    });
}

int RecordTableModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid() || !m_table || !m_table->isOpen())
        return 0;
    return m_table->recordCount();
}

int RecordTableModel::columnCount(const QModelIndex &parent) const
{
    if (parent.isValid() || !m_table)
        return 0;
    return std::max(0, m_table->columnCount() - m_firstColumn);
}

QVariant RecordTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole)
        || index.row() >= rowCount() || index.column() >= columnCount())
        return {};
    return m_table->textAt(m_firstColumn + index.column(), m_table->viewRow(index.row()));
}

QVariant RecordTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return section + 1;
    if (section < 0 || section >= columnCount())
        return {};
    return m_table->column(m_firstColumn + section).name;
}

Qt::ItemFlags RecordTableModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable;
}

bool RecordTableModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::EditRole || !index.isValid() || index.row() >= rowCount()
        || index.column() >= columnCount())
        return false;
    m_table->setRecNo(index.row());
    m_table->Edit();
    try {
        m_table->field(m_firstColumn + index.column()).setText(value.toString());
        m_table->Post();
    } catch (...) {
        m_table->Cancel();
        Q_EMIT editRefused(currentExceptionMessage());
        return false;
    }
    return true;
}

} // namespace zel
