// The event graph of the server window: its timers and the events of its socket elements.
// The views call the key, mouse and close handlers of the window directly.

#include "server/frm_server.h"

#include "form/errors.h"

namespace vornix::server {

void frmServer::wire() {
  Timer1.onTimer = [this] { Timer1_Timer(); };
  ListenRetry.onTimer = [this] { ListenRetry_Timer(); };
}

void frmServer::wireElement(int index) {
  TcpEvents& events = tcpServer_[static_cast<std::size_t>(index)]->events;
  events.connectionRequest = [this, index](RequestId request) {
    form::runEvent("tcpServer_ConnectionRequest", [&] { tcpServer_ConnectionRequest(index, request); });
  };
  events.dataArrival = [this, index](qint64 bytes) {
    form::runEvent("tcpServer_DataArrival", [&] { tcpServer_DataArrival(index, bytes); });
  };
  events.close = [this, index] { form::runEvent("tcpServer_Close", [&] { tcpServer_Close(index); }); };
}

}  // namespace vornix::server
