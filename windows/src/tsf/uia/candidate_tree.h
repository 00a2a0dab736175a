// The candidate window's UI Automation tree, as Microsoft's IME requirements
// ask ("IME accessibility"): a list whose AutomationId is
// "IME_Candidate_Window", one item per candidate, the highlighted one
// selected; UIA_MenuOpenedEventId when the list appears,
// UIA_SelectionItem_ElementSelectedEventId on the selected item when it
// changes, UIA_MenuClosedEventId when it goes, raised only while clients
// listen.
//
// One tree per window. It holds the shown list and the providers handed out
// for it; the providers hold it weakly, so once the window is gone they
// answer UIA_E_ELEMENTNOTAVAILABLE, and UI Automation is told to let go of
// them (UiaDisconnectProvider) so no screen reader calls into an unloaded DLL.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "com/com_ptr.h"
#include "tsf/uia/shown_list.h"
#include "tsf/uia/uia_decls.h"

namespace sorla::uia {

class ListProvider;
class ItemProvider;

class CandidateTree : public std::enable_shared_from_this<CandidateTree> {
  struct Private {};

 public:
  CandidateTree(Private, HWND hwnd);
  static std::shared_ptr<CandidateTree> create(HWND hwnd);

  // The window's answer to WM_GETOBJECT; 0 when it has none for this
  // request (DefWindowProc then answers).
  LRESULT answer(WPARAM wparam, LPARAM lparam);
  // The window shows `list`, or hides.
  void show(ShownList list);
  void hide();
  // WM_DESTROY: the list closes and UI Automation lets go of every provider.
  void disconnect();

  // What the providers read, on whatever thread UI Automation calls them.
  struct View {
    HWND hwnd = nullptr;
    std::shared_ptr<const ShownList> list;
    std::uint32_t generation = 0;  // counts lists with other candidates
  };
  // None once disconnected.
  std::optional<View> view() const;
  com::ComPtr<ListProvider> root();
  // The item of list `generation`; null when that list is gone or has no
  // such item.
  com::ComPtr<ItemProvider> item(std::uint32_t generation, std::size_t index);

 private:
  mutable std::mutex mutex_;
  HWND hwnd_;
  std::shared_ptr<const ShownList> list_;
  std::uint32_t generation_ = 0;
  bool visible_ = false;
  com::ComPtr<ListProvider> root_;
  // The current list's items, made when first asked for.
  std::vector<com::ComPtr<ItemProvider>> items_;
};

}  // namespace sorla::uia
