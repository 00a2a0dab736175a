// No C++ exception leaves the text service: one thrown inside a key handler
// becomes an error HRESULT, one thrown under the candidate window's
// procedure costs that click, and the service works on afterwards.
#include <gtest/gtest.h>

#include <stdexcept>

#include "host/host.h"
#include "tsf/window/candidate_window.h"

namespace sorla::host {
namespace {

TEST(Boundary, AThrowingHandlerBecomesAnErrorAndTheServiceGoesOn) {
  Host host;
  ASSERT_EQ(host.activate(), S_OK);
  host.type("sab");
  // The service reads its clock inside every key handler.
  bool fail = true;
  host.service().set_clock([&]() -> std::uint64_t {
    if (fail) throw std::runtime_error("clock");
    return 1'000'000;
  });
  ComPtr<ITfContext> context = ComPtr<ITfContext>::retain(&host.doc());
  BOOL eaten = TRUE;
  EXPECT_EQ(host.service().OnTestKeyDown(context.get(), 'A', 1, &eaten), E_UNEXPECTED);
  EXPECT_FALSE(eaten);
  eaten = TRUE;
  EXPECT_EQ(host.service().OnKeyDown(context.get(), 'A', 1, &eaten), E_UNEXPECTED);
  EXPECT_FALSE(eaten);
  host.hold(VK_LSHIFT);
  host.let_go(VK_LSHIFT);
  eaten = TRUE;
  EXPECT_EQ(host.service().OnTestKeyUp(context.get(), VK_LSHIFT, 0xC0000001, &eaten), E_UNEXPECTED);
  EXPECT_FALSE(eaten);
  EXPECT_EQ(host.composition(), "sab");

  // Nothing was left borrowed or half done: typing goes on.
  fail = false;
  host.type("ay");
  EXPECT_EQ(host.composition(), "sabay");
  host.deactivate();
  EXPECT_EQ(host.text(), "sabay");
}

TEST(Boundary, AThrowingClickHandlerCostsOnlyTheClick) {
  Host host;
  ASSERT_EQ(host.activate(), S_OK);
  host.service().set_url_opener([](const std::string&) { throw std::runtime_error("opener"); });
  host.type("sabay");
  const auto layout = window::CandidateWindow::shown_layout();
  ASSERT_TRUE(layout);
  const HWND window = FindWindowW(window::kClassName, nullptr);
  const window::Rect& flag = layout->flag;
  EXPECT_EQ(SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON,
                         MAKELPARAM((flag.left + flag.right) / 2, (flag.top + flag.bottom) / 2)),
            0);
  host.pump();
  EXPECT_EQ(host.composition(), "sabay");
  EXPECT_TRUE(host.candidates_visible());
  host.tap(VK_SPACE);
  EXPECT_EQ(host.text(), "\u179F\u1794\u17D2\u1794\u17B6\u1799");
}

}  // namespace
}  // namespace sorla::host
