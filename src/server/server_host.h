#pragma once
// The server window as the rest of the program refers to it. The first use creates it; any use
// loads it (hidden) when it is not loaded, which starts it listening. Showing and unloading
// are the two other calls.

#include "form/dialogs.h"
#include "form/event_loop.h"
#include "server/frm_server.h"
#include "server/tcp_element.h"

#include <functional>
#include <memory>
#include <utility>

namespace vornix::server {

class ServerHost {
public:
  // created: called once when the window is first created, before it loads.
  ServerHost(TcpElementFactory& sockets, form::Dialogs& dialogs, form::EventLoop& loop, quint16 port,
             std::function<void(frmServer&)> created)
      : sockets_(sockets), dialogs_(dialogs), loop_(loop), port_(port), created_(std::move(created)) {}

  // The loaded window, loaded hidden when it was not.
  frmServer& window();
  void show() { window().window.show(); }
  void unload() {
    if (window_) window_->Unload();
  }
  // The window when it was ever created.
  frmServer* existing() const { return window_.get(); }

private:
  TcpElementFactory& sockets_;
  form::Dialogs& dialogs_;
  form::EventLoop& loop_;
  quint16 port_;
  std::function<void(frmServer&)> created_;
  std::unique_ptr<frmServer> window_;
};

}  // namespace vornix::server
