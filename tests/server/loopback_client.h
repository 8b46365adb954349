#pragma once
// A TCP client on 127.0.0.1 made of plain system sockets, independent of the server's own
// socket layer, and the helpers that let the server's event loop run while clients wait.

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace vornix::testing {

class LoopbackClient {
public:
  // Connects without waiting for the server to accept; receiveBuffer > 0 shrinks the socket's
  // receive buffer first (a client that reads nothing then holds back less in the system).
  explicit LoopbackClient(quint16 port, int receiveBuffer = 0) : fd_(::socket(AF_INET, SOCK_STREAM, 0)) {
    if (fd_ < 0) throw std::runtime_error("socket failed");
    if (receiveBuffer > 0) ::setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) | O_NONBLOCK);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 && errno != EINPROGRESS)
      throw std::runtime_error("connect failed");
  }
  ~LoopbackClient() {
    if (fd_ >= 0) ::close(fd_);
  }
  LoopbackClient(const LoopbackClient&) = delete;
  LoopbackClient& operator=(const LoopbackClient&) = delete;

  void send(const std::string& text) {
    if (::send(fd_, text.data(), text.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(text.size()))
      throw std::runtime_error("send failed");
  }

  // Reads what has arrived, without waiting.
  void poll() {
    char chunk[65536];
    for (;;) {
      const ssize_t n = ::recv(fd_, chunk, sizeof chunk, 0);
      if (n > 0) {
        received.append(chunk, static_cast<std::size_t>(n));
        continue;
      }
      if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) ended = true;
      return;
    }
  }

  // The NUL-terminated texts received so far.
  std::vector<std::string> messages() const {
    std::vector<std::string> out;
    std::size_t start = 0;
    for (std::size_t nul; (nul = received.find('\0', start)) != std::string::npos; start = nul + 1)
      out.push_back(received.substr(start, nul - start));
    return out;
  }

  // Closes now; with reset, the server sees the connection broken instead of closed.
  void close(bool reset = false) {
    if (reset) {
      const linger hard{1, 0};
      ::setsockopt(fd_, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
    }
    ::close(fd_);
    fd_ = -1;
  }

  std::string received;
  bool ended = false;  // the server closed the connection

private:
  int fd_;
};

// A port held by someone else: a listening socket on every address, at a port the system picks.
class LoopbackListener {
public:
  LoopbackListener() : fd_(::socket(AF_INET, SOCK_STREAM, 0)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    socklen_t size = sizeof address;
    if (fd_ < 0 || ::bind(fd_, reinterpret_cast<sockaddr*>(&address), size) != 0 || ::listen(fd_, 4) != 0 ||
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &size) != 0)
      throw std::runtime_error("cannot hold a port");
    port_ = ntohs(address.sin_port);
  }
  ~LoopbackListener() { ::close(fd_); }
  LoopbackListener(const LoopbackListener&) = delete;
  LoopbackListener& operator=(const LoopbackListener&) = delete;
  quint16 port() const { return port_; }

private:
  int fd_;
  quint16 port_ = 0;
};

// Lets the event loop run (the clients polling in between) until done() holds; false after ms.
inline bool pumpUntil(const std::function<bool()>& done, int ms = 5000,
                      const std::vector<LoopbackClient*>& clients = {}) {
  QDeadlineTimer deadline(ms);
  for (;;) {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    for (LoopbackClient* client : clients) client->poll();
    if (done()) return true;
    if (deadline.hasExpired()) return false;
    QThread::usleep(500);
  }
}

}  // namespace vornix::testing
