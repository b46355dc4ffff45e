#include "dashmanager/FormulaRepositoryPage.h"

#include "logger/TMathsChannels.h"
#include "session/RecordTable.h"
#include "session/TKRO_Data.h"
#include "ui/HandlerGuard.h"
#include "ui/UserDialogs.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace zel {

namespace {

const QString kNameColumn = QStringLiteral("FormulaName");
const QString kFormulaColumn = QStringLiteral("Formula");

} // namespace

FormulaRepositoryPage::FormulaRepositoryPage(
    TKRO_Data &data, UserDialogs &dialogs, std::function<Code()> editorCode, QWidget *parent)
    : QWidget(parent)
    , m_data(data)
    , m_dialogs(dialogs)
    , m_editorCode(std::move(editorCode))
{
    auto *layout = new QVBoxLayout(this);
    m_grid = new QTableWidget(0, 1);
    m_grid->setObjectName(QStringLiteral("RepositoryGrid"));
    m_grid->setHorizontalHeaderLabels({ QStringLiteral("Formula Name") });
    m_grid->horizontalHeader()->setStretchLastSection(true);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    layout->addWidget(m_grid, 1);

    m_source = new QPlainTextEdit;
    m_source->setObjectName(QStringLiteral("RepositorySource"));
    m_source->setReadOnly(true);
    layout->addWidget(m_source, 1);

    auto *buttons = new QHBoxLayout;
    const auto button = [&](const char *name, const QString &caption, auto handler) {
        auto *b = new QPushButton(caption);
        b->setObjectName(QString::fromLatin1(name));
        connectGuarded(m_dialogs, b, &QPushButton::clicked, this, handler);
        buttons->addWidget(b);
    };
    button("AddToRepository", QStringLiteral("Add to Repository"), [this] { addEditorCode(); });
    button("UseSelectedCode", QStringLiteral("Use selected Code"), [this] { useSelected(); });
    button(
        "DeleteSelectedCode", QStringLiteral("Delete selected Code"), [this] { deleteSelected(); });
    buttons->addStretch();
    layout->addLayout(buttons);

    connectGuarded(m_dialogs, m_grid, &QTableWidget::currentCellChanged, this,
        [this] { showSelectedSource(); });
    connectGuarded(
        m_dialogs, m_grid, &QTableWidget::cellDoubleClicked, this, [this] { useSelected(); });
    setEnabled(false);
}

void FormulaRepositoryPage::load()
{
    setEnabled(false);
    if (m_data.ProgramDataFolder().isEmpty())
        return; // the data module has not started: there is no folder to keep it in
    m_data.LoadFormulas();
    refill(0);
    setEnabled(true);
}

void FormulaRepositoryPage::addEditorCode()
{
    const Code code = m_editorCode();
    if (code.name.isEmpty() || code.source.isEmpty())
        return;
    // The entry goes back into the editor as a maths channel's name, and the column holds
    // only so many characters: a name cut short would never replace its entry again.
    const QString nameError = TMathsChannels::NameError(code.name);
    if (!nameError.isEmpty()) {
        m_dialogs.error(nameError);
        return;
    }
    RecordTable &table = m_data.Formulas();
    if (table.Locate(kNameColumn, { code.name }))
        table.Edit();
    else
        table.Append();
    table.fieldByName(kNameColumn).setText(code.name);
    table.fieldByName(kFormulaColumn).setText(code.source);
    table.Post();
    const int row = table.recNo();
    m_data.SaveFormulas();
    refill(row);
}

void FormulaRepositoryPage::useSelected()
{
    const int row = selectedRow();
    if (row < 0)
        return;
    RecordTable &table = m_data.Formulas();
    const int stored = table.viewRow(row);
    Q_EMIT codeChosen(table.textAt(table.columnIndex(kNameColumn), stored),
        table.textAt(table.columnIndex(kFormulaColumn), stored));
}

void FormulaRepositoryPage::deleteSelected()
{
    const int row = selectedRow();
    if (row < 0)
        return;
    RecordTable &table = m_data.Formulas();
    table.setRecNo(row);
    table.Delete();
    m_data.SaveFormulas();
    refill(row);
}

void FormulaRepositoryPage::refill(int selectRow)
{
    const RecordTable &table = m_data.Formulas();
    const int nameColumn = table.columnIndex(kNameColumn);
    const int count = table.isOpen() ? table.recordCount() : 0;
    const QSignalBlocker quiet(m_grid);
    m_grid->setRowCount(count);
    for (int row = 0; row < count; ++row)
        m_grid->setItem(row, 0, new QTableWidgetItem(table.textAt(nameColumn, table.viewRow(row))));
    if (count > 0)
        m_grid->setCurrentCell(std::clamp(selectRow, 0, count - 1), 0);
    showSelectedSource();
}

void FormulaRepositoryPage::showSelectedSource()
{
    const int row = selectedRow();
    const RecordTable &table = m_data.Formulas();
    m_source->setPlainText(
        row < 0 ? QString() : table.textAt(table.columnIndex(kFormulaColumn), table.viewRow(row)));
}

int FormulaRepositoryPage::selectedRow() const
{
    const RecordTable &table = m_data.Formulas();
    const int row = m_grid->currentRow();
    return table.isOpen() && row >= 0 && row < table.recordCount() ? row : -1;
}

} // namespace zel
