#include "tsf/uia/candidate_tree.h"

#include <algorithm>
#include <utility>

#include "com/object.h"
#include "tsf/uia/core_calls.h"
#include "tsf/uia/item_provider.h"
#include "tsf/uia/list_provider.h"

namespace sorla::uia {
namespace {

const auto kNothingShown = std::make_shared<const ShownList>();

bool same_names(const ShownList& a, const ShownList& b) {
  return std::equal(a.items.begin(), a.items.end(), b.items.begin(), b.items.end(),
                    [](const ShownItem& x, const ShownItem& y) { return x.name == y.name; });
}

// Items of a list no longer shown: UI Automation lets go of the ones it was
// given. Nothing can hold one before the library is loaded.
void disconnect_all(const std::vector<com::ComPtr<ItemProvider>>& items) {
  const CoreCalls* calls = loaded_core_calls();
  if (!calls || !calls->disconnect_provider) return;
  for (const auto& item : items) {
    if (item) calls->disconnect_provider(item.get());
  }
}

// The library is loaded here if need be: a screen reader may listen for
// events from an application it never asked about before.
const CoreCalls* listening() {
  const CoreCalls* calls = core_calls();
  return calls && calls->clients_are_listening() ? calls : nullptr;
}

void raise(const CoreCalls& calls, IRawElementProviderSimple* provider, EVENTID event) {
  if (provider) calls.raise_automation_event(provider, event);
}

}  // namespace

CandidateTree::CandidateTree(Private, HWND hwnd) : hwnd_(hwnd), list_(kNothingShown) {}

std::shared_ptr<CandidateTree> CandidateTree::create(HWND hwnd) {
  return std::make_shared<CandidateTree>(Private{}, hwnd);
}

LRESULT CandidateTree::answer(WPARAM wparam, LPARAM lparam) {
  const auto now = view();
  const auto list = root();
  const CoreCalls* calls = now && list ? core_calls() : nullptr;
  // Passed on unfiltered, as UiaReturnRawElementProvider's page asks, so
  // that UI Automation can serve Active Accessibility clients too.
  return calls ? calls->return_raw_element_provider(now->hwnd, wparam, lparam, list.get()) : 0;
}

void CandidateTree::show(ShownList list) {
  bool opened = false, changed = false;
  std::uint32_t generation = 0;
  std::size_t selected = list.selected;
  std::vector<com::ComPtr<ItemProvider>> gone;
  {
    const std::lock_guard lock(mutex_);
    if (!hwnd_) return;
    opened = !std::exchange(visible_, true);
    if (!same_names(*list_, list)) {
      ++generation_;
      gone = std::exchange(items_, {});
      changed = true;
    }
    changed = changed || list_->selected != list.selected;
    generation = generation_;
    list_ = std::make_shared<const ShownList>(std::move(list));
  }
  disconnect_all(gone);
  if (!opened && !changed) return;
  const CoreCalls* calls = listening();
  if (!calls) return;
  if (opened) raise(*calls, root().get(), UIA_MenuOpenedEventId);
  raise(*calls, item(generation, selected).get(), UIA_SelectionItem_ElementSelectedEventId);
}

void CandidateTree::hide() {
  std::vector<com::ComPtr<ItemProvider>> gone;
  {
    const std::lock_guard lock(mutex_);
    if (!hwnd_ || !std::exchange(visible_, false)) return;
    ++generation_;
    gone = std::exchange(items_, {});
    list_ = kNothingShown;
  }
  disconnect_all(gone);
  if (const CoreCalls* calls = listening()) raise(*calls, root().get(), UIA_MenuClosedEventId);
}

void CandidateTree::disconnect() {
  hide();
  // While the providers still answer, so that UI Automation can match them
  // to what it holds.
  HWND hwnd;
  com::ComPtr<ListProvider> list;
  std::vector<com::ComPtr<ItemProvider>> items;
  {
    const std::lock_guard lock(mutex_);
    hwnd = hwnd_;
    list = root_;
    items = items_;
  }
  if (const CoreCalls* calls = hwnd ? loaded_core_calls() : nullptr) {
    // What UiaReturnRawElementProvider's page asks of a window that goes.
    calls->return_raw_element_provider(hwnd, 0, 0, nullptr);
    disconnect_all(items);
    if (list && calls->disconnect_provider) calls->disconnect_provider(list.get());
  }
  const std::lock_guard lock(mutex_);
  hwnd_ = nullptr;
  list = std::exchange(root_, nullptr);
  items = std::exchange(items_, {});
}

std::optional<CandidateTree::View> CandidateTree::view() const {
  const std::lock_guard lock(mutex_);
  if (!hwnd_) return std::nullopt;
  return View{hwnd_, list_, generation_};
}

com::ComPtr<ListProvider> CandidateTree::root() {
  const std::lock_guard lock(mutex_);
  if (!hwnd_) return nullptr;
  if (!root_) root_ = com::make_object<ListProvider>(weak_from_this());
  return root_;
}

com::ComPtr<ItemProvider> CandidateTree::item(std::uint32_t generation, std::size_t index) {
  const std::lock_guard lock(mutex_);
  if (!hwnd_ || generation != generation_ || index >= list_->items.size()) return nullptr;
  if (items_.size() < list_->items.size()) items_.resize(list_->items.size());
  auto& slot = items_[index];
  if (!slot) slot = com::make_object<ItemProvider>(weak_from_this(), generation, index);
  return slot;
}

}  // namespace sorla::uia
