#include "ui/server_window.h"
#include "doubles/recording_dialogs.h"

#include "doubles/scripted_sockets.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QDeadlineTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPlainTextEdit>

#include <gtest/gtest.h>

namespace vornix::ui {
namespace {

class ServerWindowTest : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    static int argc = 1;
    static char name[] = "test_ui";
    static char* argv[] = {name, nullptr};
    if (!QApplication::instance()) new QApplication(argc, argv);
  }
  ServerWindowTest() {
    server.Form_Load();
    server.window.show();
    client = sockets.connectClient();
  }

  void key(int qtKey, QEvent::Type type) {
    QKeyEvent event(type, qtKey, Qt::NoModifier);
    QApplication::sendEvent(view.widgetFor(server.TxtSend), &event);
  }
  void mouse(QEvent::Type type, QPointF at, Qt::MouseButton button, Qt::MouseButtons held) {
    QMouseEvent event(type, at, view.mapToGlobal(at.toPoint()), button, held, Qt::NoModifier);
    QApplication::sendEvent(view.widgetFor(server.Picture1), &event);
  }

  server::ScriptedSockets sockets;
  form::RecordingDialogs dialogs;
  server::frmServer server{sockets, dialogs, 5500};
  ServerWindow view{server};
  server::ScriptedTcpElement* client = nullptr;
};

TEST_F(ServerWindowTest, IsAFixedWindowWithTheServersCaptionShownWithItsModel) {
  EXPECT_EQ(view.windowTitle(), QStringLiteral("Vornix多点触摸_服务器"));
  EXPECT_EQ(view.size(), QSize(380, 321));
  EXPECT_EQ(view.minimumSize(), view.maximumSize());
  EXPECT_FALSE(view.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
  EXPECT_TRUE(view.isVisible());
  EXPECT_EQ(view.widgetFor(server.Label3)->property("text").toString(), "服务器端口5500");
}

TEST_F(ServerWindowTest, EnterInTheSendFieldBroadcastsItAndOtherKeysDoNothing) {
  auto* field = static_cast<QLineEdit*>(view.widgetFor(server.TxtSend));
  field->setText("hello");
  emit field->textEdited("hello");
  key(Qt::Key_A, QEvent::KeyRelease);
  EXPECT_TRUE(client->sent.empty());
  key(Qt::Key_Return, QEvent::KeyRelease);
  EXPECT_EQ(client->sent, std::vector<QString>{"hello" + QString(QChar(0))});
  EXPECT_EQ(field->text(), "");
}

TEST_F(ServerWindowTest, TheReceiveLogAndTheEventListFollowTheirModelsAFewTimesASecond) {
  auto* log = static_cast<QPlainTextEdit*>(view.widgetFor(server.TxtReceive));
  auto* list = static_cast<QListWidget*>(view.widgetFor(server.List1));
  for (int i = 0; i < 1000; ++i) client->arrive("/p" + QByteArray::number(i));
  EXPECT_EQ(log->toPlainText(), "") << "not laid out again at every arrival";
  QDeadlineTimer deadline(5000);
  while (log->toPlainText() != server.TxtReceive.text() && !deadline.hasExpired()) QApplication::processEvents();
  EXPECT_EQ(log->toPlainText(), server.TxtReceive.text());
  ASSERT_EQ(list->count(), int(server.List1.items().size()));
  EXPECT_EQ(list->item(list->count() - 1)->text(), server.List1.items().back());
}

TEST_F(ServerWindowTest, ThePadTurnsPointerMovesIntoTextsAndTheCloseBoxUnloads) {
  server.Check1.setValue(1);
  mouse(QEvent::MouseButtonPress, {60, 100}, Qt::LeftButton, Qt::LeftButton);
  EXPECT_EQ(server.Check3.value(), 1);
  mouse(QEvent::MouseMove, {70.5, 110.25}, Qt::NoButton, Qt::LeftButton);
  EXPECT_EQ(server.TxtSend.text(), "0|move|70,110");
  mouse(QEvent::MouseButtonRelease, {70, 110}, Qt::LeftButton, Qt::NoButton);
  EXPECT_EQ(server.Check3.value(), 0);

  QCloseEvent close;
  QApplication::sendEvent(&view, &close);
  EXPECT_FALSE(server.loaded());
  EXPECT_TRUE(sockets.elements.empty());
  EXPECT_FALSE(view.isVisible());
}

}  // namespace
}  // namespace vornix::ui
