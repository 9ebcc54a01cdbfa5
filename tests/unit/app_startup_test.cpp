// Start-up of the application: socket-layer check, frame, set-up before the first paint.
#include "tests/support/vellora_fixture.h"

#include <algorithm>

namespace {

using StartupTest = VelloraTest;

TEST_F(StartupTest, WithoutSocketLayerTheBoxComesFirstAndTheWindowStillOpens) {
  sockets.Available = false;
  Start();
  ASSERT_FALSE(ws.Boxes.empty());
  EXPECT_EQ(ws.Boxes[0].Text, "Keine Sockets verfuegbar");
  EXPECT_EQ(ws.Boxes[0].Caption, "Fehler");
  EXPECT_EQ(ws.Boxes[0].Type, MB_OK);
  EXPECT_FALSE(ws.Boxes[0].OwnedByDialog);
  EXPECT_EQ(ws.Journal.front(), "MessageBox Fehler");  // before any window exists
  EXPECT_TRUE(ws.Shown);
  // Every socket operation then fails and reports itself.
  EXPECT_EQ(DebugLines().front(), "Vellora: UDP Error on CreateSocket()");
  EXPECT_FALSE(Udp().Open);
}

TEST_F(StartupTest, FrameIsFixedSizeWithIconAndTakesTheBannerCaptionBeforeItIsShown) {
  Start();
  EXPECT_EQ(ws.Frame.Title, "Vellora");
  EXPECT_EQ(ws.Frame.IconId, 11300);
  EXPECT_FALSE(ws.Frame.CanMaximize);
  EXPECT_FALSE(ws.Frame.CanResize);
  EXPECT_TRUE(ws.Frame.ShrinkToClient);
  EXPECT_EQ(ws.FrameCaption, "Quenlan V1.11 18.07.2008 (IP 1: 192.168.1.20 )");
  // The caption and the first search are in place before the frame is shown.
  const auto caption = std::find(ws.Journal.begin(), ws.Journal.end(),
                                 "SetFrameCaption Quenlan V1.11 18.07.2008 (IP 1: 192.168.1.20 )");
  const auto search =
      std::find(ws.Journal.begin(), ws.Journal.end(), "Send 10 bytes to 255.255.255.255:8003");
  const auto shown = std::find(ws.Journal.begin(), ws.Journal.end(), "ShowFrame");
  ASSERT_NE(shown, ws.Journal.end());
  EXPECT_LT(caption, search);
  EXPECT_LT(search, shown);
}

TEST_F(StartupTest, RunReturnsTheLoopsExitCodeAndReleasesTheDialog) {
  TSocketViewApp application("Vellora", ws, sockets);
  EXPECT_EQ(application.Run(), 0);
  EXPECT_EQ(application.MainDialog(), nullptr);
  // The dialog's destructor closed the UDP socket.
  EXPECT_FALSE(sockets.LastDatagramSocket()->Open);
  EXPECT_EQ(sockets.OpenSocketObjects(), 0);
}

}  // namespace
