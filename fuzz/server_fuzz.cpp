// The multi-touch server window under any sequence of clients joining, sending any bytes,
// leaving, stalling, and of broadcasts, pad strokes, unloads and loads, on scripted socket
// elements. After each step its bookkeeping matches its elements: the connection count is the
// number of elements still connected, the slot count the highest element in use; each
// connected client got the last broadcast, "/" its acknowledgement, "^" its farewell; the
// receive log and the event list stay within their bounds.

#include "base/gbk.h"
#include "doubles/recording_dialogs.h"
#include "form/errors.h"
#include "fuzz_support.h"
#include "server/frm_server.h"
#include "doubles/scripted_sockets.h"

#include <algorithm>

using namespace vornix;
using namespace vornix::server;
using fuzz::expect;

namespace {

struct Window {
  ScriptedSockets sockets;
  form::RecordingDialogs dialogs;
  frmServer server{sockets, dialogs, 5500};

  // The element of a client, picked among those of the window.
  ScriptedTcpElement* client(FuzzedDataProvider& in) {
    std::vector<ScriptedTcpElement*> clients;
    for (int i = 1; i <= server.slotCount(); ++i)
      if (TcpElement* element = server.tcpServer(i)) clients.push_back(static_cast<ScriptedTcpElement*>(element));
    if (clients.empty()) return nullptr;
    return clients[in.ConsumeIntegralInRange<std::size_t>(0, clients.size() - 1)];
  }

  void checkBookkeeping() const {
    if (!server.loaded()) return;
    int connected = 0, highest = 0;
    for (int i = 1; server.tcpServer(i) || i <= server.slotCount(); ++i) {
      const TcpElement* element = server.tcpServer(i);
      if (!element) continue;
      highest = i;
      if (element->state() != TcpState::Closed) ++connected;
    }
    expect(server.connectionCount() == connected, "the connection count is the number of clients connected",
           QStringLiteral("%1 counted, %2 connected").arg(server.connectionCount()).arg(connected));
    expect(server.slotCount() == highest, "the slot count is the highest element in use",
           QStringLiteral("%1, highest %2").arg(server.slotCount()).arg(highest));
    expect(server.TxtReceive.text().count(u'\n') < frmServer::kReceiveLogLines, "the receive log stays bounded");
    expect(server.List1.items().size() <= frmServer::kEventListItems, "the event list stays bounded");
  }
};

void arrive(Window& w, FuzzedDataProvider& in) {
  ScriptedTcpElement* client = w.client(in);
  const std::string bytes = in.ConsumeRandomLengthString(200);
  if (!client || client->state() != TcpState::Connected) return;
  const QByteArray received(bytes.data(), qsizetype(bytes.size()));
  const QString text = fromGbk(received);
  const std::size_t sentBefore = client->sent.size();
  const bool behind = client->unsent > frmServer::kMaxUnsentBytes;
  const int elementsBefore = int(w.sockets.elements.size());
  client->arrive(received);
  if (!text.startsWith(u'/') && !text.startsWith(u'^')) return;
  if (behind && text.startsWith(u'/')) {
    // Dropped instead of being sent more: the element is gone.
    expect(int(w.sockets.elements.size()) == elementsBefore - 1, "a client past the limit asking for an answer is dropped");
    return;
  }
  // The element may be gone by now only if it was not connected, which it was.
  expect(client->sent.size() == sentBefore + 1, "\"/\" and \"^\" are answered", fuzz::shown(text));
  if (text.startsWith(u'/')) {
    expect(client->sent.back() == QLatin1String("recieved successfully"), "\"/\" gets its acknowledgement");
  } else {
    expect(client->sent.back() == QLatin1String("you can quit.") && client->state() == TcpState::Closed,
           "\"^\" gets its farewell and the connection ends");
  }
}

void broadcast(Window& w, FuzzedDataProvider& in) {
  const QString text = QString::fromUtf8(in.ConsumeRandomLengthString(100));
  std::vector<ScriptedTcpElement*> reached;
  for (int i = 1; i <= w.server.slotCount(); ++i) {
    auto* element = static_cast<ScriptedTcpElement*>(w.server.tcpServer(i));
    if (element && element->state() == TcpState::Connected && element->unsent <= frmServer::kMaxUnsentBytes)
      reached.push_back(element);
  }
  w.server.TxtSend.setText(text);
  form::runEvent("TxtSend_KeyUp", [&] { w.server.TxtSend_KeyUp(13, 0); });
  expect(w.server.TxtSend.text().isEmpty(), "the broadcast empties the send field");
  for (ScriptedTcpElement* element : reached)
    expect(!element->sent.empty() && element->sent.back() == text + QChar(0), "every connected client gets the text and a NUL",
           fuzz::shown(text));
  for (int i = 1; i <= w.server.slotCount(); ++i)
    if (const TcpElement* element = w.server.tcpServer(i))
      expect(element->unsentBytes() <= frmServer::kMaxUnsentBytes || element->state() != TcpState::Connected,
             "a client past the limit of unsent data is dropped");
}

void pad(Window& w, FuzzedDataProvider& in) {
  frmServer& s = w.server;
  const double x = in.ConsumeFloatingPoint<double>(), y = in.ConsumeFloatingPoint<double>();
  form::runEvent("Check1_Click", [&] { s.Check1.setValue(in.ConsumeIntegralInRange(0, 2)); });
  form::runEvent("Check2_Click", [&] { s.Check2.setValue(in.ConsumeIntegralInRange(0, 2)); });
  switch (in.ConsumeIntegralInRange(0, 3)) {
    case 0: form::runEvent("Picture1_MouseDown", [&] { s.Picture1_MouseDown(1, 0, x, y); }); break;
    case 1: form::runEvent("Picture1_MouseMove", [&] { s.Picture1_MouseMove(1, 0, x, y); }); break;
    case 2: form::runEvent("Picture1_MouseUp", [&] { s.Picture1_MouseUp(1, 0, x, y); }); break;
    default: form::runEvent("Timer1_Timer", [&] { s.Timer1_Timer(); }); break;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  Window w;
  w.server.Form_Load();
  while (in.remaining_bytes() > 0) {
    switch (in.ConsumeIntegralInRange(0, 7)) {
      case 0:
        w.sockets.connectClient();
        break;
      case 1:
        arrive(w, in);
        break;
      case 2:
        if (ScriptedTcpElement* client = w.client(in)) client->peerCloses();
        break;
      case 3:
        broadcast(w, in);
        break;
      case 4:  // the client stops reading
        if (ScriptedTcpElement* client = w.client(in)) client->unsent = frmServer::kMaxUnsentBytes + 1;
        break;
      case 5:
        if (w.server.loaded())
          w.server.Unload();
        else
          w.server.Form_Load();
        break;
      case 6:
        pad(w, in);
        break;
      default:
        form::runEvent("TxtSend_KeyUp", [&] { w.server.TxtSend_KeyUp(in.ConsumeIntegral<std::int16_t>(), 0); });
        break;
    }
    w.checkBookkeeping();
  }
  return 0;
}
