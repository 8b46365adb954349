#include "base/ini_file.h"
#include "panel/config_file_support.h"
#include "support/trace_capture.h"

#include <QProcess>

#include <gtest/gtest.h>

#include <array>

using vornix::testing::ConfiguredSystem;
using vornix::testing::gbkOf;

namespace {

// The 28 controls of the file in the order of their entries, as text.
std::vector<QString> storedControls(vornix::panel::MAINFRM& f) {
  std::vector<QString> values;
  for (std::size_t i = 0; i < 4; ++i) values.push_back(f.Text1[i].text()), values.push_back(f.Text2[i].text());
  for (auto& box : f.Text3) values.push_back(box.text());
  values.push_back(f.Text4.text());
  values.push_back(f.Text6.text());
  for (auto* box : {&f.Check3, &f.Check2, &f.Check1, &f.Check4})
    values.push_back(QString::number(box->value()));
  values.push_back(f.Label9.caption());
  values.push_back(QString::number(f.Check6.value()));
  values.push_back(f.Text7.text());
  values.push_back(f.Option5[1].selected() ? "1" : "0");
  values.push_back(QString::number(f.Check7.value()));
  values.push_back(QString::number(f.Check8.value()));
  for (std::size_t i = 0; i < 4; ++i) values.push_back(f.Text22[i].text());
  return values;
}

const char* const kFreshPanelFile =
    "[射像机]\n"
    "x0=0\nY0=0\nx1=0\nY1=240\nx2=320\nY2=0\nx3=320\nY3=240\n"
    "[鼠标活动范围]\n"
    "左坐标=0\n顶坐标=0\n宽度=1024\n高度=768\n"
    "[阀值]\n"
    "阀值=60\n速度系数=2\n自动调解阀值=0\n"
    "[系统]\n"
    "程序运行直接隐藏=1\n鼠标移动=1\n鼠标点击=0\n投影方式=1\n控制鼠标拖动点击=0\n"
    "[多图合成]\n"
    "启用多图合成=0\n通信端口=1\n本机状态=1\n"
    "[多点触摸]\n"
    "启用多点触摸=0\n"
    "[翻书模式鼠标点击]\n"
    "左翻页X=\n左翻页Y=\n右翻页X=\n右翻页Y=\n";

QByteArray crlfGbk(const char* utf8) {
  std::string text;
  for (const char* c = utf8; *c; ++c) {
    if (*c == '\n') text += '\r';
    text += *c;
  }
  return gbkOf(text);
}

}  // namespace

TEST(ConfigurationLoad, WithoutAFileEmptiesTextFieldsKeepsCheckBoxesAndPicksSenderAndMode0) {
  ConfiguredSystem c;
  auto& f = c.f;
  c.load();
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(f.Text1[i].text(), "");
    EXPECT_EQ(f.Text2[i].text(), "");
    EXPECT_EQ(f.Text3[i].text(), "");
    EXPECT_EQ(f.Text22[i].text(), "");
  }
  EXPECT_EQ(f.Text4.text(), "");
  EXPECT_EQ(f.Text6.text(), "");
  EXPECT_EQ(f.Text7.text(), "");
  EXPECT_EQ(f.Check1.value(), 1);
  EXPECT_EQ(f.Check2.value(), 1);
  for (auto* box : {&f.Check3, &f.Check4, &f.Check6, &f.Check7, &f.Check8}) EXPECT_EQ(box->value(), 0);
  EXPECT_TRUE(f.Option5[0].selected());
  EXPECT_FALSE(f.Option5[1].selected());
  EXPECT_TRUE(f.Option4[0].selected());
  EXPECT_EQ(f.Label9.caption(), "0");
  EXPECT_FALSE(QFile::exists(c.path())) << "loading must not create the file";
}

TEST(ConfigurationLoad, TextFieldsTakeTheStoredTextWithoutSurroundingBlanks) {
  ConfiguredSystem c;
  c.store("[阀值]\n阀值 =   60   \n速度系数=abc\n[射像机]\nY3=\n");
  c.load();
  EXPECT_EQ(c.f.Text4.text(), "60");
  EXPECT_EQ(c.f.Text6.text(), "abc");
  EXPECT_EQ(c.f.Text2[3].text(), "");
}

TEST(ConfigurationLoad, NamesMatchWithoutRegardToCase) {
  ConfiguredSystem c;
  c.store("[射像机]\nX0=17\ny0=18\n");
  c.load();
  EXPECT_EQ(c.f.Text1[0].text(), "17");
  EXPECT_EQ(c.f.Text2[0].text(), "18");
}

TEST(ConfigurationLoad, SenderOrReceiverFollowsTheStoredNumber) {
  struct Case {
    const char* stored;
    bool receiver;
  };
  for (const Case& k : {Case{"0.0", false}, Case{"2", true}, Case{"word", false}, Case{"-0", false},
                        Case{" 1 ", true}, Case{"0.4", true}, Case{"", false}, Case{"1x", false},
                        Case{"1 2", false}}) {
    ConfiguredSystem c;
    c.f.Option5[k.receiver ? 0 : 1].setSelected(true);
    c.store(std::string("[多图合成]\n本机状态=") + k.stored + "\n");
    c.load();
    EXPECT_EQ(c.f.Option5[1].selected(), k.receiver) << k.stored;
    EXPECT_EQ(c.f.Option5[0].selected(), !k.receiver) << k.stored;
  }
}

TEST(ConfigurationLoad, ModeAboveSevenFallsBackToZero) {
  ConfiguredSystem c;
  c.f.Option4[2].setSelected(true);
  c.store("[系统]\n投影方式=9\n");
  c.load();
  EXPECT_TRUE(c.f.Option4[0].selected());
  EXPECT_EQ(c.f.Label9.caption(), "0");
}

TEST(ConfigurationLoad, NegativeModeLeavesTheSelection) {
  ConfiguredSystem c;
  c.f.Option4[2].setSelected(true);
  c.store("[系统]\n投影方式=-1\n");
  c.load();
  EXPECT_TRUE(c.f.Option4[2].selected());
  EXPECT_EQ(c.f.Label9.caption(), "2");
}

TEST(ConfigurationLoad, ModeSevenIsSelectedThoughItsButtonIsDisabled) {
  ConfiguredSystem c;
  c.store("[系统]\n投影方式=7\n");
  c.load();
  EXPECT_FALSE(c.f.Option4[7].enabled());
  EXPECT_TRUE(c.f.Option4[7].selected());
  EXPECT_EQ(c.f.Label9.caption(), "7");
}

TEST(ConfigurationLoad, ModeRoundsHalfToEvenAndFallsBackToZeroWithoutAWholeNumber) {
  const std::pair<const char*, const char*> cases[] = {
      {"2.5", "2"}, {"3.5", "4"}, {"abc", "0"}, {"", "0"}, {"99999", "0"}, {"1e999", "0"},
      {"2 ;地投", "0"}, {"６", "0"}, {"+3", "3"}, {"6e0", "6"}};
  for (auto [stored, mode] : cases) {
    ConfiguredSystem c;
    c.f.Option4[5].setSelected(true);
    c.store(std::string("[系统]\n投影方式=") + stored + "\n");
    c.load();
    EXPECT_EQ(c.f.Label9.caption(), mode) << stored;
  }
}

TEST(ConfigurationLoad, CheckBoxTakesTheRoundedNumberAndKeepsItsStateOtherwise) {
  const std::pair<const char*, int> cases[] = {
      {"1.5", 2}, {"0.5", 0}, {"2.5", 2}, {" 1 ", 1}, {"5", 1}, {"-1", 1}, {"abc", 1}, {"", 1}, {"1e9", 1},
      {"0abc", 1}, {".2", 0}, {"2.", 2}};
  for (auto [stored, expected] : cases) {
    ConfiguredSystem c;
    c.f.Check1.setValue(1);
    c.store(std::string("[系统]\n鼠标移动=") + stored + "\n");
    c.load();
    EXPECT_EQ(c.f.Check1.value(), expected) << stored;
  }
}

TEST(ConfigurationLoad, ARejectedStepDoesNotStopTheLaterOnes) {
  ConfiguredSystem c;
  c.store("[系统]\n鼠标移动=5\n程序运行直接隐藏=0\n鼠标点击=x\n控制鼠标拖动点击=2\n"
          "[多点触摸]\n启用多点触摸=1\n[多图合成]\n本机状态=1\n[翻书模式鼠标点击]\n右翻页Y=700\n");
  c.load();
  EXPECT_EQ(c.f.Check1.value(), 1);
  EXPECT_EQ(c.f.Check2.value(), 0);
  EXPECT_EQ(c.f.Check4.value(), 0);
  EXPECT_EQ(c.f.Check7.value(), 2);
  EXPECT_EQ(c.f.Check8.value(), 1);
  EXPECT_TRUE(c.f.Option5[1].selected());
  EXPECT_EQ(c.f.Text22[3].text(), "700");
}

TEST(ConfigurationRoundTrip, SaveThenLoadGivesEveryControlBack) {
  ConfiguredSystem c;
  auto& f = c.f;
  const std::array<const char*, 8> corners = {"11", "12", "13", "214", "305", "16", "317", "238"};
  for (std::size_t i = 0; i < 4; ++i) {
    f.Text1[i].setText(corners[2 * i]);
    f.Text2[i].setText(corners[2 * i + 1]);
  }
  for (std::size_t i = 0; i < 4; ++i) f.Text3[i].setText(QString::number(100 + i));
  f.Text4.setText("45");
  f.Text6.setText("3");
  f.Check3.setValue(2);
  f.Check2.setValue(0);
  f.Check1.setValue(2);
  f.Check4.setValue(1);
  f.Option4[6].setSelected(true);
  f.Check8.setValue(2);
  f.Option5[0].setSelected(true);
  for (std::size_t i = 0; i < 4; ++i) f.Text22[i].setText("页" + QString::number(i));
  const std::vector<QString> before = storedControls(f);
  c.save();

  c.load();
  EXPECT_EQ(storedControls(f), before);

  ConfiguredSystem other;
  other.storeBytes(c.bytes());
  other.load();
  EXPECT_EQ(storedControls(other.f), before);
}

TEST(ConfigurationSave, FirstSaveLaysOutTheFileInGbkSectionBySection) {
  ConfiguredSystem c;
  c.save();
  EXPECT_EQ(c.bytes(), crlfGbk(kFreshPanelFile));
}

TEST(ConfigurationSave, PythonConfigparserReadsTheFileBack) {
  ConfiguredSystem c;
  c.f.Text22[0].setText("800");
  c.save();
  QProcess python;
  python.start("/usr/bin/python3",
               {"-c",
                "import configparser, sys\n"
                "p = configparser.ConfigParser(interpolation=None)\n"
                "p.optionxform = str\n"
                "p.read(sys.argv[1], encoding='gbk')\n"
                "for s in p.sections():\n"
                "    print('[' + s + ']')\n"
                "    for k, v in p.items(s):\n"
                "        print(k + '=' + v)\n",
                c.path()});
  ASSERT_TRUE(python.waitForFinished(30000));
  ASSERT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
  QString expected = QString::fromUtf8(kFreshPanelFile);
  expected.replace("左翻页X=\n", "左翻页X=800\n");
  EXPECT_EQ(QString::fromUtf8(python.readAllStandardOutput()), expected);
}

TEST(ConfigurationSave, KeepsTheLinesTheProgramDoesNotOwn) {
  ConfiguredSystem c;
  const QByteArray foreign = QByteArray("name=") + "\x81\x20\xFF" + " bad\r\n";
  const QByteArray head = crlfGbk("; 安装说明\n[射像机]\nx0=5\n");
  const QByteArray comment = crlfGbk("; 角点\n");
  const QByteArray other = crlfGbk("[其他]\n");
  const QByteArray tail = crlfGbk("[系统]\n投影方式=2\n; 结束\n");
  c.storeBytes(head + comment + other + foreign + tail);
  c.load();
  EXPECT_EQ(c.f.Text1[0].text(), "5");
  EXPECT_EQ(c.f.Label9.caption(), "2");
  c.save();

  const QByteArray saved = c.bytes();
  EXPECT_TRUE(saved.startsWith(head));
  qsizetype at = 0;
  for (const QByteArray& kept : {comment, other, foreign, crlfGbk("[系统]\n"), crlfGbk("; 结束\n")}) {
    const qsizetype found = saved.indexOf(kept, at);
    ASSERT_GE(found, at) << kept.toStdString();
    at = found + kept.size();
  }
  EXPECT_EQ(saved.count("\n"), saved.count("\r\n"));
  EXPECT_TRUE(saved.contains(crlfGbk("投影方式=2\n程序运行直接隐藏=1\n")));

  ConfiguredSystem again;
  again.storeBytes(saved);
  again.load();
  EXPECT_EQ(storedControls(again.f), storedControls(c.f));
}

TEST(ConfigurationSave, FirstSaveMakesTheMissingFolder) {
  ConfiguredSystem c;
  c.t->system.ports.configFile = c.dir.filePath(QStringLiteral("home/.config/vornix/Vornix配置文件.ini"));
  c.save();
  EXPECT_TRUE(QFile::exists(c.t->system.ports.configFile));
}

// A path that names a folder: said at start, the load goes on with empty values, and a save
// tells the operator why it failed.
TEST(ConfigurationSave, AFailedSaveSaysWhyInAMessageBox) {
  ConfiguredSystem c;
  c.t->system.ports.configFile = c.dir.path();
  vornix::testing::TraceCapture trace;
  c.t->system.configuration.prepareForStart();
  ASSERT_EQ(trace.lines().size(), 1);
  EXPECT_TRUE(trace.lines().front().startsWith("error the configuration file ")) << trace.lines().front().toStdString();
  EXPECT_TRUE(trace.lines().front().contains(" is a folder"));

  c.save();
  ASSERT_EQ(c.t->dialogs.messages.size(), 1u);
  EXPECT_TRUE(c.t->dialogs.messages.front().startsWith(QStringLiteral("参数保存失败：")));
  EXPECT_GT(c.t->dialogs.messages.front().size(), QStringLiteral("参数保存失败：").size());
}

// The installed /usr/bin/vornix keeps its file in the user's configuration folder even when run
// by root, who could write /usr/bin; the other cases run the real program
// (tests/e2e/test_config_location.sh).
TEST(ConfigurationPath, ProgramUnderUsrUsesTheUsersConfigurationFolder) {
  QTemporaryDir home;
  const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
  qputenv("XDG_CONFIG_HOME", home.path().toUtf8());
  EXPECT_EQ(vornix::panel::defaultConfigurationPath(QStringLiteral("/usr/bin")),
            home.filePath(QStringLiteral("vornix/Vornix配置文件.ini")));
  if (saved.isNull())
    qunsetenv("XDG_CONFIG_HOME");
  else
    qputenv("XDG_CONFIG_HOME", saved);
}

TEST(ConfigurationTuio, TheHandWrittenTargetIsReadAtEveryLoadAndLeftAsItIsBySaves) {
  ConfiguredSystem c;
  const vornix::output::TuioOutput& tuio = c.t->system.tuio;
  vornix::testing::TraceCapture trace;
  c.store(kFreshPanelFile);
  c.load();
  EXPECT_FALSE(tuio.target());  // no section: no TUIO output, and nothing to complain about
  EXPECT_TRUE(trace.lines().filter("error").isEmpty()) << trace.lines().join('\n').toStdString();

  const QByteArray withTarget = crlfGbk(kFreshPanelFile) + crlfGbk("[TUIO]\n目标 = 192.168.1.20:3333\n");
  c.storeBytes(withTarget);
  c.load();
  EXPECT_EQ(tuio.target(), (vornix::output::TuioTarget{"192.168.1.20", 3333}));
  c.save();
  EXPECT_EQ(c.bytes(), withTarget);

  c.storeBytes(crlfGbk(kFreshPanelFile) + crlfGbk("[TUIO]\n目标=\n"));
  c.load();
  EXPECT_FALSE(tuio.target());
}

// ---- The mapping, "射像机"/"映射算法" ----

TEST(ConfigurationMapping, IsSavedOnceItIsNotZeroAndReadBack) {
  ConfiguredSystem c;
  c.f.Option2[1].setSelected(true);
  c.save();
  EXPECT_EQ(vornix::ReadIniValue(c.path(), QStringLiteral("射像机"), QStringLiteral("映射算法")), "1");
  c.f.Option2[0].setSelected(true);
  c.load();
  EXPECT_TRUE(c.f.Option2[1].selected());
  EXPECT_TRUE(c.f.Option1[2].operable()) << "corners 1 and 2 can be set";
  c.f.Option2[0].setSelected(true);  // back to the rectangle: the stored key follows
  c.save();
  EXPECT_EQ(vornix::ReadIniValue(c.path(), QStringLiteral("射像机"), QStringLiteral("映射算法")), "0");
}

TEST(ConfigurationMapping, TwoWithoutAGridLoadsAsTheRectangleAndSaysSo) {
  ConfiguredSystem c;
  c.f.Option2[1].setSelected(true);
  c.store("[射像机]\n映射算法=2\n");
  vornix::testing::TraceCapture trace;
  c.load();
  EXPECT_TRUE(c.f.Option2[0].selected());
  EXPECT_TRUE(trace.lines().contains("error mapping 2 has no calibration grid; mapping 0 is used"));
}

TEST(ConfigurationMapping, TheGridIsSavedInItsOwnSectionAndEnablesTwoWhenRead) {
  ConfiguredSystem c;
  c.f.calibrationGrid = {3, 3, {{0, 0}, {160, 0}, {320, 0}, {0, 120}, {170.25, 130.5}, {320, 120}, {0, 240}, {160, 240}, {320, 240}}};
  c.f.Option2[2].setEnabled(true);
  c.f.Option2[2].setSelected(true);
  c.save();
  const QString section = QStringLiteral("非线性校正");
  EXPECT_EQ(vornix::ReadIniValue(c.path(), section, QStringLiteral("列数")), "3");
  EXPECT_EQ(vornix::ReadIniValue(c.path(), section, QStringLiteral("点5")), "170.25,130.5");
  c.f.calibrationGrid = {};
  c.f.Option2[0].setSelected(true);
  c.f.Option2[2].setEnabled(false);
  c.load();
  EXPECT_TRUE(c.f.Option2[2].selected());
  EXPECT_TRUE(c.f.Option2[2].operable());
  EXPECT_EQ(c.f.calibrationGrid.camera.at(4), QPointF(170.25, 130.5));

  // A grid with a point missing is not used: 2 falls back to the rectangle and is disabled.
  vornix::WriteIniValue(c.path(), section, QStringLiteral("点9"), QStringLiteral("320"));
  vornix::testing::TraceCapture trace;
  c.load();
  EXPECT_TRUE(c.f.Option2[0].selected());
  EXPECT_FALSE(c.f.Option2[2].operable());
  EXPECT_TRUE(trace.lines().contains("error the grid of section 非线性校正 is incomplete; it is not used"));
}

TEST(ConfigurationFramePacing, IsSavedOnceSetReadBackAndAbsentMeansTheTick) {
  ConfiguredSystem c;
  c.save();
  EXPECT_EQ(vornix::ReadIniValue(c.path(), QStringLiteral("系统"), QStringLiteral("帧率同步")), "")
      << "a file of the tick stays as it was";
  c.f.Check10.setValue(1);
  c.save();
  EXPECT_EQ(vornix::ReadIniValue(c.path(), QStringLiteral("系统"), QStringLiteral("帧率同步")), "1");
  c.f.Check10.setValue(0);
  c.load();
  EXPECT_EQ(c.f.Check10.value(), 1);
  c.store("[系统]\n投影方式=0\n");
  c.load();
  EXPECT_EQ(c.f.Check10.value(), 0) << "absent: tick pacing";
  c.t->system.configuration.framePacingOverride = true;  // --pace frame
  c.load();
  EXPECT_EQ(c.f.Check10.value(), 1);
}

TEST(ConfigurationReference, StaticIsSavedOnceChosenAndReadBack) {
  ConfiguredSystem c;
  c.save();
  EXPECT_EQ(vornix::ReadIniValue(c.path(), QStringLiteral("系统"), QStringLiteral("识别参考")), "");
  c.f.Option3[3].setSelected(true);
  c.save();
  c.f.Option3[2].setSelected(true);
  c.load();
  EXPECT_TRUE(c.f.Option3[3].selected());
}
