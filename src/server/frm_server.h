#pragma once
// The multi-touch server window frmServer: it listens for touch applications, broadcasts each
// text put into TxtSend to all of them (the text plus one NUL byte), answers "/" and "^", and
// offers a drag pad that produces move and scale texts by hand.
//
// Element 0 listens; elements 1 and up are the client connections. A new client takes the
// lowest free element, and the broadcast passes over missing and closed elements, so the
// bookkeeping holds whatever order clients leave in. A client with more than kMaxUnsentBytes
// waiting for it is dropped the next time it would be sent something, instead of being sent more.
//
// What a client sends is taken one arrival at a time and only its first kEntryChars characters
// are kept (decoded from at most twice as many bytes); the rest of the arrival is dropped, so no
// sender can make an arrival cost more time or memory than a short text does.
//
// A port the system refuses is tried again every kListenRetryMs while the window is loaded.
//
// The window object outlives its loads: Unload closes every element and hides it, Form_Load
// starts it afresh from its design-time contents. Its event graph is in wiring.cpp.

#include "form/controls.h"
#include "form/dialogs.h"
#include "server/tcp_element.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace vornix::server {

using form::CheckBox;
using form::Label;
using form::TextBox;
using form::Timer;

class frmServer {
public:
  frmServer(TcpElementFactory& sockets, form::Dialogs& dialogs, quint16 port);
  ~frmServer();
  frmServer(const frmServer&) = delete;
  frmServer& operator=(const frmServer&) = delete;

  form::Window window{"frmServer"};
  Label Label1{"Label1"}, Label2{"Label2"}, Label3{"Label3"}, Label4{"Label4"};
  TextBox TxtSend{"TxtSend"};
  // The drag pad and the boxes on it.
  form::Control Picture1{"Picture1"};
  CheckBox Check1{"Check1"}, Check2{"Check2"}, Check3{"Check3"};
  Timer Timer1{"Timer1"};
  // Tries the port again while it cannot be listened on.
  Timer ListenRetry{"ListenRetry"};
  // Receive log (one line per arrival), event list of "/" and "^" texts, and the status line.
  TextBox TxtReceive{"TxtReceive"};
  form::ListBox List1{"List1"};
  Label StatusBar1{"StatusBar1"};

  bool loaded() const { return loaded_; }
  // Resets the controls, listens on the port and shows the address and port. A port the system
  // refuses gives a message box with its reason; the window stays loaded and can still be used.
  void Form_Load();
  // Closes every element (ending every connection, with no message to the clients) and hides
  // the window.
  void Unload();

  // Key code 13 (Enter) broadcasts TxtSend and empties it; other keys do nothing.
  void TxtSend_KeyUp(std::int16_t keyCode, std::int16_t shift);
  void tcpServer_ConnectionRequest(int index, RequestId requestId);
  void tcpServer_DataArrival(int index, qint64 bytesTotal);
  void tcpServer_Close(int index);

  // The drag pad, at pad position (x, y) in its pixels.
  void Picture1_MouseDown(int button, int shift, double x, double y);
  void Picture1_MouseMove(int button, int shift, double x, double y);
  void Picture1_MouseUp(int button, int shift, double x, double y);
  void Timer1_Timer();
  void ListenRetry_Timer();

  // Element `index`, nullptr when there is none.
  TcpElement* tcpServer(int index) const;
  // The highest element in use for clients, and the clients counted as connected.
  int slotCount() const { return slotCount_; }
  int connectionCount() const { return connectionCount_; }

  // Minutes of move messages at ten a second.
  static constexpr qint64 kMaxUnsentBytes = qint64(32) << 10;
  // The receive log keeps its last kReceiveLogLines lines, the event list its last
  // kEventListItems entries; each arrival gives them at most its first kEntryChars characters.
  static constexpr int kReceiveLogLines = 100;
  static constexpr std::size_t kEventListItems = 500;
  static constexpr qsizetype kEntryChars = 256;
  static constexpr int kListenRetryMs = 3000;

  static constexpr const char* kCaption = "Vornix多点触摸_服务器";
  static constexpr double kClientWidthTwips = 5700;
  static constexpr double kClientHeightTwips = 4815;

private:
  void wire();
  void wireElement(int index);
  void resetControls();
  void closeElements();
  // Removes a client element and lowers the counts.
  void removeClient(int index);
  // Sends on a connected client, or drops it when it is too far behind to be sent more; true
  // when sent.
  bool sendOrDrop(int index, const QString& text);
  void setConnectionCount(int count);
  void appendToLog(const QString& text);
  void addEvent(const QString& text);

  TcpElementFactory& sockets_;
  form::Dialogs& dialogs_;
  const quint16 port_;
  bool loaded_ = false;
  std::vector<std::unique_ptr<TcpElement>> tcpServer_;
  int slotCount_ = 0;
  int connectionCount_ = 0;
  std::int16_t lastPadX_ = 0;
  int logLines_ = 0;
};

}  // namespace vornix::server
