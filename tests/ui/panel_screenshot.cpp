// Saves a picture of the panel in a typical running state when VORNIX_SCREENSHOT names a PNG
// file (scripts/screenshot_panel.sh); skipped otherwise.

#include "ui/panel_window.h"

#include <QApplication>
#include <QPainter>

#include <gtest/gtest.h>

namespace vornix::ui {
namespace {

QImage sceneFrame(bool withTouch) {
  QImage image(320, 240, QImage::Format_RGB32);
  image.fill(QColor(40, 44, 52));
  QPainter painter(&image);
  painter.fillRect(QRect(30, 24, 260, 192), QColor(90, 110, 150));
  painter.setPen(QColor(200, 210, 230));
  painter.drawRect(QRect(30, 24, 260, 192));
  if (withTouch) {
    painter.setBrush(QColor(240, 200, 170));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QPointF(168, 132), 12, 9);
  }
  return image;
}

TEST(PanelScreenshot, SavesThePanelWhenAsked) {
  const QByteArray path = qgetenv("VORNIX_SCREENSHOT");
  if (path.isEmpty()) GTEST_SKIP() << "VORNIX_SCREENSHOT not set";
  static int argc = 1;
  static char name[] = "test_ui";
  static char* argv[] = {name, nullptr};
  if (!QApplication::instance()) new QApplication(argc, argv);

  panel::MAINFRM f;
  PanelWindow window(f);

  f.Option4[1].setSelected(true);
  f.Label9.setCaption("1");
  f.Picture1.setImage(sceneFrame(true));
  f.Picture2.setImage(sceneFrame(false));
  for (int x = 156; x <= 180; x += 2) f.Picture4.plot(x, 132);
  f.Text1[0].setText("30");
  f.Text2[0].setText("24");
  f.Text1[3].setText("290");
  f.Text2[3].setText("216");
  const double corners[][2] = {{30, 24}, {30, 216}, {290, 24}, {290, 216}, {160, 120}};
  for (int i = 0; i < 5; ++i)
    f.Shape1[i].move(corners[i][0] - f.Shape1[i].width / 2, corners[i][1] - f.Shape1[i].height / 2);
  f.Text5[0].setText("168");
  f.Text5[1].setText("132");
  f.Text8[0].setText("545");
  f.Text8[1].setText("433");
  f.Text16.setText(":::MOUSEX=0168,Y=0132.");
  f.Text17.setText(":::MOUSEX=0545,Y=0433.");
  f.Label1.move(168, 132, QRectF(0, 0, 320, 240));
  f.Label7.move(545, 433, QRectF(0, 0, 1024, 768));
  f.Label2.setCaption("212");
  f.Label14.setCaption("1");
  f.Label11.setCaption("实测速度 20 桢/秒");
  f.Label3.setCaption("x=168,Y=132,P=240");
  f.Text11.setText("192.168.1.20");
  f.Text13.setText("vornix-console");
  f.Text22[4].setText("545");
  f.Text22[5].setText("433");
  f.Label22.move(545, 0, QRectF(0, 0, 1024, 768));

  ASSERT_TRUE(window.grab().save(QString::fromLocal8Bit(path)));
}

}  // namespace
}  // namespace vornix::ui
