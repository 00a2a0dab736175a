// Store (immersive) applications: the candidate pop-up is owned by the
// application's window there, and showing, changing and hiding it raise the
// IME window events the shell and screen readers listen for.
#include <gtest/gtest.h>

#include <vector>

#include "host/host.h"
#include "tsf/window/candidate_window.h"

namespace sorla::host {
namespace {

std::vector<DWORD> g_events;

void CALLBACK record(HWINEVENTHOOK, DWORD event, HWND window, LONG, LONG, DWORD, DWORD) {
  if (window == FindWindowW(window::kClassName, nullptr)) g_events.push_back(event);
}

void pump_messages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

HWND candidate_owner() { return GetWindow(FindWindowW(window::kClassName, nullptr), GW_OWNER); }

TEST(StoreApps, ThePopUpBelongsToTheAppWindow) {
  const HWND app = CreateWindowExW(0, L"STATIC", L"app", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr,
                                   nullptr, nullptr);
  ASSERT_NE(app, nullptr);
  {
    Host host;
    host.thread_mgr().set_active_flags(TF_TMF_IMMERSIVEMODE);
    host.doc().set_view_window(app);
    ASSERT_EQ(host.activate(), S_OK);
    host.type("sab");
    ASSERT_TRUE(host.candidates_visible());
    EXPECT_EQ(candidate_owner(), app);
  }
  {
    Host desktop;  // a desktop app: the pop-up has no owner
    desktop.doc().set_view_window(app);
    ASSERT_EQ(desktop.activate(), S_OK);
    desktop.type("sab");
    EXPECT_EQ(candidate_owner(), nullptr);
  }
  DestroyWindow(app);
}

TEST(StoreApps, ShowChangeAndHideAreAnnounced) {
  g_events.clear();
  const HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_IME_SHOW, EVENT_OBJECT_IME_CHANGE,
                                             nullptr, record, 0, 0, WINEVENT_OUTOFCONTEXT);
  ASSERT_NE(hook, nullptr);
  Host host;
  ASSERT_EQ(host.activate(), S_OK);
  host.type("sa");
  pump_messages();
  host.type("b");
  pump_messages();
  host.tap(VK_ESCAPE);
  pump_messages();
  UnhookWinEvent(hook);
  ASSERT_GE(g_events.size(), 3u);
  EXPECT_EQ(g_events.front(), static_cast<DWORD>(EVENT_OBJECT_IME_SHOW));
  EXPECT_EQ(g_events[1], static_cast<DWORD>(EVENT_OBJECT_IME_CHANGE));
  EXPECT_EQ(g_events.back(), static_cast<DWORD>(EVENT_OBJECT_IME_HIDE));
}

}  // namespace
}  // namespace sorla::host
