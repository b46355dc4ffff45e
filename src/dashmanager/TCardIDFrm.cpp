#include "dashmanager/TCardIDFrm.h"

#include "card/ProgramPaths.h"
#include "common/DateTimeValue.h"
#include "session/TKRO_Data.h"
#include "ui/HandlerGuard.h"
#include "ui/UserDialogs.h"

#include <QAbstractTableModel>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace zel {

/// The card-ID register in its index order: "Card ID" and "Backup Date".
class CardIDTableModel : public QAbstractTableModel
{
public:
    explicit CardIDTableModel(RecordTable &table, QObject *parent)
        : QAbstractTableModel(parent)
        , m_table(table)
    { }

    int rowCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() || !m_table.isOpen() ? 0 : m_table.recordCount();
    }
    int columnCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : 2;
    }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (role != Qt::DisplayRole || !index.isValid())
            return {};
        const int row = m_table.viewRow(index.row());
        if (index.column() == 0)
            return m_table.textAt(m_table.columnIndex(QStringLiteral("CardID")), row);
        const int date = m_table.columnIndex(QStringLiteral("Date"));
        if (m_table.isNullAt(date, row))
            return {};
        return QLocale().toString(dateTimeFromDays(m_table.numberAt(date, row)).date(),
            QLocale::ShortFormat);
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
            return {};
        return section == 0 ? QStringLiteral("Card ID") : QStringLiteral("Backup Date");
    }
    /// The register changed under the model.
    void refresh()
    {
        beginResetModel();
        endResetModel();
    }

private:
    RecordTable &m_table;
};

TCardIDFrm::TCardIDFrm(TKRO_Data &data, UserDialogs &dialogs, QWidget *parent)
    : QDialog(parent)
    , m_data(data)
    , m_dialogs(dialogs)
    , m_model(new CardIDTableModel(data.CardID(), this))
    , m_grid(new QTableView(this))
{
    setObjectName(QStringLiteral("CardIDFrm"));
    setWindowTitle(QStringLiteral("CardIDFrm"));
    setModal(true);

    auto *heading = new QLabel(QStringLiteral("Select Card ID"), this);
    QFont bold = heading->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.25);
    heading->setFont(bold);

    m_grid->setObjectName(QStringLiteral("DBGrid1"));
    m_grid->setModel(m_model);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->verticalHeader()->hide();
    m_grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    connect(m_grid, &QTableView::doubleClicked, this, [this] { SelectClick(); });

    auto *select = new QPushButton(QStringLiteral("Select"), this);
    auto *cancel = new QPushButton(QStringLiteral("Cancel"), this);
    auto *remove = new QPushButton(QStringLiteral("Delete"), this);
    select->setObjectName(QStringLiteral("SelectButton"));
    cancel->setObjectName(QStringLiteral("CancelButton"));
    remove->setObjectName(QStringLiteral("DeleteButton"));
    select->setDefault(true);
    connectGuarded(m_dialogs, select, &QPushButton::clicked, this, [this] { SelectClick(); });
    connectGuarded(m_dialogs, cancel, &QPushButton::clicked, this, [this] { CancelClick(); });
    connectGuarded(m_dialogs, remove, &QPushButton::clicked, this, [this] { DeleteClick(); });

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(select);
    buttons->addWidget(cancel);
    buttons->addStretch();
    buttons->addWidget(remove);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addWidget(m_grid);
    layout->addLayout(buttons);
    resize(360, 300);
}

TCardIDFrm::~TCardIDFrm() = default;

int TCardIDFrm::currentRow() const
{
    const QModelIndex current = m_grid->currentIndex();
    return current.isValid() ? current.row() : -1;
}

void TCardIDFrm::setCurrentRow(int row)
{
    m_grid->setCurrentIndex(m_model->index(row, 0));
}

void TCardIDFrm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    m_model->refresh();
    // Start on the card the user works with, else on the first card.
    RecordTable &table = m_data.CardID();
    const int id = table.columnIndex(QStringLiteral("CardID"));
    int start = m_model->rowCount() > 0 ? 0 : -1;
    for (int position = 0; position < m_model->rowCount(); ++position) {
        if (table.textAt(id, table.viewRow(position)) == m_data.KROCardID()) {
            start = position;
            break;
        }
    }
    setCurrentRow(start);
}

// Makes the current row the answer in the data module; false when the register is empty.
// The backup root is built from the program's Data folder and the card ID, never from the
// folder the register names, which is file content.
bool TCardIDFrm::takeCurrentRow()
{
    const int position = currentRow();
    if (position < 0)
        return false;
    RecordTable &table = m_data.CardID();
    const QString id = table.textAt(table.columnIndex(QStringLiteral("CardID")), table.viewRow(position));
    const QString backup = ProgramPaths(QString(), m_data.ProgramDataFolder()).backupFolder(id);
    m_data.setKROCardID(id);
    m_data.setKROCardIDBackup(backup.isEmpty() ? QString() : QFileInfo(backup).path());
    return true;
}

void TCardIDFrm::SelectClick()
{
    takeCurrentRow();
    accept();
}

void TCardIDFrm::CancelClick()
{
    reject();
}

void TCardIDFrm::reject()
{
    m_data.setKROCardID(QString());
    m_data.setKROCardIDBackup(QString());
    QDialog::reject();
}

void TCardIDFrm::DeleteClick()
{
    if (m_model->rowCount() == 0 || currentRow() < 0)
        return;
    if (!m_dialogs.question(QStringLiteral("Do you want to remove this backup ?")))
        return;
    const int position = currentRow();
    takeCurrentRow();
    const QStringList kept = m_data.RemoveBackup();
    m_model->refresh();
    setCurrentRow(std::min(position, m_model->rowCount() - 1));
    if (!kept.isEmpty())
        m_dialogs.warning(
            QStringLiteral("These backup files could not be deleted:\n%1").arg(kept.join(u'\n')));
}

} // namespace zel
