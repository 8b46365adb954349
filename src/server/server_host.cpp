#include "server/server_host.h"

namespace vornix::server {

frmServer& ServerHost::window() {
  if (!window_) {
    window_ = std::make_unique<frmServer>(sockets_, dialogs_, port_);
    loop_.watch(window_->Timer1);
    loop_.watch(window_->ListenRetry);
    if (created_) created_(*window_);
  }
  if (!window_->loaded()) window_->Form_Load();
  return *window_;
}

}  // namespace vornix::server
