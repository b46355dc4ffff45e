#pragma once

#include <QStringList>
#include <QWidget>

class QLineEdit;
class QListWidget;
class QTableWidget;

namespace zel {

class FormulaRepositoryPage;
class LimitedTextEdit;
class TKRO_Data;
class UserDialogs;
struct FormulaSource;

/// The maths editor of the "Logs" page: the card's maths channels and global variables
/// (the data module's MathsChannels1) with a formula editor, the lists that insert
/// operators, functions, log channels and variables into it, the formula test, and the
/// formula repository on a tab beside it. Every change to a channel or variable is saved to
/// the card's maths table at once; the lists follow the data module's OnMathsListsChanged.
class MathsEditor : public QWidget
{
    Q_OBJECT
public:
    MathsEditor(TKRO_Data &data, UserDialogs &dialogs, QWidget *parent = nullptr);

    /// The card whose imports decide which names are logged columns, refused as maths
    /// names; empty when no card is shown.
    void setCardRoot(const QString &root) { m_cardRoot = root; }
    /// After an import: the "Log Channels" list becomes the import's column names followed
    /// by the maths channel names not among them.
    void setLogChannels(const QStringList &importChannels);
    /// The "Log Channels" list: the names a tested formula may use besides the variables.
    const QStringList &logChannels() const { return m_logChannels; }

    /// Loads the formula repository (window creation).
    void loadRepository();

    /// "New Channel": empties the name and the source.
    void newChannel();
    /// "Save Channel": stores the source under the name (refusing a name that cannot be
    /// stored or is a logged column) and saves the maths table.
    void saveChannel();
    /// "Remove Channel": removes the maths channel chosen in the list and saves.
    void removeChannel();
    /// "Save Variable": stores the variable of the two edits and saves.
    void saveVariable();
    /// "Delete Variable": removes the chosen variable and saves.
    void deleteVariable();
    /// "Test Code": tests the source over the variables and the "Log Channels" list and
    /// shows the result; on an error the caret goes to where the error was found.
    void testCode();

private:
    QWidget *buildEditorTab();
    void refillMathsLists();
    void addMissingMathsNames();
    void showChannel(int index);
    void showVariable(int row);
    QString nameError(const QString &name) const;
    FormulaSource source() const;
    void setSource(const FormulaSource &source);

    TKRO_Data &m_data;
    UserDialogs &m_dialogs;
    QString m_cardRoot;
    QStringList m_importChannels; // the last import's columns, refused as maths names
    QStringList m_logChannels;

    QListWidget *m_channels = nullptr;
    QLineEdit *m_name = nullptr;
    LimitedTextEdit *m_source = nullptr;
    QTableWidget *m_variables = nullptr;
    QLineEdit *m_variableName = nullptr;
    QLineEdit *m_variableValue = nullptr;
    QListWidget *m_operators = nullptr;
    QListWidget *m_functions = nullptr;
    QListWidget *m_logChannelList = nullptr;
    FormulaRepositoryPage *m_repository = nullptr;
};

} // namespace zel
