#pragma once

#include <QWidget>
#include <functional>

class QPlainTextEdit;
class QPushButton;
class QTableWidget;

namespace zel {

class TKRO_Data;
class UserDialogs;

/// The "Code Reporitory" page beside the maths editor: the data module's formula repository
/// as a grid of names with the chosen entry's source shown read-only below. Entries are
/// added or replaced by name from the editor's code and copied back into it; every change
/// is saved to the repository file at once.
class FormulaRepositoryPage : public QWidget
{
    Q_OBJECT
public:
    /// A formula's name and source as the maths editor holds them.
    struct Code
    {
        QString name;
        QString source;
    };

    /// A page over \a data's repository; \a editorCode gives the editor's code for "Add to
    /// Repository". The page stays disabled until load() succeeds.
    FormulaRepositoryPage(TKRO_Data &data, UserDialogs &dialogs, std::function<Code()> editorCode,
        QWidget *parent = nullptr);

    /// Loads the repository from the program's "Data" folder, creating an empty one when it
    /// is missing, and shows it. A repository that cannot be read is reported and the page
    /// stays disabled, so that no save replaces the file.
    void load();

    /// "Add to Repository": with a name and a source, replaces the entry of that name or
    /// adds one, and saves.
    void addEditorCode();
    /// "Use selected Code" and a double click: hands the chosen entry to the editor.
    void useSelected();
    /// "Delete selected Code": deletes the chosen entry and saves.
    void deleteSelected();

Q_SIGNALS:
    /// The user chose an entry to work on in the editor.
    void codeChosen(const QString &name, const QString &source);

private:
    void refill(int selectRow);
    void showSelectedSource();
    int selectedRow() const;

    TKRO_Data &m_data;
    UserDialogs &m_dialogs;
    std::function<Code()> m_editorCode;
    QTableWidget *m_grid = nullptr;
    QPlainTextEdit *m_source = nullptr;
};

} // namespace zel
