#include "server/frm_server.h"

#include "base/gbk.h"
#include "base/text_rules.h"
#include "base/trace.h"
#include "form/errors.h"

#include <QDateTime>
#include <QLocale>

#include <cmath>

namespace vornix::server {

using form::step;

namespace {

const QString kConnections = QStringLiteral("建立连接数： ");

// The integer part of a pad coordinate, rounded down, as decimal text.
QString padCoordinate(double value) {
  const double whole = std::floor(value);
  if (!std::isfinite(whole)) throw form::OverflowError();
  return decimalText(whole);
}

// The first characters of an arrival, at most frmServer::kEntryChars of them.
QString firstCharacters(const QByteArray& received) {
  constexpr qsizetype kBytes = 2 * frmServer::kEntryChars;  // a GBK character takes one or two
  return fromGbk(QByteArrayView(received).first(gbkPrefixLength(received, kBytes))).left(frmServer::kEntryChars);
}

}  // namespace

frmServer::frmServer(TcpElementFactory& sockets, form::Dialogs& dialogs, quint16 port)
    : sockets_(sockets), dialogs_(dialogs), port_(port) {
  window.caption = QString::fromUtf8(kCaption);
  window.setSize(kClientWidthTwips, kClientHeightTwips);
  window.setVisible(false);
  Check1.caption = QStringLiteral("发送移动");
  Check2.caption = QStringLiteral("发送缩放");
  Check3.caption = QStringLiteral("鼠标按下");
  Timer1.setInterval(400);
  ListenRetry.setInterval(kListenRetryMs);
  resetControls();
  wire();
}

frmServer::~frmServer() { closeElements(); }

void frmServer::resetControls() {
  Label1.setCaption(QStringLiteral("服务器地址"));
  Label2.setCaption(QStringLiteral("Label2"));
  Label3.setCaption(QStringLiteral("服务器端口"));
  Label4.setCaption(QStringLiteral("发送"));
  TxtSend.setText({});
  Check1.setValue(0);
  Check2.setValue(0);
  Check3.setValue(0);
  TxtReceive.setText({});
  logLines_ = 0;
  List1.clear();
  StatusBar1.setCaption({});
  slotCount_ = 0;
  connectionCount_ = 0;
  lastPadX_ = 0;
}

void frmServer::Form_Load() {
  // Set first: the message box below lets other events run, and they must not load us again.
  loaded_ = true;
  resetControls();
  Label2.setCaption(kConnections + decimalText(connectionCount_));

  closeElements();
  tcpServer_.push_back(sockets_.create());
  wireElement(0);
  TcpElement& listener = *tcpServer_[0];
  listener.setLocalPort(port_);
  const bool listening = listener.listen();
  Label1.setCaption(Label1.caption() + listener.localIP());
  Label3.setCaption(Label3.caption() + decimalText(listener.localPort()));
  Timer1.setTimerEnabled(true);
  if (!listening) {
    ListenRetry.setTimerEnabled(true);
    dialogs_.message(QStringLiteral("多点触摸服务器无法在端口 %1 上监听：%2").arg(port_).arg(listener.errorString()),
                     window.caption);
  }
}

void frmServer::ListenRetry_Timer() {
  TcpElement* listener = tcpServer(0);
  if (listener && !listener->listen()) return;
  ListenRetry.setTimerEnabled(false);
  if (listener) trace("listening", decimalText(listener->localPort()));
}

void frmServer::Unload() {
  if (!loaded_) return;
  loaded_ = false;
  Timer1.setTimerEnabled(false);
  ListenRetry.setTimerEnabled(false);
  closeElements();
  slotCount_ = 0;
  setConnectionCount(0);
  window.hide();
}

void frmServer::closeElements() {
  // Destroying an element ends its connection; its pending events die with it.
  tcpServer_.clear();
}

TcpElement* frmServer::tcpServer(int index) const {
  if (index < 0 || index >= static_cast<int>(tcpServer_.size())) return nullptr;
  return tcpServer_[static_cast<std::size_t>(index)].get();
}

void frmServer::TxtSend_KeyUp(std::int16_t keyCode, std::int16_t) {
  if (keyCode != 13) return;
  const QString text = TxtSend.text();
  const QString framed = text + QChar(0);
  const int highest = slotCount_;
  int reached = 0;
  for (int i = 1; i <= highest; ++i) {
    step([&] {
      if (sendOrDrop(i, framed)) ++reached;
    });
  }
  trace("broadcast", QString::number(reached) + u' ' + text);
  step([&] { TxtSend.setText({}); });
}

void frmServer::tcpServer_ConnectionRequest(int index, RequestId requestId) {
  if (index != 0) return;
  int slot = 1;
  while (TcpElement* element = tcpServer(slot)) {
    if (element->state() == TcpState::Closed) break;
    ++slot;
  }
  if (slot >= static_cast<int>(tcpServer_.size())) tcpServer_.resize(static_cast<std::size_t>(slot) + 1);
  tcpServer_[static_cast<std::size_t>(slot)] = sockets_.create();
  wireElement(slot);
  slotCount_ = std::max(slotCount_, slot);
  setConnectionCount(connectionCount_ + 1);

  TcpElement& client = *tcpServer_[static_cast<std::size_t>(slot)];
  client.setLocalPort(0);
  if (!client.accept(requestId)) removeClient(slot);
}

void frmServer::tcpServer_DataArrival(int index, qint64) {
  TcpElement* client = tcpServer(index);
  if (!client) return;
  // One more byte than the characters kept can take, to tell a cut double-byte character.
  const QString data = firstCharacters(client->getData(2 * kEntryChars + 1));
  appendToLog(data);
  if (data.startsWith(u'/')) {
    sendOrDrop(index, QStringLiteral("recieved successfully"));
    addEvent(data);
  } else if (data.startsWith(u'^')) {
    client->sendData(QStringLiteral("you can quit."));
    client->close();
    setConnectionCount(connectionCount_ - 1);
    addEvent(data);
    StatusBar1.setCaption(QStringLiteral("There are ") + decimalText(connectionCount_) +
                          QStringLiteral("Client connected"));
  }
}

void frmServer::tcpServer_Close(int index) {
  if (index < 1 || !tcpServer(index)) return;
  removeClient(index);
}

void frmServer::removeClient(int index) {
  tcpServer_[static_cast<std::size_t>(index)].reset();
  while (tcpServer_.size() > 1 && !tcpServer_.back()) tcpServer_.pop_back();
  slotCount_ = static_cast<int>(tcpServer_.size()) - 1;
  setConnectionCount(connectionCount_ - 1);
}

bool frmServer::sendOrDrop(int index, const QString& text) {
  TcpElement* client = tcpServer(index);
  if (!client || client->state() != TcpState::Connected) return false;
  if (client->unsentBytes() > kMaxUnsentBytes) {
    // It has stopped reading: more would only pile up here.
    client->abort();
    removeClient(index);
    return false;
  }
  client->sendData(text);
  return true;
}

void frmServer::setConnectionCount(int count) {
  connectionCount_ = count;
  Label2.setCaption(kConnections + decimalText(count));
}

void frmServer::appendToLog(const QString& text) {
  QString log = TxtReceive.text();
  if (logLines_ > 0) log += u'\n';
  log += text;
  for (logLines_ += 1 + int(text.count(u'\n')); logLines_ > kReceiveLogLines; --logLines_)
    log.remove(0, log.indexOf(u'\n') + 1);
  TxtReceive.setText(log);
}

void frmServer::addEvent(const QString& text) {
  if (List1.items().size() >= kEventListItems) List1.removeItem(0);
  List1.addItem(text + u' ' + QLocale::system().toString(QDateTime::currentDateTime(), QLocale::ShortFormat));
}

void frmServer::Picture1_MouseDown(int, int, double, double) { Check3.setValue(1); }

void frmServer::Picture1_MouseUp(int, int, double, double) { Check3.setValue(0); }

void frmServer::Picture1_MouseMove(int, int, double x, double y) {
  if (Check1.value() == 1) TxtSend.setText(QStringLiteral("0|move|") + padCoordinate(x) + u',' + padCoordinate(y));
  if (Check2.value() == 1) {
    const double X = std::floor(x), Y = std::floor(y);
    TxtSend.setText(QStringLiteral("1|scale|") + padCoordinate(X) + u',' + padCoordinate(Y) + u',' +
                    padCoordinate(X + 10) + u',' + padCoordinate(Y + 10) + u',' +
                    fixedDecimalText((x - lastPadX_) / 20, 1));
  }
  lastPadX_ = form::int16Of(x);
}

void frmServer::Timer1_Timer() {
  if (Check3.value() == 0) return;
  if (Check1.value() == 1) TxtSend_KeyUp(13, 0);
  if (Check2.value() == 1) TxtSend_KeyUp(13, 0);
}

}  // namespace vornix::server
