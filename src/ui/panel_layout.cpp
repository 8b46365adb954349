#include "ui/panel_layout.h"

#include <QHash>

namespace vornix::ui {
namespace {

struct Place {
  const char* name;
  int x, y, width, height;
};

// Left: the four picture panes (current, reference, mapping preview, drawing), each under its
// title, with the projection mode, the multi-touch frame and the switches and read-outs
// beneath them. Right: the mapping frame, the source / recognition / mapping-algorithm row,
// the serial relay, the mode-7 monitor and the commands.
constexpr Place kPlaces[] = {
    // Window.
    {"Picture1", 6, 19, 320, 240},
    {"Picture2", 330, 19, 320, 240},
    {"Picture3", 6, 278, 320, 240},
    {"Picture4", 330, 278, 320, 240},
    {"Frame5", 6, 522, 300, 140},
    {"Frame8", 310, 522, 340, 140},
    {"Frame2", 656, 2, 354, 258},
    {"Frame1", 656, 262, 96, 96},
    {"Frame4", 756, 262, 120, 96},
    {"Frame3", 880, 262, 130, 96},
    {"Frame6", 656, 360, 354, 110},
    {"Frame9", 656, 472, 354, 146},

    {"Check1", 8, 666, 112, 20},
    {"Check4", 128, 666, 136, 20},
    {"Check7", 272, 666, 136, 20},
    {"Check2", 416, 666, 136, 20},
    {"Label4(0)", 8, 692, 40, 20},
    {"Text4", 48, 692, 44, 20},
    {"Label27", 96, 692, 36, 20},
    {"Label12", 144, 692, 92, 20},
    {"Text6", 236, 692, 36, 20},
    {"Check3", 288, 692, 110, 20},
    {"Check10", 404, 692, 90, 20},
    {"Label5", 656, 666, 64, 20},
    {"Label2", 720, 666, 44, 20},
    {"Label14", 770, 666, 40, 20},
    {"Label11", 820, 666, 190, 20},
    {"Label3", 656, 694, 354, 20},
    {"Text21", 560, 692, 80, 20},

    {"Command4", 656, 626, 66, 30},
    {"Command5", 728, 626, 66, 30},
    {"Command1", 800, 626, 66, 30},
    {"Command6", 872, 626, 66, 30},
    {"Command3", 944, 626, 66, 30},

    // Picture4: the clear button in its bottom-right corner.
    {"Command11", 266, 214, 50, 22},

    // Frame5 投影方式.
    {"Option4(0)", 8, 20, 70, 20},
    {"Option4(1)", 8, 42, 70, 20},
    {"Option4(2)", 8, 64, 70, 20},
    {"Option4(3)", 8, 86, 70, 20},
    {"Option4(4)", 82, 20, 212, 20},
    {"Option4(5)", 82, 42, 212, 20},
    {"Option4(6)", 82, 64, 212, 20},
    {"Option4(7)", 82, 86, 212, 20},
    {"Check5", 8, 116, 90, 20},
    {"Label9", 102, 116, 24, 20},
    {"Command2", 130, 116, 40, 20},
    {"Command8", 172, 116, 40, 20},
    {"Command9", 214, 116, 40, 20},
    {"Command10", 256, 116, 40, 20},
    // Hidden like the four before them, a little below so that each has a place of its own.
    {"Command12", 172, 118, 40, 20},
    {"Command13", 214, 118, 40, 20},

    // Frame8 多点触摸.
    {"Check8", 8, 20, 120, 20},
    {"Check9", 132, 20, 200, 20},
    {"Label15", 8, 50, 56, 20},
    {"Text11", 64, 50, 110, 20},
    {"Label16", 180, 50, 40, 20},
    {"Text12", 220, 50, 50, 20},
    {"Label20", 280, 50, 22, 20},
    {"Label21", 308, 50, 22, 20},
    {"Label17", 8, 80, 64, 20},
    {"Text13", 72, 80, 258, 20},
    {"Text14", 8, 110, 120, 20},
    {"Text15", 132, 110, 198, 20},

    // Frame2 坐标映射: the corner table, the mouse activity range beside it, the points before
    // and after correction, and the hand-over fields.
    {"Label6(0)", 28, 18, 120, 18},
    {"Label8(0)", 8, 38, 18, 20},
    {"Label8(1)", 8, 60, 18, 20},
    {"Label8(2)", 8, 82, 18, 20},
    {"Label8(3)", 8, 104, 18, 20},
    {"Text1(0)", 28, 38, 56, 20},
    {"Text1(1)", 28, 60, 56, 20},
    {"Text1(2)", 28, 82, 56, 20},
    {"Text1(3)", 28, 104, 56, 20},
    {"Text2(0)", 88, 38, 56, 20},
    {"Text2(1)", 88, 60, 56, 20},
    {"Text2(2)", 88, 82, 56, 20},
    {"Text2(3)", 88, 104, 56, 20},
    {"Option1(0)", 150, 38, 96, 20},
    {"Option1(1)", 150, 60, 96, 20},
    {"Option1(2)", 150, 82, 96, 20},
    {"Option1(3)", 150, 104, 96, 20},
    {"Option1(4)", 150, 126, 96, 20},
    {"Label6(1)", 254, 18, 92, 18},
    {"Label8(7)", 254, 38, 44, 20},
    {"Label8(6)", 254, 60, 44, 20},
    {"Label8(5)", 254, 82, 44, 20},
    {"Label8(4)", 254, 104, 44, 20},
    {"Text3(0)", 298, 38, 48, 20},
    {"Text3(1)", 298, 60, 48, 20},
    {"Text3(2)", 298, 82, 48, 20},
    {"Text3(3)", 298, 104, 48, 20},
    {"Label6(2)", 8, 152, 44, 20},
    {"Label10(0)", 54, 152, 20, 20},
    {"Text5(0)", 74, 152, 48, 20},
    {"Label10(1)", 126, 152, 20, 20},
    {"Text5(1)", 146, 152, 48, 20},
    {"Label10(2)", 198, 152, 20, 20},
    {"Text5(2)", 218, 152, 48, 20},
    {"Label10(5)", 270, 152, 20, 20},
    {"Text5(3)", 290, 152, 48, 20},
    {"Label6(3)", 8, 176, 44, 20},
    {"Label10(3)", 54, 176, 20, 20},
    {"Text8(0)", 74, 176, 48, 20},
    {"Label10(4)", 126, 176, 20, 20},
    {"Text8(1)", 146, 176, 48, 20},
    {"Label10(7)", 198, 176, 20, 20},
    {"Text8(2)", 218, 176, 48, 20},
    {"Label10(6)", 270, 176, 20, 20},
    {"Text8(3)", 290, 176, 48, 20},
    {"Text16", 8, 204, 166, 20},
    {"Text17", 180, 204, 166, 20},
    {"Text18", 8, 228, 166, 20},
    {"Text19", 180, 228, 166, 20},

    // Frame1 视频源选择.
    {"Option3(0)", 10, 20, 80, 20},
    {"Option3(1)", 10, 42, 80, 20},

    // Frame4 识别算法.
    {"Option3(2)", 10, 20, 100, 20},
    {"Option3(3)", 10, 42, 100, 20},
    {"Command7", 10, 66, 100, 24},

    // Frame3 映射算法.
    {"Option2(0)", 10, 16, 112, 18},
    {"Option2(1)", 10, 34, 112, 18},
    {"Option2(2)", 10, 52, 112, 18},
    {"Command14", 10, 70, 110, 22},

    // Frame6 多图合成, with Frame7 多图合成配置 on its right.
    {"Check6", 8, 20, 150, 20},
    {"Label4(1)", 8, 46, 64, 20},
    {"Text9", 72, 46, 156, 20},
    {"Label4(2)", 8, 74, 64, 20},
    {"Text10", 72, 74, 156, 20},
    {"Frame7", 234, 20, 112, 86},
    {"Label13", 8, 20, 50, 20},
    {"Text7", 58, 20, 44, 20},
    {"Option5(0)", 8, 42, 96, 20},
    {"Option5(1)", 8, 62, 96, 20},

    // Frame9 7 翻书模式鼠标点击状态监视: a table of the two page-turn buttons and the pointer,
    // the swipe feed, and the monitor strip.
    {"Label25(0)", 30, 20, 92, 18},
    {"Label25(1)", 128, 20, 92, 18},
    {"Label25(2)", 226, 20, 110, 18},
    {"Label26(0)", 8, 40, 20, 20},
    {"Label26(1)", 8, 62, 20, 20},
    {"Text22(0)", 30, 40, 92, 20},
    {"Text22(1)", 30, 62, 92, 20},
    {"Text22(2)", 128, 40, 92, 20},
    {"Text22(3)", 128, 62, 92, 20},
    {"Text22(4)", 226, 40, 110, 20},
    {"Text22(5)", 226, 62, 110, 20},
    {"Label23", 8, 88, 40, 20},
    {"Text20", 48, 88, 74, 20},
    {"Label24", 128, 88, 92, 20},
    {"Picture5", 8, 112, 338, 26},
};

}  // namespace

std::optional<QRect> panelGeometry(const QString& fullName) {
  static const QHash<QString, QRect> table = [] {
    QHash<QString, QRect> places;
    for (const Place& place : kPlaces)
      places.insert(QString::fromLatin1(place.name), QRect(place.x, place.y, place.width, place.height));
    return places;
  }();
  const auto found = table.constFind(fullName);
  if (found == table.constEnd()) return std::nullopt;
  return *found;
}

}  // namespace vornix::ui
