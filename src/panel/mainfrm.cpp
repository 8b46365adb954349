#include "panel/mainfrm.h"

namespace vornix::panel {
namespace {

template <class Control, std::size_t N>
void nameArray(std::array<Control, N>& controls, const char* name) {
  for (std::size_t i = 0; i < N; ++i) controls[i].setName(QString::fromUtf8(name), int(i));
}

void place(Frame& frame, std::initializer_list<form::Control*> controls) {
  for (form::Control* control : controls) control->setFrame(&frame);
}

template <class Control, std::size_t N>
void placeAll(Frame& frame, std::array<Control, N>& controls) {
  for (auto& control : controls) control.setFrame(&frame);
}

void initTimer(Timer& timer, int interval, bool enabled) {
  timer.setInterval(interval);
  timer.setTimerEnabled(enabled);
}

}  // namespace

MAINFRM::MAINFRM() {
  window.caption = QString::fromUtf8(kCaption);
  window.setSize(kClientWidthTwips, kClientHeightTwips);

  nameArray(Option1, "Option1");
  nameArray(Option2, "Option2");
  nameArray(Option3, "Option3");
  nameArray(Option4, "Option4");
  nameArray(Option5, "Option5");
  nameArray(Text1, "Text1");
  nameArray(Text2, "Text2");
  nameArray(Text3, "Text3");
  nameArray(Text5, "Text5");
  nameArray(Text8, "Text8");
  nameArray(Text22, "Text22");
  nameArray(Label4, "Label4");
  nameArray(Label6, "Label6");
  nameArray(Label8, "Label8");
  nameArray(Label10, "Label10");
  nameArray(Label25, "Label25");
  nameArray(Label26, "Label26");
  nameArray(Shape1, "Shape1");

  // Outside any frame.
  Command3.caption = "结束";
  Command1.caption = "隐藏";
  Command1.setEnabled(false);
  Command6.caption = "关机";
  Command4.caption = "保存参数";
  Command5.caption = "读取参数";
  Check1.caption = "控制鼠标移动";
  Check1.initValue(1);
  Check4.caption = "控制鼠标移动点击";
  Check7.caption = "控制鼠标拖动点击";
  Check2.caption = "程序运行直接隐藏";
  Check2.initValue(1);
  Label4[0].initCaption("阀值：");
  Text4.initText("60");
  Label12.initCaption("速度系数(1~4)");
  Text6.initText("2");
  Check3.caption = "自动调解阀值";
  Check10.caption = "帧率同步";
  Label27.setVisible(false);
  Label5.initCaption("阀值参考:");
  Label2.initCaption("0");
  Label11.initCaption("实测速度 0 桢/秒");
  Label3.initCaption("Label3");
  Label14.initCaption("0");
  Text21.initText("Text21");
  Text21.setVisible(false);
  Command11.caption = "清屏";
  initTimer(Timer2, 100, true);
  initTimer(Timer3, 1000, true);
  initTimer(Timer7, 100, true);
  Timer7.tag = "10";

  // Video source and recognition reference: the two halves of Option3.
  Frame1.caption = "视频源选择";
  Frame4.caption = "识别算法";
  const char* option3Captions[] = {"采集卡", "摄像头", "动态", "静态"};
  for (int i = 0; i < 4; ++i) Option3[i].caption = option3Captions[i];
  sourceGroup.add(Option3[0]);
  sourceGroup.add(Option3[1]);
  referenceGroup.add(Option3[2]);
  referenceGroup.add(Option3[3]);
  Option3[0].initSelected(true);
  Option3[1].setEnabled(false);
  Option3[2].initSelected(true);
  Command7.caption = "设置基准";
  place(Frame1, {&Option3[0], &Option3[1]});
  place(Frame4, {&Option3[2], &Option3[3], &Command7});

  // Projection mode. No button is selected at design time; the start-up load selects one.
  Frame5.caption = "投影方式";
  const char* modeCaptions[] = {"0 地投",       "1 墙投",       "2 翻书",
                                "3 背投",       "4 激光笔鼠标", "5 多区域互动",
                                "6 两点触摸     图片缩放移动旋转", "7 翻书模式鼠标点击"};
  for (int i = 0; i < 8; ++i) {
    Option4[i].caption = modeCaptions[i];
    option4Group.add(Option4[i]);
    if (i == 3 || i >= 6) Option4[i].setEnabled(false);
  }
  Label9.initCaption("1");
  Check5.caption = "启动/暂停";
  Check5.initValue(1);
  initTimer(Timer1, 50, true);
  Command2.caption = "处理函数0";
  Command8.caption = "处理函数3";
  Command9.caption = "处理函数6";
  Command10.caption = "处理函数7";
  Command12.caption = "处理函数4";
  Command13.caption = "处理函数5";
  for (Button* hidden : {&Command2, &Command8, &Command9, &Command10, &Command12, &Command13})
    hidden->setVisible(false);
  placeAll(Frame5, Option4);
  place(Frame5, {&Label9, &Check5, &Timer1, &Command2, &Command8, &Command9, &Command10, &Command12, &Command13});

  // Coordinate mapping: the corner table, the mouse activity range and the point fields.
  Frame2.caption = "坐标映射";
  Label6[0].initCaption("射像机X 射像机Y");
  for (int i = 0; i < 4; ++i) Label8[i].initCaption(QString::number(i));
  const char* cornerX[] = {"0", "0", "320", "320"};
  const char* cornerY[] = {"0", "240", "0", "240"};
  const char* cornerSteps[] = {"设置左上点", "设置左下点", "设置右上点", "设置右下点", "完成"};
  for (int i = 0; i < 4; ++i) {
    Text1[i].initText(cornerX[i]);
    Text2[i].initText(cornerY[i]);
  }
  for (int i = 0; i < 5; ++i) {
    Option1[i].caption = cornerSteps[i];
    option1Group.add(Option1[i]);
  }
  for (int i : {1, 2}) {
    Text1[i].setEnabled(false);
    Text2[i].setEnabled(false);
    Option1[i].setEnabled(false);
  }
  Option1[4].initSelected(true);
  Option1[0].tag = "4";
  Label6[1].initCaption("鼠标活动范围");
  const char* rangeLabels[] = {"左坐标", "顶坐标", "宽度", "高度"};
  const char* rangeDefaults[] = {"0", "0", "1024", "768"};
  for (int i = 0; i < 4; ++i) {
    Label8[7 - i].initCaption(rangeLabels[i]);
    Text3[i].initText(rangeDefaults[i]);
  }
  Label6[2].initCaption("校正前");
  Label6[3].initCaption("校正后");
  const char* pointLabels[] = {"X1", "Y1", "X2", "X1", "Y1", "Y2", "Y2", "X2"};
  for (int i = 0; i < 8; ++i) Label10[i].initCaption(pointLabels[i]);
  placeAll(Frame2, Label6);
  placeAll(Frame2, Label8);
  placeAll(Frame2, Label10);
  placeAll(Frame2, Text1);
  placeAll(Frame2, Text2);
  placeAll(Frame2, Text3);
  placeAll(Frame2, Text5);
  placeAll(Frame2, Text8);
  placeAll(Frame2, Option1);
  place(Frame2, {&Text16, &Text17, &Text18, &Text19});

  // Mapping algorithm: 非线性校正 waits for a calibration grid.
  Frame3.caption = "映射算法";
  const char* corrections[] = {"矩形校正", "梯形校正", "非线性校正"};
  for (int i = 0; i < 3; ++i) {
    Option2[i].caption = corrections[i];
    option2Group.add(Option2[i]);
  }
  Option2[0].initSelected(true);
  Option2[2].setEnabled(false);
  placeAll(Frame3, Option2);
  Command14.caption = "自动校正";
  place(Frame3, {&Command14});

  // Multi-image composition (serial relay); its role and port number sit in the inner frame.
  Frame6.caption = "多图合成";
  Frame7.caption = "多图合成配置";
  Frame7.setFrame(&Frame6);
  Check6.caption = "启用多图合成";
  Label13.initCaption("串口号：");
  Text7.initText("1");
  Label4[1].initCaption("发送数据：");
  Text9.initText(":::MOUSEX=0000,Y=0001.");
  Label4[2].initCaption("接收数据：");
  Text10.initText(":::MOUSEX=0100,Y=0201.");
  Option5[0].caption = "本机发送";
  Option5[1].caption = "本机接收";
  option5Group.add(Option5[0]);
  option5Group.add(Option5[1]);
  Option5[1].initSelected(true);
  initTimer(Timer5, 5, false);
  place(Frame6, {&Check6, &Label4[1], &Text9, &Label4[2], &Text10, &Timer5});
  place(Frame7, {&Label13, &Text7, &Option5[0], &Option5[1]});

  // Multi-touch, disabled as a whole.
  Frame8.caption = "多点触摸";
  Frame8.setEnabled(false);
  Check8.caption = "启用多点触摸";
  Check9.caption = "暂停发送用于手动测试";
  Check9.initValue(1);
  Label15.initCaption("IP地址：");
  Label16.initCaption("端口：");
  Text12.initText("5500");
  Label17.initCaption("本机名称：");
  Text14.initText("0|move|576,24");
  Text15.initText("1|scale|381,273,391,283,-0.2");
  initTimer(Timer6, 100, false);
  Label20.initCaption("0");
  Label21.initCaption("1");
  place(Frame8, {&Check8, &Check9, &Label15, &Text11, &Label16, &Text12, &Label17, &Text13, &Text14,
                 &Text15, &Timer6, &Label20, &Label21});

  // Status monitor of the page-flip mode, disabled as a whole.
  Frame9.caption = "7 翻书模式鼠标点击状态监视";
  Frame9.setEnabled(false);
  const char* columnHeadings[] = {"左翻页按钮", "右翻页按钮", "鼠标屏幕坐标"};
  for (int i = 0; i < 3; ++i) Label25[i].initCaption(columnHeadings[i]);
  Label26[0].initCaption("X:");
  Label26[1].initCaption("Y:");
  initTimer(Timer4, 200, true);
  Label23.initCaption("位置：");
  Label24.initCaption("Label24");
  Label22.initCaption("监视");
  placeAll(Frame9, Label25);
  placeAll(Frame9, Label26);
  placeAll(Frame9, Text22);
  place(Frame9, {&Timer4, &Label23, &Text20, &Label24, &Picture5});

  // Markers on the previews.
  Label1.initCaption("采集");
  Label19.initCaption("采集");
  Label7.initCaption("映射");
  Label18.initCaption("映射");
}

std::vector<form::Control*> MAINFRM::controls() {
  std::vector<form::Control*> all;
  auto add = [&all](auto&... controls) { (all.push_back(&controls), ...); };
  auto addArray = [&all](auto& array) {
    for (auto& control : array) all.push_back(&control);
  };
  add(Frame1, Frame2, Frame3, Frame4, Frame5, Frame6, Frame7, Frame8, Frame9);
  add(Command1, Command2, Command3, Command4, Command5, Command6, Command7, Command8, Command9,
      Command10, Command11, Command12, Command13, Command14);
  add(Check1, Check2, Check3, Check4, Check5, Check6, Check7, Check8, Check9, Check10);
  addArray(Option1);
  addArray(Option2);
  addArray(Option3);
  addArray(Option4);
  addArray(Option5);
  addArray(Text1);
  addArray(Text2);
  addArray(Text3);
  addArray(Text5);
  addArray(Text8);
  addArray(Text22);
  add(Text4, Text6, Text7, Text9, Text10, Text11, Text12, Text13, Text14, Text15, Text16, Text17,
      Text18, Text19, Text20, Text21);
  add(Label1, Label2, Label3, Label5, Label7, Label9, Label11, Label12, Label13, Label14, Label15,
      Label16, Label17, Label18, Label19, Label20, Label21, Label22, Label23, Label24, Label27);
  addArray(Label4);
  addArray(Label6);
  addArray(Label8);
  addArray(Label10);
  addArray(Label25);
  addArray(Label26);
  add(Picture1, Picture2, Picture3, Picture4, Picture5);
  addArray(Shape1);
  add(Timer1, Timer2, Timer3, Timer4, Timer5, Timer6, Timer7);
  return all;
}

}  // namespace vornix::panel
