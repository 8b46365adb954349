#include "output/serial_relay.h"
#include "doubles/recording_pointer.h"

#include "support/test_system.h"
#include "support/trace_capture.h"

#include <gtest/gtest.h>

#include <QRegularExpression>

#include <initializer_list>

namespace vornix::output {
namespace {

using Event = RecordingPointer::Event;
using Events = std::vector<Event>;
using testing::TraceCapture;

class RelayTest : public ::testing::Test {
protected:
  void startReceiver() { f.Check6.setValue(1); }  // "本机接收" is selected at start
  void startSender() {
    f.Option5[0].setSelected(true);
    f.Check6.setValue(1);
  }
  // One poll per chunk: each chunk is what one read of the line brings.
  void receive(std::initializer_list<QString> chunks) {
    for (const QString& chunk : chunks) {
      serial.chunks.push_back(chunk);
      ts.loop.advance(kPollMs);
    }
  }
  // A mapped point reaching the dispatch, as on the sending side.
  void mapPoint(int x, int y) {
    f.Text8[0].setText(QString::number(x));
    f.Text8[1].setText(QString::number(y));
    f.Text17.setText(QStringLiteral("point %1 %2").arg(x).arg(y));
  }
  const Events& events() const { return ts.pointerEvents.events(); }
  QStringList errorLines(const TraceCapture& trace) const { return trace.lines().filter(QRegularExpression("^error ")); }

  static constexpr int kPollMs = 5;
  testing::TestSystem ts;
  panel::MAINFRM& f = ts.f;
  testing::ScriptedSerial& serial = ts.serial;
};

TEST(SerialReceiver, TakesTheFirstCompleteMessageOfItsBuffer) {
  struct Case {
    const char* what;
    std::vector<QString> reads;
    Events moves;
    QString buffer;
  };
  const Case cases[] = {
      {"one read", {":::MOUSEX=0300,Y=0400."}, {Event::move(300, 400)}, "处理"},
      {"split after two digits of X", {":::MOUSEX=03", "00,Y=0400."}, {Event::move(300, 400)}, "处理"},
      {"two messages in one read", {":::MOUSEX=0300,Y=0400.:::MOUSEX=0500,Y=0600."}, {Event::move(300, 400)}, "处理"},
      {"noise before the message", {"#!~:::MOUSEX=0300,Y=0400."}, {Event::move(300, 400)}, "处理"},
      {"origin goes to (0, 1)", {":::MOUSEX=0000,Y=0000."}, {Event::move(0, 1)}, "处理"},
      {"50 characters wait", {QString(50, 'x')}, {}, QString(50, 'x')},
      {"51 characters empty the buffer", {QString(50, 'x'), "y"}, {}, ""},
      {"over-wide X never completes", {":::MOUSEX=10000,Y=0400.", QString(28, '.')}, {}, ""},
      {"a message after the processed mark",
       {":::MOUSEX=0300,Y=0400.", ":::MOUSEX=0700,Y=0010."},
       {Event::move(300, 400), Event::move(700, 10)},
       "处理"},
  };
  for (const Case& c : cases) {
    testing::TestSystem fresh;
    fresh.f.Check6.setValue(1);
    for (const QString& chunk : c.reads) {
      fresh.serial.chunks.push_back(chunk);
      fresh.loop.advance(5);
    }
    // The design-time text (100, 201) is never taken for a received point.
    EXPECT_EQ(fresh.pointerEvents.events(), c.moves) << c.what;
    EXPECT_EQ(fresh.f.Text10.text(), c.buffer) << c.what;
  }
}

TEST_F(RelayTest, MessageWhoseDispatchFailsIsGoneAndTheNextIsInjected) {
  TraceCapture trace;
  startReceiver();
  // 9e99 has a numeric value but no 32-bit one: the dispatch fails on it.
  receive({":::MOUSEX=9e99,Y=0001.", ":::MOUSEX=0300,Y=0400.", ":::MOUSEX=0500,Y=0600."});
  EXPECT_EQ(events(), (Events{Event::move(300, 400), Event::move(500, 600)}));
  EXPECT_EQ(f.Text10.text(), "处理");
  EXPECT_EQ(errorLines(trace).size(), 1);
}

TEST_F(RelayTest, PortInputIsWantedOnlyWhileThePollReadsItInTheReceiverRole) {
  EXPECT_FALSE(serial.inputWanted);
  f.Text7.setText("2");  // the port opens with the relay off
  EXPECT_FALSE(serial.inputWanted);
  startReceiver();
  EXPECT_TRUE(serial.inputWanted);
  f.Option5[0].setSelected(true);
  EXPECT_FALSE(serial.inputWanted);
  f.Option5[1].setSelected(true);
  f.Check6.setValue(0);
  EXPECT_FALSE(serial.inputWanted);
  f.Check7.setValue(1);  // the drag switch runs the poll too
  EXPECT_TRUE(serial.inputWanted);
}

TEST_F(RelayTest, PortNumberOutsideOneTo256IsRefusedAndLeavesThePort) {
  startReceiver();
  for (const char* text : {"0", "257", "COM"}) {
    ts.dialogs.messages.clear();
    f.Text7.setText(text);
    EXPECT_EQ(ts.dialogs.messages, std::vector<QString>{"串口号错误"}) << text;
    EXPECT_EQ(serial.commPort(), 1);
    EXPECT_TRUE(serial.portOpen());
    EXPECT_EQ(serial.opens, 1);
  }
}

TEST_F(RelayTest, ValidPortNumberReopensWhateverTheSwitchAndReportsOneFailure) {
  f.Text7.setText("3");  // relay off, receiver
  EXPECT_EQ(serial.commPort(), 3);
  EXPECT_TRUE(serial.portOpen());
  EXPECT_TRUE(ts.dialogs.messages.empty());

  serial.openFails = true;
  f.Text7.setText("12");
  EXPECT_EQ(ts.dialogs.messages, std::vector<QString>{"1\r\nCOM12: No such file or directory"});
  EXPECT_FALSE(serial.portOpen());
}

TEST_F(RelayTest, SwitchOpensAndClosesThePortWithThePollAndTheConfigurationFrame) {
  f.Check6.setValue(1);
  EXPECT_TRUE(serial.portOpen());
  EXPECT_TRUE(f.Timer5.timerEnabled());
  EXPECT_TRUE(f.Frame7.enabled());
  f.Check6.setValue(0);
  EXPECT_FALSE(serial.portOpen());
  EXPECT_FALSE(f.Timer5.timerEnabled());
  EXPECT_FALSE(f.Frame7.enabled());
  f.Check6.setValue(2);  // greyed: neither test holds
  EXPECT_FALSE(serial.portOpen());
  EXPECT_FALSE(f.Frame7.enabled());
}

TEST_F(RelayTest, SwitchThatCannotOpenShowsTheErrorAndTheProgramGoesOn) {
  serial.openFails = true;
  f.Check6.setValue(1);
  EXPECT_EQ(ts.dialogs.messages, std::vector<QString>{"1\r\nCOM1: No such file or directory"});
  EXPECT_TRUE(f.Timer5.timerEnabled());
  EXPECT_TRUE(f.Frame7.enabled());
}

TEST_F(RelayTest, SenderWritesEachNewPointOnlyInItsRoleWithTheSwitchOn) {
  TraceCapture trace;
  mapPoint(10, 20);  // relay off
  startSender();
  mapPoint(30, 40);
  mapPoint(30, 40);  // unchanged: no handler runs
  f.Check6.setValue(2);
  mapPoint(50, 60);
  f.Check6.setValue(1);
  f.Option5[1].setSelected(true);
  mapPoint(70, 80);
  EXPECT_EQ(serial.written, QStringList{":::MOUSEX=0030,Y=0040."});
  EXPECT_TRUE(trace.lines().contains("serial-send :::MOUSEX=0030,Y=0040."));
}

TEST_F(RelayTest, SenderAndPollRetryAFailedOpenOnceASecondAndTraceItOnce) {
  TraceCapture trace;
  startSender();
  serial.pullOut();
  for (int i = 1; i <= 100; ++i) {  // a point every 20 ms for two seconds
    mapPoint(i, i);
    ts.loop.advance(20);
  }
  EXPECT_TRUE(serial.written.isEmpty());
  EXPECT_EQ(serial.attempts, 1 + 2);
  EXPECT_EQ(errorLines(trace).size(), 1);
  serial.openFails = false;
  ts.loop.advance(1000);
  mapPoint(500, 500);
  EXPECT_EQ(serial.written, QStringList{":::MOUSEX=0500,Y=0500."});

  f.Option5[1].setSelected(true);  // now the poll, every 5 ms
  serial.pullOut();
  ts.loop.advance(3000);
  serial.openFails = false;
  receive({":::MOUSEX=0007,Y=0008."});
  ts.loop.advance(1000);
  EXPECT_EQ(events().back(), Event::move(7, 8));
  EXPECT_EQ(errorLines(trace).size(), 2) << errorLines(trace).join('\n').toStdString();
  EXPECT_EQ(serial.opens, 3);
}

TEST_F(RelayTest, ReceiverWithTheSwitchClearedStillInjectsWhileTheDragSwitchPolls) {
  f.Check7.setValue(1);
  receive({":::MOUSEX=0300,Y=0400."});
  EXPECT_EQ(events(), Events{Event::move(300, 400)});
  // The last click wins: clearing the drag switch stops the poll the relay switch started.
  f.Check6.setValue(1);
  f.Check7.setValue(0);
  EXPECT_FALSE(f.Timer5.timerEnabled());
}

TEST_F(RelayTest, PollFallingDueDuringTheDispatchWaitsForItsEnd) {
  startReceiver();
  receive({"~"});
  // A message typed into the receive buffer; the poll falls due while its dispatch yields, with
  // the next message waiting on the line.
  serial.chunks.push_back(":::MOUSEX=0500,Y=0600.");
  ts.loop.post([&] { ts.loop.spend(kPollMs); });
  f.Text10.setText("~:::MOUSEX=0300,Y=0400.");
  EXPECT_EQ(events(), Events{Event::move(300, 400)});
  ts.loop.advance(kPollMs);
  EXPECT_EQ(events(), (Events{Event::move(300, 400), Event::move(500, 600)}));
  EXPECT_EQ(f.Text10.text(), "处理");
}

}  // namespace
}  // namespace vornix::output
