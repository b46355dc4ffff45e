#include "dashmanager/MathsEditor.h"

#include "card/CardColumns.h"
#include "card/CardPaths.h"
#include "dashmanager/FormulaInsertion.h"
#include "dashmanager/FormulaRepositoryPage.h"
#include "logger/TMathsChannels.h"
#include "session/NumberPattern.h"
#include "session/NumberText.h"
#include "session/TKRO_Data.h"
#include "ui/FormulaDialogsBinding.h"
#include "ui/HandlerGuard.h"
#include "ui/LimitedTextEdit.h"
#include "ui/UserDialogs.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTextCursor>
#include <QVBoxLayout>
#include <algorithm>

namespace zel {

namespace {

const QString kChannelValue = QStringLiteral("Channel Value = ");
const QString kCancelled = QStringLiteral("Operation was Canceled");

// The formula test asks for test values through the user's dialogs; an import must never
// open one, so they are handed over only while the test runs.
class TestDialogsLent
{
public:
    TestDialogsLent(TKRO_Data &data, UserDialogs &dialogs)
        : m_data(data)
    {
        m_data.setTestDialogs(formulaDialogsFor(dialogs));
    }
    ~TestDialogsLent() { m_data.setTestDialogs({}); }
    TestDialogsLent(const TestDialogsLent &) = delete;
    TestDialogsLent &operator=(const TestDialogsLent &) = delete;

private:
    TKRO_Data &m_data;
};

QListWidget *namedList(const char *name, const QStringList &entries = {})
{
    auto *list = new QListWidget;
    list->setObjectName(QString::fromLatin1(name));
    list->addItems(entries);
    return list;
}

QWidget *titled(const QString &title, QWidget *widget)
{
    auto *box = new QWidget;
    auto *layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new QLabel(title));
    layout->addWidget(widget, 1);
    return box;
}

} // namespace

MathsEditor::MathsEditor(TKRO_Data &data, UserDialogs &dialogs, QWidget *parent)
    : QWidget(parent)
    , m_data(data)
    , m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("MathsEditor"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *tabs = new QTabWidget;
    tabs->setObjectName(QStringLiteral("MathsTabs"));
    tabs->addTab(buildEditorTab(), QStringLiteral("Maths Editor"));
    m_repository = new FormulaRepositoryPage(m_data, m_dialogs, [this] {
        return FormulaRepositoryPage::Code { m_name->text(), m_source->toPlainText() };
    });
    m_repository->setObjectName(QStringLiteral("CodeRepository"));
    tabs->addTab(m_repository, QStringLiteral("Code Reporitory"));
    layout->addWidget(tabs);

    connect(m_repository, &FormulaRepositoryPage::codeChosen, this,
        [this](const QString &name, const QString &source) {
            m_name->setText(name);
            m_source->setPlainText(source);
        });
    connectGuarded(
        m_dialogs, &m_data, &TKRO_Data::OnMathsListsChanged, this, [this] { refillMathsLists(); });
    refillMathsLists();
}

QWidget *MathsEditor::buildEditorTab()
{
    auto *tab = new QWidget;
    auto *grid = new QGridLayout(tab);

    m_channels = namedList("MathsChannelList");
    grid->addWidget(titled(QStringLiteral("Maths Channels"), m_channels), 0, 0, 2, 1);

    auto *editor = new QVBoxLayout;
    editor->addWidget(new QLabel(QStringLiteral("Math Channel Name")));
    m_name = new QLineEdit;
    m_name->setObjectName(QStringLiteral("MathChannelName"));
    editor->addWidget(m_name);
    editor->addWidget(new QLabel(QStringLiteral("Math Definition Source Code")));
    // The maths table holds a formula of this length with its terminating NUL.
    m_source = new LimitedTextEdit(kMaxFormulaLength);
    m_source->setObjectName(QStringLiteral("MathDefinitionSource"));
    editor->addWidget(m_source, 1);
    auto *channelButtons = new QHBoxLayout;
    editor->addLayout(channelButtons);
    grid->addLayout(editor, 0, 1);

    auto *variables = new QVBoxLayout;
    m_variables = new QTableWidget(0, 2);
    m_variables->setObjectName(QStringLiteral("GlobalVariables"));
    m_variables->setHorizontalHeaderLabels(
        { QStringLiteral("Name"), QStringLiteral("Initial Value") });
    m_variables->horizontalHeader()->setStretchLastSection(true);
    m_variables->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_variables->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_variables->setSelectionMode(QAbstractItemView::SingleSelection);
    variables->addWidget(titled(QStringLiteral("Global Variables"), m_variables), 1);
    auto *variableEdits = new QHBoxLayout;
    m_variableName = new QLineEdit;
    m_variableName->setObjectName(QStringLiteral("VariableName"));
    m_variableValue = new QLineEdit;
    m_variableValue->setObjectName(QStringLiteral("InitialValue"));
    variableEdits->addWidget(titled(QStringLiteral("Variable Name"), m_variableName));
    variableEdits->addWidget(titled(QStringLiteral("Initial Value"), m_variableValue));
    variables->addLayout(variableEdits);
    auto *variableButtons = new QHBoxLayout;
    variables->addLayout(variableButtons);
    grid->addLayout(variables, 1, 1);

    const auto button
        = [this](QHBoxLayout *row, const char *name, const QString &caption, auto handler) {
              auto *b = new QPushButton(caption);
              b->setObjectName(QString::fromLatin1(name));
              connectGuarded(m_dialogs, b, &QPushButton::clicked, this, handler);
              row->addWidget(b);
          };
    button(channelButtons, "NewChannel", QStringLiteral("New Channel"), [this] { newChannel(); });
    button(
        channelButtons, "SaveChannel", QStringLiteral("Save Channel"), [this] { saveChannel(); });
    button(channelButtons, "RemoveChannel", QStringLiteral("Remove Channel"),
        [this] { removeChannel(); });
    button(channelButtons, "TestCode", QStringLiteral("Test Code"), [this] { testCode(); });
    button(variableButtons, "SaveVariable", QStringLiteral("Save Variable"),
        [this] { saveVariable(); });
    button(variableButtons, "DeleteVariable", QStringLiteral("Delete Variable"),
        [this] { deleteVariable(); });

    m_operators = namedList("Operators", formulaOperators());
    m_functions = namedList("MathFunctions", formulaFunctions());
    m_logChannelList = namedList("LogChannelList");
    auto *inserts = new QVBoxLayout;
    inserts->addWidget(titled(QStringLiteral("Operators"), m_operators));
    inserts->addWidget(titled(QStringLiteral("Math Functions"), m_functions));
    inserts->addWidget(titled(QStringLiteral("Log Channels"), m_logChannelList));
    grid->addLayout(inserts, 0, 2, 2, 1);
    grid->setColumnStretch(1, 1);

    connectGuarded(m_dialogs, m_channels, &QListWidget::itemDoubleClicked, this,
        [this] { showChannel(m_channels->currentRow()); });
    connectGuarded(m_dialogs, m_variables, &QTableWidget::cellClicked, this,
        [this](int row, int) { showVariable(row); });
    connectGuarded(
        m_dialogs, m_variables, &QTableWidget::cellDoubleClicked, this, [this](int row, int) {
            setSource(insertOperand(source(), u'$' + m_variables->item(row, 0)->text()));
        });
    connectGuarded(m_dialogs, m_operators, &QListWidget::itemDoubleClicked, this,
        [this](QListWidgetItem *item) { setSource(insertOperator(source(), item->text())); });
    for (QListWidget *list : { m_functions, m_logChannelList }) {
        connectGuarded(m_dialogs, list, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem *item) { setSource(insertOperand(source(), item->text())); });
    }
    return tab;
}

void MathsEditor::setLogChannels(const QStringList &importChannels)
{
    m_importChannels = importChannels;
    m_logChannels = importChannels;
    addMissingMathsNames();
}

void MathsEditor::loadRepository()
{
    m_repository->load();
}

void MathsEditor::newChannel()
{
    m_name->clear();
    m_source->clear();
}

void MathsEditor::saveChannel()
{
    const QString name = m_name->text();
    if (name.trimmed().isEmpty())
        return;
    if (const QString error = nameError(name); !error.isEmpty()) {
        m_dialogs.error(error);
        return;
    }
    TMathsChannels &maths = m_data.MathsChannels1();
    maths.AddFormula(name, m_source->toPlainText());
    maths.SaveMathsTables();
    addMissingMathsNames();
}

void MathsEditor::removeChannel()
{
    TMathsChannels &maths = m_data.MathsChannels1();
    const int index = m_channels->currentRow();
    if (index < 0 || index >= maths.RecordCount())
        return;
    const QString name = maths.record(index).name();
    maths.DeleteFormula(index);
    maths.SaveMathsTables();
    // A logged column keeps its place; so does a name another maths channel still has.
    if (!m_importChannels.contains(name) && maths.FindFormula(name) < 0) {
        m_logChannels.removeAll(name);
        m_logChannelList->clear();
        m_logChannelList->addItems(m_logChannels);
    }
}

void MathsEditor::saveVariable()
{
    const QString name = m_variableName->text();
    if (name.trimmed().isEmpty())
        return;
    if (const QString error = nameError(name); !error.isEmpty()) {
        m_dialogs.error(error);
        return;
    }
    const QString text = m_variableValue->text();
    const std::optional<double> value = numberFromText(text);
    if (!value) {
        m_dialogs.error(QStringLiteral("'%1' is not a valid floating point value").arg(text));
        return;
    }
    TMathsChannels &maths = m_data.MathsChannels1();
    maths.AddVariable(name, 0, *value);
    maths.SaveMathsTables();
}

void MathsEditor::deleteVariable()
{
    TMathsChannels &maths = m_data.MathsChannels1();
    const int row = m_variables->currentRow();
    if (row < 0 || row >= maths.VarCount())
        return;
    maths.DeleteVariable(TMathsChannels::kVariableBase + row);
    maths.SaveMathsTables();
}

void MathsEditor::testCode()
{
    const QString text = m_source->toPlainText();
    m_data.PrepareComputation(m_logChannels);
    int errorCode = -1;
    QString message;
    {
        const TestDialogsLent lent(m_data, m_dialogs);
        message = m_data.TestFormula(text, errorCode);
    }
    const bool failed
        = !message.isEmpty() && !message.startsWith(kChannelValue) && message != kCancelled;
    m_dialogs.information(message.isEmpty() ? QStringLiteral("No errors found") : message);
    if (failed && errorCode >= 0) {
        setSource({ m_source->toPlainText(), errorCode });
        m_source->setFocus();
    }
}

void MathsEditor::refillMathsLists()
{
    const TMathsChannels &maths = m_data.MathsChannels1();
    const int channel = m_channels->currentRow();
    m_channels->clear();
    for (int i = 0; i < maths.RecordCount(); ++i)
        m_channels->addItem(maths.record(i).name());
    if (channel >= 0 && m_channels->count() > 0)
        m_channels->setCurrentRow(std::min(channel, m_channels->count() - 1));

    const int variable = m_variables->currentRow();
    m_variables->setRowCount(maths.VarCount());
    for (int j = 0; j < maths.VarCount(); ++j) {
        const MathsRecord &record = maths.record(TMathsChannels::kVariableBase + j);
        m_variables->setItem(j, 0, new QTableWidgetItem(record.name()));
        m_variables->setItem(
            j, 1, new QTableWidgetItem(formatPattern(record.Value, u"######0.0000", QLocale())));
    }
    if (variable >= 0 && maths.VarCount() > 0)
        m_variables->setCurrentCell(std::min(variable, maths.VarCount() - 1), 0);
}

void MathsEditor::addMissingMathsNames()
{
    const TMathsChannels &maths = m_data.MathsChannels1();
    for (int i = 0; i < maths.RecordCount(); ++i) {
        const QString name = maths.record(i).name();
        if (!m_logChannels.contains(name))
            m_logChannels << name;
    }
    m_logChannelList->clear();
    m_logChannelList->addItems(m_logChannels);
}

void MathsEditor::showChannel(int index)
{
    const TMathsChannels &maths = m_data.MathsChannels1();
    if (index < 0 || index >= maths.RecordCount())
        return;
    m_name->setText(maths.record(index).name());
    m_source->setPlainText(maths.FormulaText(index).join(u'\n'));
}

void MathsEditor::showVariable(int row)
{
    if (row < 0 || row >= m_variables->rowCount())
        return;
    m_variableName->setText(m_variables->item(row, 0)->text());
    m_variableValue->setText(m_variables->item(row, 1)->text());
}

QString MathsEditor::nameError(const QString &name) const
{
    const QString error = m_cardRoot.isEmpty()
        ? TMathsChannels::NameError(name)
        : CardColumns(CardPaths(m_cardRoot)).mathsNameError(name);
    if (!error.isEmpty())
        return error;
    // The last import may hold columns the card's present settings no longer name.
    if (m_importChannels.contains(name.trimmed(), Qt::CaseInsensitive))
        return QStringLiteral("\"%1\" is a column of the session log").arg(name);
    return {};
}

FormulaSource MathsEditor::source() const
{
    return { m_source->toPlainText(), m_source->textCursor().position() };
}

void MathsEditor::setSource(const FormulaSource &source)
{
    m_source->setPlainText(source.text);
    QTextCursor cursor = m_source->textCursor();
    cursor.setPosition(std::clamp(source.caret, 0, int(m_source->toPlainText().size())));
    m_source->setTextCursor(cursor);
}

} // namespace zel
