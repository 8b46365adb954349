#pragma once
// The control panel MAINFRM: every control of the panel with its design-time content. The
// controls are the system's parameter store; the modules that own the behaviour read and write
// them by name. Handlers are attached in one place (wiring.cpp).

#include "form/controls.h"
#include "panel/zones.h"
#include "panel/calibration_grid.h"

#include <array>

namespace vornix::panel {

using form::Button;
using form::CheckBox;
using form::Frame;
using form::Label;
using form::OptionButton;
using form::OptionGroup;
using form::Picture;
using form::Shape;
using form::TextBox;
using form::Timer;

struct MAINFRM {
  MAINFRM();
  MAINFRM(const MAINFRM&) = delete;
  MAINFRM& operator=(const MAINFRM&) = delete;

  form::Window window{"MAINFRM"};

  // Frames.
  Frame Frame1{"Frame1"}, Frame2{"Frame2"}, Frame3{"Frame3"}, Frame4{"Frame4"}, Frame5{"Frame5"},
      Frame6{"Frame6"}, Frame7{"Frame7"}, Frame8{"Frame8"}, Frame9{"Frame9"};

  // Buttons.
  Button Command1{"Command1"}, Command2{"Command2"}, Command3{"Command3"}, Command4{"Command4"},
      Command5{"Command5"}, Command6{"Command6"}, Command7{"Command7"}, Command8{"Command8"},
      Command9{"Command9"}, Command10{"Command10"}, Command11{"Command11"};
  // The hidden buttons of the laser pointer (mode 4) and zone (mode 5) passes.
  Button Command12{"Command12"}, Command13{"Command13"};
  // "自动校正" in Frame3: the automatic calibration.
  Button Command14{"Command14"};

  // Check boxes.
  CheckBox Check1{"Check1"}, Check2{"Check2"}, Check3{"Check3"}, Check4{"Check4"}, Check5{"Check5"},
      Check6{"Check6"}, Check7{"Check7"}, Check8{"Check8"}, Check9{"Check9"};
  // 帧率同步: a pass per new frame instead of one per tick of Timer1.
  CheckBox Check10{"Check10"};

  // Option buttons and their exclusive groups. Option3 is split over two frames and so forms two
  // groups: the video source (0, 1) and the recognition reference (2, 3).
  std::array<OptionButton, 5> Option1;
  std::array<OptionButton, 3> Option2;
  std::array<OptionButton, 4> Option3;
  std::array<OptionButton, 8> Option4;
  std::array<OptionButton, 2> Option5;
  OptionGroup option1Group, option2Group, sourceGroup, referenceGroup, option4Group, option5Group;

  // Text fields.
  std::array<TextBox, 4> Text1, Text2, Text3, Text5, Text8;
  std::array<TextBox, 6> Text22;
  TextBox Text4{"Text4"}, Text6{"Text6"}, Text7{"Text7"}, Text9{"Text9"}, Text10{"Text10"},
      Text11{"Text11"}, Text12{"Text12"}, Text13{"Text13"}, Text14{"Text14"}, Text15{"Text15"},
      Text16{"Text16"}, Text17{"Text17"}, Text18{"Text18"}, Text19{"Text19"}, Text20{"Text20"},
      Text21{"Text21"};

  // Labels.
  Label Label1{"Label1"}, Label2{"Label2"}, Label3{"Label3"}, Label5{"Label5"}, Label7{"Label7"},
      Label9{"Label9"}, Label11{"Label11"}, Label12{"Label12"}, Label13{"Label13"},
      Label14{"Label14"}, Label15{"Label15"}, Label16{"Label16"}, Label17{"Label17"},
      Label18{"Label18"}, Label19{"Label19"}, Label20{"Label20"}, Label21{"Label21"},
      Label22{"Label22"}, Label23{"Label23"}, Label24{"Label24"};
  // The threshold the passes use while "自动调解阀值" is checked, shown beside 阀值; hidden otherwise.
  Label Label27{"Label27"};
  std::array<Label, 3> Label4;
  std::array<Label, 4> Label6;
  std::array<Label, 8> Label8;
  std::array<Label, 8> Label10;
  std::array<Label, 3> Label25;
  std::array<Label, 2> Label26;

  // Pictures and the corner markers on the camera preview.
  Picture Picture1{"Picture1"}, Picture2{"Picture2"}, Picture3{"Picture3"}, Picture4{"Picture4"},
      Picture5{"Picture5"};
  std::array<Shape, 5> Shape1;

  // The zones of mode 5, kept with the panel's parameters and stored in "多区域互动".
  ZoneList zones;
  // The grid of 非线性校正 (none stored: columns and rows 0); Option2(2) is enabled while one is.
  CalibrationGrid calibrationGrid;

  // Timers.
  Timer Timer1{"Timer1"}, Timer2{"Timer2"}, Timer3{"Timer3"}, Timer4{"Timer4"}, Timer5{"Timer5"},
      Timer6{"Timer6"}, Timer7{"Timer7"};

  // Every timer of the panel, for the loop that drives them.
  std::array<Timer*, 7> timers() { return {&Timer1, &Timer2, &Timer3, &Timer4, &Timer5, &Timer6, &Timer7}; }
  // Every control of the panel, for views and checks that walk them all.
  std::vector<form::Control*> controls();

  // The caption of the window.
  static constexpr const char* kCaption = "Vornix驱平台V7-100528D";
  // Client area in twips.
  static constexpr double kClientWidthTwips = 15240;
  static constexpr double kClientHeightTwips = 11010;
};

}  // namespace vornix::panel
