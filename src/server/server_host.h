#pragma once
// The server window as the rest of the program refers to it. The first use creates it; any use
// loads it (hidden) when it is not loaded, which starts it listening. Showing and unloading
// are the two other calls.

#include "form/dialogs.h"
#include "form/event_loop.h"
#include "server/frm_server.h"
#include "server/scripted_sockets.h"

#include <functional>
#include <memory>

namespace vornix::server {

class ServerHost {
public:
  // The factory, port and hook are read at the first use, so they may be set until then.
  // Without a factory the server gets scripted elements that no client can reach.
  ServerHost(TcpElementFactory* const& sockets, form::Dialogs& dialogs, form::EventLoop& loop,
             const quint16& port, const std::function<void(frmServer&)>& created)
      : sockets_(sockets), dialogs_(dialogs), loop_(loop), port_(port), created_(created) {}

  // The loaded window, loaded hidden when it was not.
  frmServer& window();
  void show() { window().window.show(); }
  void unload() {
    if (window_) window_->Unload();
  }
  // The window when it was ever created.
  frmServer* existing() const { return window_.get(); }

private:
  TcpElementFactory* const& sockets_;
  form::Dialogs& dialogs_;
  form::EventLoop& loop_;
  const quint16& port_;
  const std::function<void(frmServer&)>& created_;
  ScriptedSockets unreachable_;
  std::unique_ptr<frmServer> window_;
};

}  // namespace vornix::server
