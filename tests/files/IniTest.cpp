// The INI operations against files written byte by byte, as other programs
// (and other systems) leave them.
#include "files/modINI.h"

#include "files/FileTestSupport.h"
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace corvane {
namespace {

class IniFiles : public ::testing::Test {
protected:
    QString Path() const { return dir_.filePath(QStringLiteral("test.ini")); }
    void Put(const QByteArray& bytes) const { PutFile(Path(), bytes); }
    QByteArray Get() const { return GetFile(Path()); }
    QTemporaryDir dir_;
};

// Literal bytes, NUL included.
template <std::size_t N> QByteArray Raw(const char (&bytes)[N]) {
    return QByteArray(bytes, N - 1);
}

struct ReadCase {
    const char* what;
    QByteArray file;
    const char* section;
    const char* key;
    QString expected; // the default is "<d>"
};

TEST_F(IniFiles, ReadFollowsTheProfileRules) {
    const QString longValue(300, u'x');
    const ReadCase cases[] = {
        {"names in any case", "[corvane]\nsom=True\n", "Corvane", "SOM", "True"},
        {"blanks around names and values", "  [ Corvane ]  \n \t SOM   =  False \t\n", "Corvane",
         "SOM", "False"},
        {"CRLF line ends", "[Corvane]\r\nNICK=ANA\r\nSOM=True\r\n", "Corvane", "NICK", "ANA"},
        {"CR line ends", "[Corvane]\rNICK=ANA\rSOM=True\r", "Corvane", "SOM", "True"},
        {"missing key", "[Corvane]\nSOM=True\n", "Corvane", "NICK", "<d>"},
        {"missing section", "[Other]\nSOM=True\n", "Corvane", "SOM", "<d>"},
        {"key of the next section", "[Corvane]\nA=1\n[Other]\nSOM=x\n", "Corvane", "SOM", "<d>"},
        {"key before any section", "SOM=x\n[Corvane]\nA=1\n", "Corvane", "SOM", "<d>"},
        {"empty value", "[Corvane]\nSOM=\n", "Corvane", "SOM", "<d>"},
        {"blank value", "[Corvane]\nSOM=   \n", "Corvane", "SOM", "<d>"},
        {"key without =", "[Corvane]\nSOM\n", "Corvane", "SOM", "<d>"},
        {"comment line", "[Corvane]\n;SOM=False\nSOM=True\n", "Corvane", "SOM", "True"},
        {"first of two keys", "[Corvane]\nSOM=1\nsom=2\n", "Corvane", "SOM", "1"},
        {"second section of the same name", "[Corvane]\nA=1\n[X]\n[CORVANE]\nSOM=3\n", "Corvane",
         "SOM", "3"},
        {"= inside the value", "[Corvane]\nPOSTION=a=b\n", "Corvane", "POSTION", "a=b"},
        {"enclosing quotes dropped", "[Corvane]\nNICK=\" ANA \"\n", "Corvane", "NICK", " ANA "},
        {"unpaired quote kept", "[Corvane]\nNICK=\"ANA\n", "Corvane", "NICK", "\"ANA"},
        {"254 characters at most", "[Corvane]\nV=" + longValue.toLatin1() + "\n", "Corvane", "V",
         longValue.left(254)},
        {"Windows-1252 letters", "[Corvane]\r\nNICK=JO\xC3O \x80\x93\x94\r\n", "Corvane", "NICK",
         QString::fromUtf8("JOÃO €“”")},
        {"UTF-8 letters", "[Corvane]\nNICK=JO\xC3\x83O\n", "Corvane", "NICK",
         QString::fromUtf8("JOÃO")},
        {"byte-order mark", "\xEF\xBB\xBF[Corvane]\nSOM=x\n", "Corvane", "SOM", "x"},
        {"two byte-order marks", "\xEF\xBB\xBF\xEF\xBB\xBF[Corvane]\nSOM=x\n", "Corvane", "SOM",
         "x"},
        {"NUL and stray bytes on other lines",
         Raw("\x00\xFF\xFE garbage\n[Corvane]\n\x01\x02=\x03\nSOM=y\n"), "Corvane", "SOM", "y"},
        {"section header without ]", "[Corvane\nSOM=z\n", "Corvane", "SOM", "z"},
    };
    for (const ReadCase& c : cases) {
        Put(c.file);
        EXPECT_EQ(ReadIniValue(c.section, c.key, Path(), "<d>"), c.expected) << c.what;
    }
}

TEST_F(IniFiles, ReadGivesTheDefaultWithoutAFile) {
    EXPECT_EQ(ReadIniValue("Corvane", "SOM", Path(), "True"), "True");
    EXPECT_EQ(ReadIniValue("Corvane", "SOM", dir_.path(), "True"), "True"); // a folder
}

struct WriteCase {
    const char* what;
    QByteArray before; // "<none>": no file
    IniPairs writes;
    QByteArray after;
};

TEST_F(IniFiles, WriteKeepsEverythingElse) {
    const WriteCase cases[] = {
        {"new file", "<none>", {{"SOM", "True"}}, "[Corvane]\nSOM=True\n"},
        {"new keys in the given order",
         "<none>",
         {{"DATA", "d"}, {"POSTION", "p"}, {"MOVE", "0"}},
         "[Corvane]\nDATA=d\nPOSTION=p\nMOVE=0\n"},
        {"value replaced where it stands, CRLF and comments kept",
         "; note\r\n[Other]\r\nA=1\r\n[corvane]\r\n  som = True\r\nNICK=X\r\n",
         {{"SOM", "False"}},
         "; note\r\n[Other]\r\nA=1\r\n[corvane]\r\nsom=False\r\nNICK=X\r\n"},
        {"new key at the end of its section",
         "[Corvane]\nA=1\n\n[Next]\nB=2\n",
         {{"C", "3"}},
         "[Corvane]\nA=1\nC=3\n\n[Next]\nB=2\n"},
        {"new section after a last line without line end",
         "[Other]\nA=1",
         {{"SOM", "True"}},
         "[Other]\nA=1\n[Corvane]\nSOM=True\n"},
        {"Windows-1252 file stays Windows-1252",
         "[Corvane]\r\nNICK=JO\xC3O\r\n",
         {{"SOM", QString::fromUtf8("Ç")}},
         "[Corvane]\r\nNICK=JO\xC3O\r\nSOM=\xC7\r\n"},
        {"Windows-1252 file turns UTF-8 for a letter it lacks",
         "[Corvane]\r\nNICK=JO\xC3O\r\n",
         {{"NICK", QString::fromUtf8("ЖЕНЯ")}, {"A", QString::fromUtf8("é")}},
         "[Corvane]\r\nNICK=\xD0\x96\xD0\x95\xD0\x9D\xD0\xAF\r\nA=\xC3\xA9\r\n"},
        {"line breaks in a value become blanks",
         "<none>",
         {{"NICK", "a\r\nSOM=False"}},
         "[Corvane]\nNICK=a  SOM=False\n"},
        {"same key twice in one write",
         "[Corvane]\nSOM=1\n",
         {{"SOM", "2"}, {"SOM", "3"}},
         "[Corvane]\nSOM=3\n"},
    };
    for (const WriteCase& c : cases) {
        QFile::remove(Path());
        if (c.before != "<none>") Put(c.before);
        EXPECT_TRUE(WriteIniValues("Corvane", c.writes, Path())) << c.what;
        EXPECT_EQ(Get(), c.after) << c.what;
    }
}

TEST_F(IniFiles, WrittenValuesReadBackAndTheFileKeepsItsMark) {
    const QByteArray mark = "\xEF\xBB\xBF";
    const std::pair<QByteArray, QString> rows[] = {
        {"<none>", QString::fromUtf8("JOÃO \"O REI\"")},
        // Windows-1252 bytes for these letters would form UTF-8 for others.
        {"[Corvane]\nNICK=\xE9\n", QString::fromUtf8("Ã©")},
        {mark + "[Corvane]\nA=\xE9\n", QString::fromUtf8("Ã©")},
        {mark + "[Corvane]\nNICK=\xE9\n", QString::fromUtf8("Ã©")},
        {mark + "[Corvane]\nA=\xE9\n", QString::fromUtf8("Ç")},
    };
    for (const auto& [before, nick] : rows) {
        QFile::remove(Path());
        if (before != "<none>") Put(before);
        ASSERT_TRUE(WriteIniValue("Corvane", "NICK", nick, Path()));
        ASSERT_TRUE(WriteIniValue("Corvane", "SOM", "False", Path()));
        EXPECT_EQ(ReadIniValue("CORVANE", "nick", Path(), ""), nick) << before.toStdString();
        EXPECT_EQ(ReadIniValue("Corvane", "SOM", Path(), ""), "False");
        EXPECT_EQ(Get().startsWith(mark), before.startsWith(mark)) << before.toStdString();
        if (before.contains("A=")) {
            EXPECT_EQ(ReadIniValue("Corvane", "A", Path(), ""), QString::fromUtf8("é"));
        }
    }
}

TEST_F(IniFiles, BadNamesWriteNothing) {
    Put("[Corvane]\nSOM=True\n");
    const std::pair<QString, QString> bad[] = {
        {"Corvane", ""},     {"Corvane", "A=B"}, {"Corvane", "[A"}, {"Corvane", ";A"},
        {"Corvane", "A\nB"}, {"", "A"},          {"Cor]vane", "A"}, {" Corvane", "A"}};
    for (const auto& [section, key] : bad) {
        EXPECT_FALSE(WriteIniValue(section, key, "1", Path()))
            << section.toStdString() << "/" << key.toStdString();
    }
    // One bad key spoils the whole write.
    EXPECT_FALSE(WriteIniValues("Corvane", {{"SOM", "False"}, {"", "x"}}, Path()));
    EXPECT_EQ(Get(), "[Corvane]\nSOM=True\n");
}

} // namespace
} // namespace corvane
