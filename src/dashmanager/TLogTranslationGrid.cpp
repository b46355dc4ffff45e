#include "dashmanager/TLogTranslationGrid.h"

#include "dashmanager/UserNumbers.h"
#include "session/NumberText.h"
#include "session/RecordTable.h"
#include "session/TranslationTableLayout.h"
#include "ui/HandlerGuard.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <algorithm>
#include <cmath>
#include <optional>

namespace zel {

namespace {

const QString kCellPattern = QStringLiteral("####0.00");

/// A raw value as the logger holds it: a whole number of 16 bits; what lies outside is
/// held at the nearer end, NaN counts as 0.
quint16 rawValue(double value)
{
    if (std::isnan(value))
        return 0;
    return quint16(std::clamp(std::trunc(value), 0.0, 65535.0));
}

double numberOrZero(const QString &text)
{
    return numberFromText(text).value_or(0.0);
}

} // namespace

TLogTranslationGrid::TLogTranslationGrid(UserDialogs &dialogs, QWidget *parent)
    : QTableWidget(2, 1, parent)
    , m_dialogs(dialogs)
    , m_accepted(
          QStringLiteral("0123456789+-") + (UserNumbers::decimalSeparator() == u',' ? u',' : u'.'))
{
    setEditTriggers(NoEditTriggers);
    setSelectionMode(ContiguousSelection);
    verticalHeader()->hide();
    connect(this, &QTableWidget::currentCellChanged, this,
        [this](int row, int column) { guarded(m_dialogs, [&] { selectCell(row, column); }); });
}

void TLogTranslationGrid::setPointCount(int points)
{
    setColumnCount(std::clamp(points, 0, kMaxPoints) + 1);
}

quint16 TLogTranslationGrid::ColumnRange(int column) const
{
    return column >= 1 && column <= kMaxPoints ? m_columnRange[size_t(column - 1)] : 0;
}

QString TLogTranslationGrid::cellText(int column, int row) const
{
    const QTableWidgetItem *cell = item(row, column);
    return cell ? cell->text() : QString();
}

void TLogTranslationGrid::setCellText(int column, int row, const QString &text)
{
    if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount())
        return;
    if (QTableWidgetItem *cell = item(row, column)) {
        cell->setText(text);
        return;
    }
    auto *cell = new QTableWidgetItem(text);
    if (column == 0)
        cell->setFlags(Qt::ItemIsEnabled);
    setItem(row, column, cell);
}

float TLogTranslationGrid::CellNumberValue(int ACol, int ARow) const
{
    if (ACol < 1 || ACol > m_maxColumns || ARow < 0 || ARow > 1)
        return 0.0f;
    return float(numberOrZero(cellText(ACol, ARow)));
}

void TLogTranslationGrid::SGKeyPress(QChar Key)
{
    QList<QTableWidgetSelectionRange> ranges = selectedRanges();
    if (ranges.isEmpty() && currentColumn() >= 0)
        ranges << QTableWidgetSelectionRange(
            currentRow(), currentColumn(), currentRow(), currentColumn());
    const double step = std::nearbyint(m_cellInc);
    for (const QTableWidgetSelectionRange &range : ranges) {
        for (int column = std::max(range.leftColumn(), 1); column <= range.rightColumn();
             ++column) {
            for (int row = range.topRow(); row <= range.bottomRow(); ++row) {
                if (cellText(column, row).isEmpty())
                    setCellText(column, row, QStringLiteral("0"));
                double value = UserNumbers::parse(cellText(column, row));
                if (Key == u'+')
                    value += step;
                else if (Key == u'-')
                    value -= step;
                setCellText(column, row, UserNumbers::format(value, kCellPattern));
            }
        }
    }
}

void TLogTranslationGrid::selectCell(int row, int column)
{
    if (m_copyCell && column >= 1)
        setCellText(column, row, m_holdValue);
    m_copyCell = false;
    m_cellSelect = true;
}

void TLogTranslationGrid::typeCharacter(QChar character)
{
    if (!m_accepted.contains(character) && character != u'\b')
        return;
    const int column = currentColumn();
    const int row = currentRow();
    if (column < 1 || row < 0)
        return;
    QString text = cellText(column, row);
    if (m_cellSelect)
        text.clear();
    m_cellSelect = false;
    if (character == u'\b')
        text.chop(1);
    else if ((character == u'+' || character == u'-') && !text.isEmpty())
        return;
    else
        text += character;
    setCellText(column, row, text);
    m_changed = true;
}

void TLogTranslationGrid::keyPressEvent(QKeyEvent *event)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    const int key = event->key();
    if (modifiers & Qt::AltModifier && !m_copyCell) {
        m_copyCell = true;
        m_holdValue = cellText(currentColumn(), currentRow());
    }
    if (modifiers & Qt::ControlModifier
        && (key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Up
            || key == Qt::Key_Down)) {
        // Inserting and deleting columns or rows is not offered, so only the moves remain.
        if (key == Qt::Key_Left && currentColumn() >= 2)
            setCurrentCell(currentRow(), currentColumn() - 1);
        else if (key == Qt::Key_Up && currentRow() >= 2)
            setCurrentCell(currentRow() - 1, currentColumn());
        event->accept();
        return;
    }
    if (!(modifiers & (Qt::ControlModifier | Qt::AltModifier))) {
        const QChar command = key == Qt::Key_PageUp         ? u'+'
            : key == Qt::Key_PageDown                       ? u'-'
            : key == Qt::Key_Return || key == Qt::Key_Enter ? u'R'
                                                            : QChar();
        if (!command.isNull()) {
            guarded(m_dialogs, [&] { SGKeyPress(command); });
            event->accept();
            return;
        }
        const QString typed = event->text();
        if (typed.size() == 1 && (typed[0] == u'\b' || typed[0].unicode() >= 0x20)) {
            typeCharacter(typed[0]);
            event->accept();
            return;
        }
    }
    QTableWidget::keyPressEvent(event);
}

void TLogTranslationGrid::selectTableRows()
{
    QString quoted = m_recordType;
    quoted.replace(u'\'', QStringLiteral("''"));
    m_table->setFilter(QStringLiteral("RecordType = '%1'").arg(quoted));
    m_table->setFiltered(true);
}

void TLogTranslationGrid::WriteToTable()
{
    if (!m_table || m_recordType.trimmed().isEmpty())
        return;
    TranslationTableLayout::ensureColumnCount(*m_table);
    selectTableRows();
    const int firstPoint = m_table->columnIndex(QStringLiteral("Col_0"));
    const int columns = columnCount();
    if (firstPoint + columns > m_table->columnCount())
        throw RecordTableError(QStringLiteral("The translation table has no column for point %1.")
                                   .arg(m_table->columnCount() - firstPoint));
    QList<double> raw;
    QList<double> translated;
    for (int column = 1; column < columns; ++column) {
        raw << rawValue(numberOrZero(cellText(column, 0)));
        translated << CellNumberValue(column, 1);
    }
    writeRow(0, firstPoint, raw);
    writeRow(1, firstPoint, translated);
}

void TLogTranslationGrid::writeRow(int rowNumber, int firstPoint, const QList<double> &points)
{
    if (m_table->Locate(QStringLiteral("RowNumber"), { rowNumber })) {
        m_table->Edit();
    } else {
        m_table->Append();
        m_table->fieldByName(QStringLiteral("RecordType")).setText(m_recordType);
        m_table->fieldByName(QStringLiteral("RowNumber")).setInteger(rowNumber);
    }
    for (int i = 0; i <= points.size(); ++i)
        m_table->field(firstPoint + i).setReal(0.0);
    for (int i = 0; i < points.size(); ++i)
        m_table->field(firstPoint + i).setReal(points[i]);
    if (rowNumber == 0)
        m_table->fieldByName(QStringLiteral("ColumnCount")).setInteger(points.size());
    m_table->Post();
}

void TLogTranslationGrid::ReadFromTable()
{
    if (!m_table)
        return;
    selectTableRows();
    const int firstPoint = m_table->columnIndex(QStringLiteral("Col_0"));
    if (m_table->isEmpty())
        return;
    const int available = std::min(kMaxPoints, m_table->columnCount() - firstPoint);
    if (m_table->Locate(QStringLiteral("RowNumber"), { 0 })) {
        QList<quint16> headings;
        const int countColumn = m_table->findColumn(QStringLiteral("ColumnCount"));
        if (countColumn >= 0) {
            const double count = m_table->field(countColumn).asReal();
            const int points = std::isnan(count)
                ? 0
                : int(std::clamp(std::trunc(count), 0.0, double(available)));
            for (int i = 0; i < points; ++i)
                headings << rawValue(m_table->field(firstPoint + i).asReal());
        } else {
            // Without a count, the points end before the first value above the logger's
            // 12-bit range.
            for (int i = 0; i < available; ++i) {
                const double value = m_table->field(firstPoint + i).asReal();
                if (value > 4096)
                    break;
                headings << rawValue(value);
            }
        }
        setPointCount(int(headings.size()));
        m_columnRange.fill(0);
        for (int i = 0; i < headings.size(); ++i) {
            m_columnRange[size_t(i)] = headings[i];
            setCellText(i + 1, 0, QString::number(headings[i]));
        }
    }
    setCellText(0, 0, QStringLiteral("A to D"));
    setCellText(0, 1, QStringLiteral("Translation"));
    const bool translated = m_table->Locate(QStringLiteral("RowNumber"), { 1 });
    for (int column = 1; column < columnCount(); ++column) {
        const Field field = m_table->field(firstPoint + column - 1);
        setCellText(column, 1,
            translated && !field.isNull() ? UserNumbers::format(field.asReal(), kCellPattern)
                                          : QStringLiteral("0.0"));
    }
}

} // namespace zel
