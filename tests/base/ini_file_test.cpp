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

#include <csignal>
#include <cstdio>
#include <functional>

#include <sys/resource.h>
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
    return bool(WriteIniValue(path(), section, key, value));
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

// Runs body in a forked child and returns its exit status (-1 when it did not exit). As root
// the child first becomes an ordinary user, whom a folder's permissions bind. With a size
// limit the child's writes stop at that many bytes, and fail rather than kill it.
int inChild(const std::function<int()>& body, rlim_t sizeLimit = RLIM_INFINITY) {
  std::fflush(nullptr);
  const pid_t child = fork();
  if (child < 0) return -1;
  if (child == 0) {
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(100);
    const rlimit limit{sizeLimit, sizeLimit};
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(101);
    signal(SIGXFSZ, SIG_IGN);
    _exit(body());
  }
  int status = 0;
  if (waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

// 0 when the write failed and said so in the trace, 1 when it succeeded, 2 when it failed quietly.
int writeInChild(const QString& file, const QString& value) {
  bool traced = false;
  Trace::instance().setSink([&](const QString& line) { traced |= line.contains(" error config write "); });
  const bool written(WriteIniValue(file, "s", "k", value));
  return written ? 1 : traced ? 0 : 2;
}

TEST_F(IniFile, AWriteThatDoesNotFitLeavesTheFileAsItWas) {
  const QByteArray original = "[s]\r\nk=1\r\n; " + QByteArray(40, '#') + "\r\n";
  put(original);
  ASSERT_TRUE(QFile::setPermissions(path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                QFileDevice::ReadOther | QFileDevice::WriteOther));
  ASSERT_EQ(chmod(QFile::encodeName(dir_.path()).constData(), 0777), 0);
  // The file may not grow: the new value is longer than the old.
  EXPECT_EQ(inChild([&] { return writeInChild(path(), QString(30, u'2')); }, original.size()), 0);
  EXPECT_EQ(bytes(), original);
  EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden | QDir::System), QStringList{"Vornix配置文件.ini"});
}

TEST_F(IniFile, AWritableFileInAFolderTheUserCannotWriteIsWrittenInPlace) {
  const QString folder = dir_.filePath("readonly");
  ASSERT_TRUE(QDir().mkdir(folder));
  const QString file = folder + "/config.ini";
  const QByteArray original = "[s]\r\nk=1\r\nother=" + QByteArray(40, 'x') + "\r\n";
  {
    QFile existing(file);
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.write(original);
  }
  ASSERT_EQ(chmod(QFile::encodeName(dir_.path()).constData(), 0755), 0);
  ASSERT_EQ(chmod(QFile::encodeName(file).constData(), 0666), 0);
  ASSERT_EQ(chmod(QFile::encodeName(folder).constData(), 0555), 0);

  const auto contents = [&] {
    QFile in(file);
    return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray("<unreadable>");
  };
  // A longer value that does not fit: the old bytes are put back.
  EXPECT_EQ(inChild([&] { return writeInChild(file, QString(30, u'2')); }, original.size()), 0);
  EXPECT_EQ(contents(), original);

  const int written = inChild([&] { return writeInChild(file, "2"); });
  chmod(QFile::encodeName(folder).constData(), 0755);
  EXPECT_EQ(written, 1);
  EXPECT_EQ(ReadIniValue(file, "s", "k"), "2");
  EXPECT_EQ(ReadIniValue(file, "s", "other"), QString(40, u'x'));
  EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System), QStringList{"config.ini"});
}

TEST_F(IniFile, AFileThatCannotBeWrittenIsLeftAloneAndTheFailureTraced) {
  put("[s]\r\nk=1\r\n");
  ASSERT_EQ(chmod(QFile::encodeName(dir_.path()).constData(), 0777), 0);
  ASSERT_EQ(chmod(QFile::encodeName(path()).constData(), 0444), 0);
  EXPECT_EQ(inChild([&] { return writeInChild(path(), "2"); }), 0);
  EXPECT_EQ(bytes(), "[s]\r\nk=1\r\n");
}

TEST_F(IniFile, AUtf8FileWithAByteOrderMarkIsReadAndWrittenAsUtf8) {
  const QByteArray bom = "\xEF\xBB\xBF";
  put(bom + u"[射像机]\r\nx0=12\r\n[阀值]\r\n阀值=60\r\n"_qs.toUtf8());
  EXPECT_EQ(read(u"射像机"_qs, "x0"), "12");
  EXPECT_EQ(read(u"阀值"_qs, u"阀值"_qs), "60");
  ASSERT_TRUE(write(u"射像机"_qs, "x0", u"左"_qs));
  ASSERT_TRUE(write(u"射像机"_qs, "Y0", "7"));
  EXPECT_EQ(bytes(), bom + u"[射像机]\r\nx0=左\r\nY0=7\r\n[阀值]\r\n阀值=60\r\n"_qs.toUtf8());
  EXPECT_EQ(read(u"射像机"_qs, "x0"), u"左"_qs);
}

}  // namespace
