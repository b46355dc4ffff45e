#include "formula/FormulaMessages.h"

#include "FormulaTesting.h"

#include <QFile>
#include <QTemporaryDir>

using namespace zel;
using namespace zel::testing;

namespace {

// Message texts are shared by the whole process: every test ends with English again.
class FormulaLoadLang : public ::testing::Test
{
protected:
    void TearDown() override
    {
        TTalFormula f;
        f.LoadLang(dir.filePath("missing.ini"));
    }

    QString write(const QByteArray &content)
    {
        const QString path = dir.filePath("lang.ini");
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
        return path;
    }

    QTemporaryDir dir;
};

} // namespace

TEST_F(FormulaLoadLang, TranslatesMessagesOfEveryComponent)
{
    TTalFormula loader;
    int fired = 0;
    loader.setOnLoadLang([&] { ++fired; });
    loader.LoadLang(write("[Other]\ncSyntaxError=Not this one\n"
                          "[talformula]\r\n"
                          "; a comment\r\n"
                          "cSyntaxError = Bad formula\r\n"
                          "cUnknownIdentifier=Unbekannt, sagt \"sie\"\r\n"
                          "cExpected=erwartet\r\n"
                          "cNotEnoughParameters=\r\n"
                          "cIllegalCharacter=Ung\xC3\xBCltiges Zeichen\r\n"
                          "[Next]\ncVariableNotUsed=Not this one either\n"));
    EXPECT_EQ(fired, 1);
    EXPECT_EQ(loader.GetLocalString("csyntaxerror", "x"), "Bad formula");
    EXPECT_EQ(loader.GetLocalString("cNotEnoughParameters", "default"), "default");
    EXPECT_EQ(loader.GetLocalString("cMissing", "default"), "default");

    expectAll({
        {"1 +", "!Bad formula"},
        {"zz", "!Unbekannt, sagt \"sie\" 'zz'"},
        {"(1", "!\")\" erwartet"},
        {"SIN 1", "!\"(\" erwartet"},
        {"MIDSTR('a', 1)", "!Not enough parameters"},
        {"1 ? 2", "!Ungültiges Zeichen '?'"},
    });
    EXPECT_EQ(FormulaMessages::text(FormulaMessages::VariableNotUsed), "Variable not used");
}

TEST_F(FormulaLoadLang, AFileWithoutTheSectionRestoresEnglish)
{
    TTalFormula f;
    f.LoadLang(write("[TalFormula]\ncSyntaxError=Bad formula\ncFunctionAlreadyDefined=Taken\n"));
    EXPECT_EQ(run("1 +").error, "Bad formula");
    EXPECT_THROW(
        try { f.AddUserFunction("sin", 1, {}); } catch (const FormulaException &e) {
            EXPECT_EQ(e.message(), "Taken");
            throw;
        },
        FormulaException);
    f.LoadLang(write("cSyntaxError=outside any section\n"));
    EXPECT_TRUE(f.LocalStrings().isEmpty());
    EXPECT_EQ(run("1 +").error, "Syntax error");
}

TEST_F(FormulaLoadLang, ReadsWindowsCodePageFiles)
{
    TTalFormula f;
    f.LoadLang(write("[TalFormula]\ncSyntaxError=Fehlerhafte Formel \xE4\x80\n"));
    EXPECT_EQ(run("1 +").error, QString::fromUtf8("Fehlerhafte Formel ä€"));
}
