#include "system/startup.h"

#include "base/text_rules.h"
#include "base/trace.h"
#include "capture/frm_document.h"
#include "output/pointer.h"
#include "system/system.h"

#include <cstdio>


namespace vornix::system {

void Startup::Form_Load() {
  f_.window.setLeft(kPanelLeftTwips);
  f_.window.setTop(kPanelTopTwips);
  if (capture::frmDocument* document = ports_.document) {
    // Referring to the capture window loads it before its top edge is set.
    document->load(ports_.dialogs);
    document->window.setTop(kPanelTopTwips);
    document->window.setLeft(f_.window.width() + 1000);
    document->window.hide();
  }
  if (ports_.loop.quitRequested()) return;
  configuration_.prepareForStart();
  configuration_.Command5_Click();
  if (ports_.loop.quitRequested()) return;
  if (f_.Check2.checked()) commands_.Command1_Click();
  ports_.loop.processEvents();
}

void Startup::end(int status) {
  if (ports_.notifyService && !ports_.loop.quitRequested()) ports_.notifyService(QStringLiteral("STOPPING=1"));
  ports_.pointer.stop();
  ports_.loop.requestQuit(status);
}

void Startup::endWhenSourceFinished() {
  capture::frmDocument* document = ports_.document;
  if (ports_.loop.quitRequested() || !document || !document->sdk2000().finished()) return;
  if (f_.Picture1.hasImage()) {
    end(0);
    return;
  }
  std::fprintf(stderr, "vornix: video source: %s gave no frame\n", qPrintable(document->sdk2000().description()));
  end(2);
}

void Startup::Command3_Click() { end(0); }

void Startup::Command6_Click() {
  if (ports_.dialogs.question(QStringLiteral("真的要关机吗？"), QStringLiteral("关闭电源")) != form::Answer::Yes)
    return;
  const QStringList& command = ports_.powerOffCommand;
  // A refused or missing command goes unnoticed by the operator.
  if (command.isEmpty() || !ports_.startDetached || !ports_.startDetached(command))
    trace("error", "power off: " + command.join(u' '));
}

void Startup::Timer2_Timer() {
  if (ports_.pointer.GetCursorPos() != QPoint(0, 0)) return;
  f_.window.show();
  f_.window.setState(form::WindowState::Normal);
}

void Startup::Timer4_Timer() {
  const QPoint position = ports_.pointer.GetCursorPos();
  f_.Text22[4].setText(decimalText(position.x()));
  f_.Text22[5].setText(decimalText(position.y()));
}

}  // namespace vornix::system
