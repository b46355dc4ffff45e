#include "dashmanager/LogFileEditor.h"

#include "common/Error.h"
#include "session/Field.h"
#include "ui/BusyCursor.h"
#include "ui/HandlerGuard.h"
#include "ui/RecordTableModel.h"
#include "ui/UserDialogs.h"

#include <QAction>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace zel {

LogFileEditor::LogFileEditor(UserDialogs &dialogs, QWidget *parent)
    : QWidget(parent)
    , m_dialogs(dialogs)
{
    auto *layout = new QVBoxLayout(this);
    auto *buttons = new QHBoxLayout;
    const auto button = [this, buttons](const char *name, const QString &caption, auto handler) {
        auto *b = new QPushButton(caption);
        b->setObjectName(QString::fromLatin1(name));
        buttons->addWidget(b);
        connectGuarded(m_dialogs, b, &QPushButton::clicked, this, handler);
        return b;
    };
    button("OpenImportedLogButton", QStringLiteral("Open Imported Log"),
        [this] { OpenImportedLog(); });
    buttons->addWidget(new QLabel(QStringLiteral("Reading ID")));
    m_readingID = new QLineEdit;
    m_readingID->setObjectName(QStringLiteral("ReadingIDEdit"));
    m_readingID->setMaximumWidth(100);
    buttons->addWidget(m_readingID);
    button("FindLogRecord", QStringLiteral("Find Log Record"), [this] { FindLogRecord(); });
    button("DeleteLogRecord", QStringLiteral("Delete Record"), [this] { DeleteLogRecord(); });
    button("SaveLogChanges", QStringLiteral("Save Changes"), [this] { SaveChanges(); });
    buttons->addStretch();
    layout->addLayout(buttons);

    // The first column is the record type, which the filter fixes to data rows.
    m_model = new RecordTableModel(m_table, 1, this);
    connect(m_model, &RecordTableModel::editRefused, this,
        [this](const QString &message) { m_dialogs.error(message); });
    m_grid = new QTableView;
    m_grid->setObjectName(QStringLiteral("LogEditorGrid"));
    m_grid->setModel(m_model);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->verticalHeader()->setDefaultSectionSize(20);
    layout->addWidget(m_grid, 1);
    connect(m_grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
        [this](const QModelIndex &current) {
            if (current.isValid() && current.row() != m_table.recNo())
                guarded(m_dialogs, [&] { m_table.setRecNo(current.row()); });
        });
    // The model is reset with the table, which loses the grid's current row.
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] { showCurrentRow(); });

    auto *deleteRow = new QAction(m_grid);
    deleteRow->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Delete));
    deleteRow->setShortcutContext(Qt::WidgetShortcut);
    m_grid->addAction(deleteRow);
    connectGuarded(m_dialogs, deleteRow, &QAction::triggered, this, [this] { DeleteLogRecord(); });
}

bool LogFileEditor::OpenImportedLog()
{
    FileDialogRequest request;
    request.filter = QStringLiteral("KRO 7 Analisys Logs|*.kro");
    request.defaultExtension = QStringLiteral("Kro");
    request.initialFolder = m_openFolder;
    const auto path = m_dialogs.openFile(request);
    if (!path)
        return false;

    // Loaded aside first, so that a file that is no session log leaves the open one alone.
    RecordTable loaded;
    {
        const BusyCursor busy;
        loaded.loadFromFile(*path);
        loaded.setFilter(QStringLiteral("RecordType = 1"));
        loaded.setFiltered(true);
        m_table.close();
        m_table.clearColumns();
        for (int i = 0; i < loaded.columnCount(); ++i) {
            const ColumnDef &column = loaded.column(i);
            m_table.addColumn(column.name, column.type, column.size);
        }
        for (const IndexDef &index : loaded.indexes())
            m_table.addIndex(index.name, index.fields);
        m_table.setFilter(QStringLiteral("RecordType = 1"));
        m_table.open();
        m_table.setFiltered(true);
        m_table.takeRowsFrom(loaded);
    }
    m_path = *path;
    m_table.First();
    showCurrentRow();
    Q_EMIT logOpened();
    return true;
}

void LogFileEditor::FindLogRecord()
{
    if (!m_table.isOpen())
        return;
    const QString text = m_readingID->text();
    bool ok = false;
    const int readingID = text.trimmed().toInt(&ok);
    if (!ok)
        throw Error(QStringLiteral("'%1' is not a valid integer value").arg(text));
    if (m_table.Locate(QStringLiteral("ReadingID"), { readingID }))
        showCurrentRow();
}

void LogFileEditor::DeleteLogRecord()
{
    if (!m_table.isOpen() || m_table.isEmpty())
        return;
    if (m_table.fieldByName(QStringLiteral("Lap_Marker")).asInteger() != 0
        || m_table.fieldByName(QStringLiteral("Sector_Marker")).asInteger() != 0) {
        m_dialogs.information(
            QStringLiteral("This is a lap or sector record and must not be deleted"));
        return;
    }
    m_table.Delete();
}

void LogFileEditor::SaveChanges()
{
    if (!m_table.isOpen())
        return;
    const QFileInfo opened(m_path);
    FileDialogRequest request;
    request.filter = QStringLiteral("ZEL Log File|*.kro");
    request.defaultExtension = QStringLiteral("kro");
    request.initialFolder = opened.absolutePath();
    request.initialFileName = opened.fileName();
    request.confirmOverwrite = true;
    const auto path = m_dialogs.saveFile(request);
    if (!path)
        return;
    const BusyCursor busy;
    m_table.saveToFile(*path);
}

void LogFileEditor::CloseLog()
{
    m_table.close();
    m_path.clear();
}

void LogFileEditor::showCurrentRow()
{
    const int row = m_table.isOpen() ? m_table.recNo() : -1;
    if (row < 0)
        return;
    const int column = std::max(0, m_grid->currentIndex().column());
    m_grid->setCurrentIndex(m_model->index(row, column));
}

} // namespace zel
