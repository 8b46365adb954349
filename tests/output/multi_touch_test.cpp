#include "output/multi_touch.h"

#include "doubles/scripted_sockets.h"
#include "support/test_system.h"
#include "support/trace_capture.h"

#include <gtest/gtest.h>

namespace vornix::output {
namespace {

using server::ScriptedTcpElement;

class MultiTouchTest : public ::testing::Test {
protected:

  // The second point mapped: Text8(0..3), then the change of Text19 that movemouse2 makes.
  void secondPoint(int x1, int y1, int x2, int y2) {
    f.Text8[0].setText(QString::number(x1));
    f.Text8[1].setText(QString::number(y1));
    f.Text8[2].setText(QString::number(x2));
    f.Text8[3].setText(QString::number(y2));
    f.Text19.setText(f.Text19.text() + u'.');
  }

  // Multi-touch on with one client connected to the server.
  ScriptedTcpElement& switchOnWithClient() {
    f.Check8.setValue(1);
    ScriptedTcpElement* client = sockets.connectClient();
    if (!client) throw std::runtime_error("the server accepted no client");
    return *client;
  }

  testing::TestSystem ts;
  server::ScriptedSockets& sockets = ts.sockets;
  panel::MAINFRM& f = ts.f;
};

TEST_F(MultiTouchTest, ScaleMessageComparesTheHorizontalDistanceWithThePreviousRun) {
  testing::TraceCapture trace;
  // First run: no previous distance, the division fails and the initial message stays.
  secondPoint(100, 190, 300, 205);
  EXPECT_EQ(f.Text15.text(), "1|scale|381,273,391,283,-0.2");
  // Against (100, 300): m = 100 + 400 / 2, factor (300 / 200 - 1) * 1.1.
  secondPoint(100, 200, 400, 210);
  EXPECT_EQ(f.Text15.text(), "1|scale|200,200,350,210,0.55");
  // The same X positions: an unchanged distance.
  secondPoint(100, 220, 400, 230);
  EXPECT_EQ(f.Text15.text(), "1|scale|200,220,350,230,0.00");
  // Closer together; the halves of the pivot are rounded down.
  secondPoint(101, 220, 351, 231);
  EXPECT_EQ(f.Text15.text(), "1|scale|188,220,313,231,-0.18");
  // Both points at one X: this run builds against (101, 351), the next one divides by zero
  // and keeps the message, and the one after builds against the X positions just stored.
  secondPoint(150, 10, 150, 20);
  EXPECT_EQ(f.Text15.text(), "1|scale|187,10,187,20,-1.10");
  secondPoint(100, 200, 300, 210);
  EXPECT_EQ(f.Text15.text(), "1|scale|187,10,187,20,-1.10");
  secondPoint(100, 200, 500, 210);
  EXPECT_EQ(f.Text15.text(), "1|scale|225,200,425,210,1.10");

  EXPECT_EQ(trace.lines(), (QStringList{"scale 1|scale|200,200,350,210,0.55", "scale 1|scale|200,220,350,230,0.00",
                                        "scale 1|scale|188,220,313,231,-0.18", "scale 1|scale|187,10,187,20,-1.10",
                                        "scale 1|scale|225,200,425,210,1.10"}));
}

TEST_F(MultiTouchTest, SenderSendsTheScaleMessageWhileTheHoldCounterReadsFiveToTwo) {
  ScriptedTcpElement& client = switchOnWithClient();
  f.Text8[0].setText("512");
  f.Text8[1].setText("384");
  ts.system.dispatch.Text17_Change();
  f.Label21.setCaption("5");  // two points were found

  ts.loop.advance(700);
  const QString scale = QStringLiteral("1|scale|381,273,391,283,-0.2") + QChar(0);
  const QString move = QStringLiteral("0|move|512,384") + QChar(0);
  EXPECT_EQ(client.sent, (std::vector<QString>{scale, scale, scale, scale, move, move, move}));
  EXPECT_EQ(f.Label21.caption(), "0");
}

TEST_F(MultiTouchTest, MultiTouchSwitchOpensAndClosesTheServerAndDrivesTheSender) {
  ScriptedTcpElement& client = switchOnWithClient();
  server::frmServer& window = *ts.system.server.existing();
  EXPECT_TRUE(window.window.visible());
  EXPECT_TRUE(f.Timer6.timerEnabled());
  ts.loop.advance(300);
  EXPECT_EQ(client.sent.size(), 3u) << "ten a second while nobody touches";

  f.Check8.setValue(0);
  EXPECT_FALSE(window.loaded());
  EXPECT_FALSE(window.window.visible());
  EXPECT_FALSE(f.Timer6.timerEnabled());
  EXPECT_TRUE(sockets.elements.empty()) << "unloading ends every connection";

  // Greyed counts as on for the sender, which then loads the window without showing it.
  f.Check8.setValue(2);
  EXPECT_FALSE(window.loaded());
  ts.loop.advance(100);
  EXPECT_TRUE(window.loaded());
  EXPECT_FALSE(window.window.visible());

  // Check9 starts and stops the sender on its own.
  f.Check9.setValue(0);
  EXPECT_FALSE(f.Timer6.timerEnabled());
  f.Check9.setValue(1);
  EXPECT_TRUE(f.Timer6.timerEnabled());
}

}  // namespace
}  // namespace vornix::output
