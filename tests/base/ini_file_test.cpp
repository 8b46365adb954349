#include "base/gbk.h"
#include "base/ini_file.h"
#include "base/trace.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace vornix;

namespace {

// GBK bytes spelled out, so the test does not trust the converter it checks.
const QByteArray kCamera("\xC9\xE4\xCF\xF1\xBB\xFA");              // 射像机
const QByteArray kThreshold("\xB7\xA7\xD6\xB5");                    // 阀值
const QByteArray kMouseRange("\xCA\xF3\xB1\xEA\xBB\xEE\xB6\xAF\xB7\xB6\xCE\xA7");  // 鼠标活动范围
const QByteArray kLeft("\xD7\xF3\xD7\xF8\xB1\xEA");                 // 左坐标

class IniFile : public ::testing::Test {
protected:
  QString path(const QString& name = QStringLiteral("Vornix配置文件.ini")) const { return dir_.filePath(name); }

  void put(const QByteArray& bytes) {
    QFile file(path());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
  }

  QByteArray bytes() const {
    QFile file(path());
    if (!file.open(QIODevice::ReadOnly)) return "<missing>";
    return file.readAll();
  }

  QString read(const QString& section, const QString& key) const { return ReadIniValue(path(), section, key); }
  bool write(const QString& section, const QString& key, const QString& value) {
    return WriteIniValue(path(), section, key, value);
  }

  QTemporaryDir dir_;
};

TEST(Gbk, UnmappableAndInvalidSequencesStayLocal) {
  EXPECT_EQ(toGbk(u"a\U0001F600b"), "a?b");
  EXPECT_EQ(fromGbk(QByteArray("a\xFF" "b")), QStringLiteral("a\uFFFDb"));
  EXPECT_EQ(fromGbk(QByteArray("a\xC9")), QStringLiteral("a\uFFFD"));  // lead byte at the end
}

TEST(Gbk, PrefixNeverSplitsADoubleByteCharacter) {
  EXPECT_EQ(gbkPrefixLength(QByteArray("ab") + kCamera, 3), 2);
  EXPECT_EQ(gbkPrefixLength(QByteArray("ab") + kCamera, 4), 4);
  EXPECT_EQ(gbkPrefixLength(QByteArray("a\xFF" "b"), 2), 2);
}

TEST_F(IniFile, AbsentFileSectionOrKeyReadsEmpty) {
  EXPECT_EQ(read(u"射像机"_qs, "x0"), "");
  put("[" + kCamera + "]\r\nx0=12\r\n");
  EXPECT_EQ(read(u"系统"_qs, "x0"), "");
  EXPECT_EQ(read(u"射像机"_qs, "x1"), "");
  EXPECT_EQ(read(u"射像机"_qs, "x0"), "12");
}

TEST_F(IniFile, KeysOutsideTheirSectionOrCommentedOutAreNotFound) {
  put("x0=1\r\n[other]\r\nx0=2\r\n[" + kCamera + "]\r\n;x0=3\r\nx0\r\n");
  EXPECT_EQ(read(u"射像机"_qs, "x0"), "");
}

TEST_F(IniFile, NamesMatchWithoutRegardToCase) {
  put("[" + kCamera + "]\r\nX0=12\r\n[System]\r\nMode=3\r\n");
  EXPECT_EQ(read(u"射像机"_qs, "x0"), "12");
  EXPECT_EQ(read("SYSTEM", "mode"), "3");
}

TEST_F(IniFile, ValuesComeWithoutSurroundingBlanks) {
  put("[" + kThreshold + "]\r\n  " + kThreshold + " = \t 60 \t\r\nempty=\r\n");
  EXPECT_EQ(read(u"阀值"_qs, u"阀值"_qs), "60");
  EXPECT_EQ(read(u"阀值"_qs, "empty"), "");
}

TEST_F(IniFile, ReadIsLimitedTo255BytesWithoutSplittingACharacter) {
  put("[s]\nlong=" + QByteArray(300, 'a') + "\nmixed=" + QByteArray(253, 'b') + kCamera + "\nodd=" +
      QByteArray(254, 'c') + kCamera + "\n");
  EXPECT_EQ(read("s", "long"), QString(255, u'a'));
  EXPECT_EQ(read("s", "mixed"), QString(253, u'b') + QStringLiteral("射"));
  EXPECT_EQ(read("s", "odd"), QString(254, u'c'));
}

TEST_F(IniFile, FirstWriteCreatesTheFile) {
  ASSERT_TRUE(write(u"射像机"_qs, "x0", "12"));
  ASSERT_TRUE(write(u"射像机"_qs, "Y0", "-3"));
  ASSERT_TRUE(write(u"鼠标活动范围"_qs, u"左坐标"_qs, "0"));
  ASSERT_TRUE(write(u"阀值"_qs, u"阀值"_qs, "60"));
  EXPECT_EQ(bytes(), "[" + kCamera + "]\r\nx0=12\r\nY0=-3\r\n[" + kMouseRange + "]\r\n" + kLeft + "=0\r\n[" +
                         kThreshold + "]\r\n" + kThreshold + "=60\r\n");
  EXPECT_EQ(read(u"射像机"_qs, "y0"), "-3");
}

TEST_F(IniFile, ExistingKeyIsReplacedInPlaceKeepingItsSpelling) {
  put("[" + kCamera + "]\r\nX0 = 5\r\nY0=6\r\n");
  ASSERT_TRUE(write(u"射像机"_qs, "x0", "120"));
  EXPECT_EQ(bytes(), "[" + kCamera + "]\r\nX0 = 120\r\nY0=6\r\n");
}

TEST_F(IniFile, NewKeyFollowsTheLastKeyOfItsSection) {
  put("[a]\r\nk1=1\r\n\r\n; about b\r\n[b]\r\nk2=2\r\n");
  ASSERT_TRUE(write("A", "k3", "3"));
  EXPECT_EQ(bytes(), "[a]\r\nk1=1\r\nk3=3\r\n\r\n; about b\r\n[b]\r\nk2=2\r\n");
}

TEST_F(IniFile, NewKeyInAnEmptySectionFollowsItsHeader) {
  put("[a]\r\n[b]\r\nk=1\r\n");
  ASSERT_TRUE(write("a", "k", "2"));
  EXPECT_EQ(bytes(), "[a]\r\nk=2\r\n[b]\r\nk=1\r\n");
}

TEST_F(IniFile, NewSectionGoesToTheEndOfTheFile) {
  put("[a]\r\nk=1");  // no line break after the last line
  ASSERT_TRUE(write("b", "x", "2"));
  EXPECT_EQ(bytes(), "[a]\r\nk=1\r\n[b]\r\nx=2\r\n");
  ASSERT_TRUE(write("a", "y", "3"));
  EXPECT_EQ(bytes(), "[a]\r\nk=1\r\ny=3\r\n[b]\r\nx=2\r\n");
}

TEST_F(IniFile, FileWithUnixLineBreaksKeepsThem) {
  put("[a]\nk=1\n");
  ASSERT_TRUE(write("a", "j", "2"));
  ASSERT_TRUE(write("c", "k", "3"));
  EXPECT_EQ(bytes(), "[a]\nk=1\nj=2\n[c]\nk=3\n");
}

TEST_F(IniFile, UntouchedLinesKeepTheirBytes) {
  const QByteArray comment = "; " + toGbk(u"配置") + " \xFF\xFE broken\r\n";
  const QByteArray other = "[\xC6\xE4\xCB\xFB]\r\nname=\x81\x20" "bad\xFF\r\n\xFF" "k=1\r\n\r\n";
  put(comment + other + "[" + kCamera + "]\r\nx0=1\r\n  junk without separator\r\n\r\n");
  ASSERT_TRUE(write(u"射像机"_qs, "x0", "2"));
  ASSERT_TRUE(write(u"射像机"_qs, "Y0", "3"));
  ASSERT_TRUE(write("new", "k", "4"));
  EXPECT_EQ(bytes(), comment + other + "[" + kCamera + "]\r\nx0=2\r\nY0=3\r\n  junk without separator\r\n\r\n" +
                         "[new]\r\nk=4\r\n");
  EXPECT_EQ(read(u"其他"_qs, "name"), QStringLiteral("\uFFFD bad\uFFFD"));
}

TEST_F(IniFile, WrittenValueIsCutTo256CharactersAndAtALineBreak) {
  ASSERT_TRUE(write("s", "long", QString(300, u'射')));
  ASSERT_TRUE(write("s", "lines", "12\r\n[x]\r\ny=1"));
  QByteArray expected = "[s]\r\nlong=";
  for (int i = 0; i < 256; ++i) expected += kCamera.left(2);
  EXPECT_EQ(bytes(), expected + "\r\nlines=12\r\n");
  EXPECT_EQ(read("s", "long"), QString(127, u'射'));
}

TEST_F(IniFile, SaveThenLoadGivesTheValueBack) {
  for (const QString& value : {u"0"_qs, u"1.5"_qs, u"本机接收"_qs, u""_qs, u"a=b;c"_qs}) {
    ASSERT_TRUE(write(u"多图合成"_qs, u"通信端口"_qs, value));
    EXPECT_EQ(read(u"多图合成"_qs, u"通信端口"_qs), value);
  }
}

TEST_F(IniFile, NamesTheFileCannotHoldAreRefused) {
  EXPECT_FALSE(write("", "k", "v"));
  EXPECT_FALSE(write("s", "", "v"));
  EXPECT_FALSE(write("s]", "k", "v"));
  EXPECT_FALSE(write("s", "k=", "v"));
  EXPECT_FALSE(write("s", "k\n[x]", "v"));
  // Read back as another name, or as another kind of line.
  EXPECT_FALSE(write("s", " k", "v"));
  EXPECT_FALSE(write("s ", "k", "v"));
  EXPECT_FALSE(write("s", "[x]", "v"));
  EXPECT_FALSE(write("s", ";k", "v"));
  EXPECT_FALSE(write("s", QStringLiteral("k\U0001F600"), "v"));
  EXPECT_EQ(bytes(), "<missing>");
}

TEST_F(IniFile, FileCutAfterACarriageReturnEndsItsLastLineThere) {
  put("[a]\r\nk=1\r");
  EXPECT_EQ(read("a", "k"), "1");
  ASSERT_TRUE(write("a", "j", "2"));
  EXPECT_EQ(bytes(), "[a]\r\nk=1\r\nj=2\r\n");
  EXPECT_EQ(read("a", "k"), "1");
}

TEST_F(IniFile, PythonReadsTheFileAsGbk) {
  if (!QFile::exists("/usr/bin/python3")) GTEST_SKIP() << "/usr/bin/python3 is missing";
  ASSERT_TRUE(write(u"射像机"_qs, "x0", "12"));
  ASSERT_TRUE(write(u"射像机"_qs, "Y0", "34"));
  ASSERT_TRUE(write(u"鼠标活动范围"_qs, u"左坐标"_qs, "0"));
  ASSERT_TRUE(write(u"系统"_qs, u"投影方式"_qs, "7"));
  ASSERT_TRUE(write(u"射像机"_qs, "x1", "56"));

  const QString script = QStringLiteral(
      "import configparser, json, sys\n"
      "p = configparser.ConfigParser()\n"
      "p.read(sys.argv[1], encoding='gbk')\n"
      "print(json.dumps([[s, [[k, v] for k, v in p[s].items()]] for s in p.sections()]))\n");
  QProcess python;
  python.start("/usr/bin/python3", {"-c", script, path()});
  ASSERT_TRUE(python.waitForFinished(30000));
  ASSERT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
  const QJsonArray sections = QJsonDocument::fromJson(python.readAllStandardOutput()).array();
  const QJsonArray expected = QJsonDocument::fromJson(
      u"[[\"射像机\", [[\"x0\", \"12\"], [\"y0\", \"34\"], [\"x1\", \"56\"]]],"
      u" [\"鼠标活动范围\", [[\"左坐标\", \"0\"]]], [\"系统\", [[\"投影方式\", \"7\"]]]]"_qs.toUtf8()).array();
  ASSERT_FALSE(expected.isEmpty());
  EXPECT_EQ(sections, expected) << QJsonDocument(sections).toJson().toStdString();
}

TEST_F(IniFile, WriteIntoAMissingFolderFailsAndIsTraced) {
  QStringList lines;
  Trace::instance().setSink([&](const QString& line) { lines << line; });
  const QString file = dir_.filePath("missing/config.ini");
  EXPECT_FALSE(WriteIniValue(file, "s", "k", "v"));
  Trace::instance().setSink(nullptr);
  ASSERT_EQ(lines.size(), 1);
  EXPECT_TRUE(lines[0].section(' ', 1).startsWith("error config write " + file + ": ")) << lines[0].toStdString();
}

TEST_F(IniFile, WriteIntoAReadOnlyFolderFailsAndLeavesNoTemporaryFile) {
  const QString folder = dir_.filePath("readonly");
  ASSERT_TRUE(QDir().mkdir(folder));
  const QString file = folder + "/config.ini";
  {
    QFile existing(file);
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.write("[s]\r\nk=1\r\n");
  }
  ASSERT_EQ(chmod(QFile::encodeName(dir_.path()).constData(), 0755), 0);
  ASSERT_EQ(chmod(QFile::encodeName(folder).constData(), 0555), 0);

  bool written = true;
  if (geteuid() == 0) {
    // root writes anywhere: try as an ordinary user in a child process
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      if (setgid(65534) != 0 || setuid(65534) != 0) _exit(2);
      _exit(WriteIniValue(file, "s", "k", "2") ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_NE(WEXITSTATUS(status), 2) << "cannot drop privileges";
    written = WEXITSTATUS(status) == 1;
  } else {
    written = WriteIniValue(file, "s", "k", "2");
  }
  chmod(QFile::encodeName(folder).constData(), 0755);
  EXPECT_FALSE(written);
  EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System), QStringList{"config.ini"});
  EXPECT_EQ(ReadIniValue(file, "s", "k"), "1");
}

}  // namespace
