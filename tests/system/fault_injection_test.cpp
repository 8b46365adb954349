// Faults injected into a whole system on scripted ports: the configuration file taken away
// between two loads, the camera falling silent during a drag and coming back, and the end
// requested (as SIGTERM does) at every kind of moment of a pass.

#include "panel/config_file_support.h"
#include "doubles/recording_dialogs.h"
#include "doubles/scripted_sockets.h"
#include "doubles/recording_pointer.h"
#include "support/scripted_capture.h"
#include "support/trace_capture.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <random>
#include <stdexcept>

namespace vornix {
namespace {

using Event = output::RecordingPointer::Event;
using testing::ConfiguredSystem;
using testing::TraceCapture;

QImage plainFrame() {
  QImage image(kFrameWidth, kFrameHeight, QImage::Format_RGB32);
  image.fill(qRgb(50, 50, 50));
  return image;
}

QImage fingerAt(int x, int y) {
  QImage image = plainFrame();
  for (int dy = 0; dy < 6; ++dy)
    for (int dx = 0; dx < 6; ++dx) image.setPixel(x + dx, y + dy, qRgb(255, 255, 255));
  return image;
}

// The camera's calibration, mouse move and drag on, mode 0 (the reference is chosen on the panel).
const char* const kDragConfiguration =
    "[射像机]\nx0=0\nY0=0\nx3=320\nY3=240\n[鼠标活动范围]\n左坐标=0\n顶坐标=0\n宽度=1024\n高度=768\n"
    "[阀值]\n阀值=60\n速度系数=2\n[系统]\n鼠标移动=1\n投影方式=0\n控制鼠标拖动点击=1\n";

TEST(FaultInjection, ConfigurationFileVanishingOrBecomingAFolderBetweenLoads) {
  ConfiguredSystem s;
  s.store("[阀值]\n阀值=33\n[多图合成]\n本机状态=1\n");
  s.f.Command5.click();
  ASSERT_EQ(s.f.Text4.text(), "33");

  // Gone: the load reads it as absent, as at a first start.
  ASSERT_TRUE(QFile::remove(s.path()));
  s.f.Command5.click();
  EXPECT_EQ(s.f.Text4.text(), "");
  EXPECT_TRUE(s.f.Option5[0].selected());

  // A folder in its place: read as absent; a save is refused and traced, the folder untouched.
  ASSERT_TRUE(QDir().mkdir(s.path()));
  ASSERT_TRUE(QDir(s.path()).mkdir("inside"));
  TraceCapture trace;
  s.f.Command5.click();
  s.f.Text4.setText("44");
  s.f.Command4.click();
  EXPECT_TRUE(QFileInfo(s.path()).isDir());
  EXPECT_TRUE(QFileInfo(s.path() + "/inside").isDir());
  EXPECT_EQ(QDir(s.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList{"inside"});
  EXPECT_EQ(trace.lines().filter("error config write").size(), 28);
  EXPECT_EQ(s.f.Text4.text(), "44") << "the panel keeps what the operator set";

  // The file back: the next load takes its values again, and a save writes it.
  ASSERT_TRUE(QDir(s.path()).removeRecursively());
  s.store("[阀值]\n阀值=35\n");
  s.f.Command5.click();
  EXPECT_EQ(s.f.Text4.text(), "35");
  s.f.Text4.setText("36");
  s.f.Command4.click();
  s.f.Text4.setText("");
  s.f.Command5.click();
  EXPECT_EQ(s.f.Text4.text(), "36");
}

// A system with a camera whose frames the test queues, on its own loop or the caller's, with
// the drag configuration loaded from its file.
struct DragSystem {
  explicit DragSystem(form::ScriptedLoop* external = nullptr) : loop(external ? *external : ownLoop) {
    system.ports.configFile = dir.filePath(QStringLiteral("Vornix配置文件.ini"));
    QFile file(system.ports.configFile);
    if (!file.open(QIODevice::WriteOnly)) throw std::runtime_error("cannot write the configuration");
    file.write(testing::gbkOf(kDragConfiguration));
    file.close();
    system.f.Command5.click();
    system.f.Option3[3].setSelected(true);  // a static reference: the first frame
  }
  QByteArray configuration() const {
    QFile file(system.ports.configFile);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }
  std::vector<Event> buttons() const { return pointerEvents.buttonEvents(); }

  QTemporaryDir dir;
  form::ScriptedLoop ownLoop;
  form::ScriptedLoop& loop;
  form::RecordingDialogs dialogs;
  output::RecordingPointer pointerEvents;
  output::PointerOutput pointer{pointerEvents};
  testing::ScriptedCapture* camera = new testing::ScriptedCapture;
  capture::frmDocument document{std::unique_ptr<capture::CaptureComponent>(camera)};
  server::ScriptedSockets sockets;
  system::System system{[this] {
    system::Ports ports{loop, dialogs, pointer, &document};
    ports.sockets = &sockets;
    return ports;
  }()};
};

TEST(FaultInjection, CameraFallingSilentDuringADragAndComingBack) {
  DragSystem s;
  s.camera->frames = {plainFrame(), fingerAt(100, 100), fingerAt(102, 100)};
  s.loop.advance(3 * 50);
  ASSERT_EQ(s.buttons(), std::vector<Event>{Event::press()});

  // Pulled out: no new frame. A second later the drag lets go, once.
  s.loop.advance(900);
  EXPECT_EQ(s.buttons(), std::vector<Event>{Event::press()}) << "a slow camera does not cut a drag";
  s.loop.advance(5000);
  EXPECT_EQ(s.buttons(), (std::vector<Event>{Event::press(), Event::release()}));

  // Back: touches drag again, and a frame without one ends the drag.
  s.camera->frames = {fingerAt(150, 120), fingerAt(152, 120), plainFrame()};
  s.loop.advance(3 * 50);
  EXPECT_EQ(s.buttons(),
            (std::vector<Event>{Event::press(), Event::release(), Event::press(), Event::release()}));
  EXPECT_EQ(s.system.f.Text5[0].text(), "152");
}

// The loop that ends the program at its n-th yield, as a quit signal arriving then does.
class EndingLoop : public form::ScriptedLoop {
public:
  void processEvents() override {
    if (++yields_ == endAt && onEnd) onEnd();
    ScriptedLoop::processEvents();
  }
  int yieldsSoFar() const { return yields_; }
  int endAt = -1;
  std::function<void()> onEnd;

private:
  int yields_ = 0;
};

TEST(FaultInjection, EndRequestedAtAnyMomentOfAPassReleasesTheButtonOnceAndInjectsNothingMore) {
  // How many times one pass with a touch yields, from the first yield after the drag is held.
  int yieldsPerPass = 0;
  {
    EndingLoop loop;
    DragSystem s(&loop);
    s.camera->frames = {plainFrame(), fingerAt(100, 100), fingerAt(104, 100)};
    s.loop.advance(2 * 50);
    const int before = loop.yieldsSoFar();
    s.loop.advance(50);
    yieldsPerPass = loop.yieldsSoFar() - before;
  }
  ASSERT_GT(yieldsPerPass, 40);  // a yield before each row down to the touch, and the hand-over's

  std::mt19937 random(14);
  for (int trial = 0; trial < 60; ++trial) {
    EndingLoop loop;
    DragSystem s(&loop);
    const QByteArray configuration = s.configuration();
    s.camera->frames = {plainFrame(), fingerAt(100, 100), fingerAt(104, 100), fingerAt(108, 101)};
    s.loop.advance(2 * 50);
    ASSERT_EQ(s.buttons(), std::vector<Event>{Event::press()});
    const std::size_t eventsBefore = s.pointerEvents.events().size();

    const int at = std::uniform_int_distribution<int>(1, yieldsPerPass)(random);
    loop.endAt = loop.yieldsSoFar() + at;
    loop.onEnd = [&s] { s.system.startup.end(0); };
    s.loop.advance(3 * 50);  // the passes after the end find the loop quitting

    ASSERT_TRUE(loop.quitRequested()) << "yield " << at;
    const std::vector<Event>& events = s.pointerEvents.events();
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back(), Event::release()) << "yield " << at;
    EXPECT_EQ(s.buttons(), (std::vector<Event>{Event::press(), Event::release()})) << "yield " << at;
    // Before the end at most the moves of the pass it interrupted; nothing after the release.
    EXPECT_LE(events.size() - eventsBefore, 2u) << "yield " << at;
    EXPECT_EQ(s.configuration(), configuration) << "the end saves nothing";
  }
}

}  // namespace
}  // namespace vornix
