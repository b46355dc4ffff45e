#include "dashmanager/DashFileInstaller.h"

#include "card/CardFileCopy.h"
#include "card/CardPaths.h"
#include "common/AnsiText.h"
#include "logger/TKROSettings.h"
#include "ui/BusyCursor.h"
#include "ui/UserDialogs.h"

#include <QFileInfo>

namespace zel {

DashFileInstaller::DashFileInstaller(UserDialogs &dialogs, TKROSettings &settings,
    std::function<QString()> cardRoot, std::function<ProgramPaths()> program, QObject *parent)
    : QObject(parent)
    , m_dialogs(dialogs)
    , m_settings(settings)
    , m_cardRoot(std::move(cardRoot))
    , m_program(std::move(program))
{ }

namespace {

// The longest sector or message file name the settings hold.
constexpr int kMaxNameLength = 31;

// Why \a fileName cannot be named in the settings; empty when it can. The name is refused
// rather than cut, as a cut name would point the dash at a file the card does not hold.
QString nameProblem(const QString &fileName)
{
    if (fileName.size() > kMaxNameLength) {
        return QStringLiteral("The file name \"%1\" is longer than %2 characters, which the dash "
                              "cannot use. Rename the file and load it again.")
            .arg(fileName)
            .arg(kMaxNameLength);
    }
    if (fromAnsi(toAnsi(fileName)) != fileName) {
        return QStringLiteral("The file name \"%1\" holds characters the dash cannot use. Rename "
                              "the file and load it again.")
            .arg(fileName);
    }
    return {};
}

} // namespace

void DashFileInstaller::LoadFirmware()
{
    const QString cardRoot = m_cardRoot();
    if (cardRoot.isEmpty())
        return;
    FileDialogRequest request;
    // Any case of ".bin": images come from file systems that ignore case.
    request.filter = QStringLiteral("KRO 7 Firmware|*.[Bb][Ii][Nn]");
    request.defaultExtension = QStringLiteral("bin");
    request.initialFolder = m_program().firmwareFolder();
    const auto path = m_dialogs.openFile(request);
    if (!path)
        return;
    CopyReport report;
    {
        const BusyCursor busy;
        report.add(copyFileTo(*path, CardPaths(cardRoot).firmwareFile()));
    }
    if (!report.complete())
        m_dialogs.error(report.summary());
}

void DashFileInstaller::LoadSectorFile()
{
    loadDataFile(Kind::Sector);
}

void DashFileInstaller::LoadMessageFile()
{
    loadDataFile(Kind::Message);
}

void DashFileInstaller::RemoveSectorFile()
{
    if (m_settings.active())
        setName(Kind::Sector, {});
}

void DashFileInstaller::RemoveMessageFile()
{
    if (m_settings.active())
        setName(Kind::Message, {});
}

void DashFileInstaller::loadDataFile(Kind kind)
{
    const QString cardRoot = m_cardRoot();
    if (cardRoot.isEmpty() || !m_settings.active())
        return;
    FileDialogRequest request;
    if (kind == Kind::Sector) {
        request.filter = QStringLiteral("KRO Practice Run Files|*.prc");
        request.defaultExtension = QStringLiteral("prc");
    } else {
        request.filter = QStringLiteral("ZEL Message Files|*.msg");
        request.defaultExtension = QStringLiteral("msg");
    }
    request.initialFolder = m_program().dataFolder();
    const auto path = m_dialogs.openFile(request);
    if (!path)
        return;
    const QFileInfo source(*path);
    const QString name = source.fileName();
    if (const QString problem = nameProblem(name); !problem.isEmpty()) {
        m_dialogs.error(problem);
        return;
    }
    CopyReport report;
    {
        const BusyCursor busy;
        report.add(copyCardFile(source.absolutePath(), CardPaths(cardRoot).dataFolder(), name));
    }
    if (!report.complete()) {
        m_dialogs.error(report.summary());
        return;
    }
    setName(kind, name);
}

void DashFileInstaller::setName(Kind kind, const QString &name)
{
    TSettings &settings = m_settings.settings();
    (kind == Kind::Sector ? settings.Practice : settings.TrackMessage).assign(name);
    m_settings.SaveSettingsTable();
    Q_EMIT namesChanged();
}

} // namespace zel
