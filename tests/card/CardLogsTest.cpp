#include "card/CardLogs.h"

#include "CardTesting.h"
#include "card/CardPaths.h"
#include "common/Error.h"

using namespace zel;
using namespace cardtesting;

namespace {

class CardLogsTest : public CardTest
{
};

TEST_F(CardLogsTest, RawLogsAreFoundInAnyCase)
{
    const struct
    {
        const char *file;
        bool holds;
    } cases[] = { { "Logs/run1.Dsh", true }, { "LOGS/RUN1.DSH", true }, { "logs/a.dsh", true },
        { "Logs/run1.kro", false }, { "Logs/sub/run1.Dsh", false }, { "Data/run1.Dsh", false },
        { nullptr, false } };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.file ? c.file : "no logs folder");
        QTemporaryDir root;
        if (c.file)
            writeAll(root.filePath(c.file), "x");
        EXPECT_EQ(holdsRawLogs(CardPaths(root.path())), c.holds);
    }
}

TEST_F(CardLogsTest, ClearingLeavesAnEmptyLogsFolderUnderItsOwnName)
{
    writeAll(card("LOGS/run1.Dsh"), "log");
    writeAll(card("LOGS/.hidden"), "x");
    writeAll(card("LOGS/sub/run2.Dsh"), "log");
    writeAll(card("Data/Settings.prm"), "settings");
    // A link inside the folder goes, what it points to stays.
    writeAll(program("elsewhere/keep.Dsh"), "keep");
    ASSERT_TRUE(QFile::link(program("elsewhere"), card("LOGS/link")));

    clearLogsFolder(CardPaths(card()));
    EXPECT_EQ(tree(card()), QStringList({ "Data", "Data/Settings.prm", "LOGS" }));
    EXPECT_EQ(readAll(program("elsewhere/keep.Dsh")), "keep");

    // A card without the folder gets one.
    QTemporaryDir fresh;
    clearLogsFolder(CardPaths(fresh.path()));
    EXPECT_EQ(tree(fresh.path()), QStringList { "Logs" });
}

TEST_F(CardLogsTest, ALinkOrAFileNamedLogsIsRefusedAndLeftAlone)
{
    writeAll(program("target/run1.Dsh"), "not the card's");
    ASSERT_TRUE(QFile::link(program("target"), card("Logs")));
    try {
        clearLogsFolder(CardPaths(card()));
        ADD_FAILURE() << "the link was followed";
    } catch (const FileError &e) {
        EXPECT_TRUE(e.message().contains(card("Logs"))) << e.what();
    }
    EXPECT_EQ(readAll(program("target/run1.Dsh")), "not the card's");
    EXPECT_TRUE(QFileInfo(card("Logs")).isSymLink());

    QTemporaryDir other;
    writeAll(other.filePath("logs"), "a file");
    EXPECT_THROW(clearLogsFolder(CardPaths(other.path())), FileError);
    EXPECT_EQ(readAll(other.filePath("logs")), "a file");

    // No card at all: nothing is made in its place.
    EXPECT_THROW(clearLogsFolder(CardPaths(other.filePath("gone"))), FileError);
    EXPECT_FALSE(QFileInfo::exists(other.filePath("gone")));
}

} // namespace
