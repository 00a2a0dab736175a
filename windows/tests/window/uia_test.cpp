// The candidate window's UI Automation tree. Through Wine's own UI
// Automation client calls where Wine 8 has them: the list found from the
// window, its AutomationId and control type, its items and their names.
// Wine 8 has no events and no selection pattern on the client side, so the
// selection, the events and the disconnection are checked on the providers
// themselves, with recording stand-ins for uiautomationcore's functions.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "com/com_ptr.h"
#include "com/object_count.h"
#include "text/wide.h"
#include "tsf/uia/core_calls.h"
#include "tsf/uia/uia_decls.h"
#include "tsf/window/candidate_window.h"

namespace sorla::window {
namespace {

using com::ComPtr;
using Fragment = ComPtr<IRawElementProviderFragment>;

const std::vector<std::string> kWords{"\xE1\x9E\x94\xE1\x9E\xB6\xE1\x9E\x93",        // បាន
                                      "\xE1\x9E\x8A\xE1\x9F\x82\xE1\x9E\x9B",        // ដែល
                                      "\xE1\x9E\x93\xE1\x9E\xB9\xE1\x9E\x84"};       // នឹង
const std::vector<std::string> kOtherWords{"\xE1\x9E\x91\xE1\x9F\x85", "ok", "go"};  // ទៅ
const Rect kCaret{100, 100, 110, 120};

std::wstring expected_name(std::size_t index, const std::string& word) {
  return std::to_wstring(index + 1) + L" " + to_wide(word);
}

// --- Through Wine's UI Automation client functions.

// The flat client API of uiautomationcore.dll, declared as Microsoft
// documents it (mingw-w64 has no usable header for it).
DECLARE_HANDLE(HUIANODE);
struct UiaCondition {
  int ConditionType;  // ConditionType_True = 0
};
struct UiaCacheRequest {
  UiaCondition* pViewCondition;
  int Scope;  // TreeScope_Element = 1
  PROPERTYID* pProperties;
  int cProperties;
  PATTERNID* pPatterns;
  int cPatterns;
  int automationElementMode;  // AutomationElementMode_Full = 1
};

struct Client {
  HRESULT(WINAPI* node_from_handle)(HWND, HUIANODE*);
  HRESULT(WINAPI* get_property_value)(HUIANODE, PROPERTYID, VARIANT*);
  HRESULT(WINAPI* navigate)
  (HUIANODE, NavigateDirection, UiaCondition*, UiaCacheRequest*, SAFEARRAY**, BSTR*);
  HRESULT(WINAPI* node_from_variant)(VARIANT*, HUIANODE*);
  BOOL(WINAPI* node_release)(HUIANODE);
};

template <class F>
void find(HMODULE module, const char* name, F& slot) {
  slot = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
  ASSERT_NE(slot, nullptr) << name;
}

struct DestroyArray {
  void operator()(SAFEARRAY* array) const { SafeArrayDestroy(array); }
};
struct FreeString {
  void operator()(BSTR text) const { SysFreeString(text); }
};

class Node {
 public:
  Node(const Client& client, HUIANODE node) : client_(&client), node_(node) {}
  Node(Node&& other) noexcept
      : client_(other.client_), node_(std::exchange(other.node_, nullptr)) {}
  Node& operator=(Node&& other) noexcept {
    std::swap(client_, other.client_);
    std::swap(node_, other.node_);
    return *this;
  }
  ~Node() {
    if (node_) client_->node_release(node_);
  }

  VARIANT property(PROPERTYID id) const {
    VARIANT value;
    VariantInit(&value);
    EXPECT_EQ(client_->get_property_value(node_, id, &value), S_OK);
    return value;
  }
  std::wstring string_property(PROPERTYID id) const {
    VARIANT value = property(id);
    std::wstring text = value.vt == VT_BSTR ? value.bstrVal : L"<not a string>";
    VariantClear(&value);
    return text;
  }
  LONG int_property(PROPERTYID id) const {
    VARIANT value = property(id);
    return value.vt == VT_I4 ? value.lVal : -1;
  }
  // The element in `direction` in the raw view, if any.
  std::optional<Node> go(NavigateDirection direction) const {
    UiaCondition all{0};
    PROPERTYID name = UIA_NamePropertyId;
    UiaCacheRequest request{&all, 1, &name, 1, nullptr, 0, 1};
    SAFEARRAY* raw = nullptr;
    BSTR raw_tree = nullptr;
    EXPECT_EQ(client_->navigate(node_, direction, &all, &request, &raw, &raw_tree), S_OK);
    std::unique_ptr<SAFEARRAY, DestroyArray> data(raw);
    std::unique_ptr<OLECHAR, FreeString> tree(raw_tree);
    if (!data) return std::nullopt;
    LONG first[2] = {0, 0};
    VARIANT element;
    VariantInit(&element);
    HUIANODE found = nullptr;
    if (FAILED(SafeArrayGetElement(data.get(), first, &element)) ||
        FAILED(client_->node_from_variant(&element, &found))) {
      ADD_FAILURE() << "no node in the navigation result";
      return std::nullopt;
    }
    VariantClear(&element);
    return Node(*client_, found);  // a reference of its own
  }

 private:
  const Client* client_;
  HUIANODE node_;
};

TEST(CandidateUiaUnderWine, ClientsFindTheListAndItsNumberedItems) {
  const HMODULE core = LoadLibraryW(L"uiautomationcore.dll");
  ASSERT_NE(core, nullptr);
  Client client{};
  find(core, "UiaNodeFromHandle", client.node_from_handle);
  find(core, "UiaGetPropertyValue", client.get_property_value);
  find(core, "UiaNavigate", client.navigate);
  find(core, "UiaHUiaNodeFromVariant", client.node_from_variant);
  find(core, "UiaNodeRelease", client.node_release);

  const std::int64_t objects = com::object_count();
  {
    CandidateWindow window;
    ASSERT_TRUE(window.create([](const Click&) {}));
    window.show(kWords, 1, kCaret);
    HUIANODE raw = nullptr;
    ASSERT_EQ(client.node_from_handle(window.handle(), &raw), S_OK);
    const Node list(client, raw);
    EXPECT_EQ(list.string_property(UIA_AutomationIdPropertyId), L"IME_Candidate_Window");
    EXPECT_EQ(list.int_property(UIA_ControlTypePropertyId), UIA_ListControlTypeId);

    std::vector<std::wstring> names;
    for (std::optional<Node> item = list.go(NavigateDirection_FirstChild); item;
         item = item->go(NavigateDirection_NextSibling)) {
      EXPECT_EQ(item->int_property(UIA_ControlTypePropertyId), UIA_ListItemControlTypeId);
      names.push_back(item->string_property(UIA_NamePropertyId));
      if (names.size() > kWords.size()) break;
    }
    EXPECT_EQ(names,
              (std::vector<std::wstring>{expected_name(0, kWords[0]), expected_name(1, kWords[1]),
                                         expected_name(2, kWords[2])}));
  }
  // Window and nodes gone: no provider of ours is left alive.
  EXPECT_EQ(com::object_count(), objects);
}

// --- On the providers, with recording stand-ins for uiautomationcore.

struct Recorded {
  bool listening = false;
  struct Returned {
    HWND hwnd;
    WPARAM wparam;
    LPARAM lparam;
    ComPtr<IRawElementProviderSimple> provider;
  };
  std::vector<Returned> returned;
  std::vector<std::pair<ComPtr<IRawElementProviderSimple>, EVENTID>> events;
  std::vector<ComPtr<IRawElementProviderSimple>> disconnected;
};
Recorded* g_recorded = nullptr;

constexpr LRESULT kAnswer = 0x5A;

LRESULT WINAPI record_return(HWND hwnd, WPARAM wparam, LPARAM lparam,
                             IRawElementProviderSimple* provider) {
  g_recorded->returned.push_back(
      {hwnd, wparam, lparam, ComPtr<IRawElementProviderSimple>::retain(provider)});
  return provider ? kAnswer : 0;
}
HRESULT WINAPI no_host(HWND, IRawElementProviderSimple** out) {
  *out = nullptr;
  return S_OK;
}
HRESULT WINAPI record_event(IRawElementProviderSimple* provider, EVENTID event) {
  g_recorded->events.emplace_back(ComPtr<IRawElementProviderSimple>::retain(provider), event);
  return S_OK;
}
BOOL WINAPI listening() { return g_recorded->listening; }
HRESULT WINAPI record_disconnect(IRawElementProviderSimple* provider) {
  g_recorded->disconnected.push_back(ComPtr<IRawElementProviderSimple>::retain(provider));
  return S_OK;
}
const uia::CoreCalls kRecording{record_return, no_host, record_event, listening, record_disconnect};

template <class T, class U>
ComPtr<T> as(const ComPtr<U>& p) {
  return p.template query<T>();
}

std::wstring name_of(IUnknown* element) {
  const auto simple = ComPtr<IUnknown>::retain(element).query<IRawElementProviderSimple>();
  VARIANT value;
  VariantInit(&value);
  if (!simple) return L"<none>";
  if (simple->GetPropertyValue(UIA_NamePropertyId, &value) == UIA_E_ELEMENTNOTAVAILABLE) {
    return L"<gone>";
  }
  std::wstring name = value.vt == VT_BSTR ? value.bstrVal : L"<no name>";
  VariantClear(&value);
  return name;
}

Fragment go(const Fragment& from, NavigateDirection direction) {
  Fragment to;
  EXPECT_EQ(from->Navigate(direction, to.put()), S_OK);
  return to;
}

bool is_selected(const Fragment& item) {
  ComPtr<IUnknown> pattern;
  EXPECT_EQ(as<IRawElementProviderSimple>(item)->GetPatternProvider(UIA_SelectionItemPatternId,
                                                                    pattern.put()),
            S_OK);
  BOOL selected = FALSE;
  EXPECT_EQ(as<ISelectionItemProvider>(pattern)->get_IsSelected(&selected), S_OK);
  return selected != FALSE;
}

std::vector<LONG> runtime_id(const Fragment& item) {
  SAFEARRAY* raw = nullptr;
  EXPECT_EQ(item->GetRuntimeId(&raw), S_OK);
  std::vector<LONG> id;
  if (!raw) return id;
  LONG low = 0, high = -1;
  SafeArrayGetLBound(raw, 1, &low);
  SafeArrayGetUBound(raw, 1, &high);
  for (LONG i = low; i <= high; ++i) {
    LONG value = 0;
    SafeArrayGetElement(raw, &i, &value);
    id.push_back(value);
  }
  SafeArrayDestroy(raw);
  return id;
}

class CandidateUia : public ::testing::Test {
 protected:
  void SetUp() override {
    g_recorded = &recorded_;
    uia::replace_core_calls(&kRecording);
    objects_ = com::object_count();
    ASSERT_TRUE(window_.create([](const Click&) {}));
  }
  void TearDown() override {
    window_.destroy();
    recorded_ = {};
    uia::replace_core_calls(nullptr);
    g_recorded = nullptr;
  }

  // The list as a screen reader gets it: through WM_GETOBJECT.
  Fragment root() {
    const std::size_t before = recorded_.returned.size();
    EXPECT_EQ(SendMessageW(window_.handle(), WM_GETOBJECT, 0, UiaRootObjectId), kAnswer);
    if (recorded_.returned.size() != before + 1) return nullptr;
    const auto& returned = recorded_.returned.back();
    EXPECT_EQ(returned.hwnd, window_.handle());
    EXPECT_EQ(returned.lparam, static_cast<LPARAM>(UiaRootObjectId));
    return as<IRawElementProviderFragment>(returned.provider);
  }

  std::vector<std::pair<std::wstring, EVENTID>> take_events() {
    std::vector<std::pair<std::wstring, EVENTID>> events;
    for (const auto& [provider, id] : recorded_.events) {
      const bool list = static_cast<bool>(provider.query<IRawElementProviderFragmentRoot>());
      events.emplace_back(list ? L"list" : name_of(provider.get()), id);
    }
    recorded_.events.clear();
    return events;
  }

  std::int64_t objects_ = 0;
  Recorded recorded_;
  CandidateWindow window_;
};

TEST_F(CandidateUia, ListItemsAndSelectionDescribeTheShownRow) {
  window_.show(kWords, 1, kCaret);
  const Fragment list = root();
  ASSERT_TRUE(list);
  EXPECT_FALSE(go(list, NavigateDirection_Parent));  // the window's provider says

  const Layout layout = CandidateWindow::shown_layout().value();
  POINT origin{0, 0};
  ClientToScreen(window_.handle(), &origin);
  std::vector<Fragment> items;
  for (Fragment item = go(list, NavigateDirection_FirstChild); item && items.size() <= 3;
       item = go(item, NavigateDirection_NextSibling)) {
    const std::size_t i = items.size();
    EXPECT_EQ(is_selected(item), i == 1) << i;
    EXPECT_TRUE(com::same_object(go(item, NavigateDirection_Parent).get(), list.get()));
    EXPECT_FALSE(go(item, NavigateDirection_FirstChild));
    UiaRect bounds{};
    EXPECT_EQ(item->get_BoundingRectangle(&bounds), S_OK);
    const Rect& cell = layout.cells[i].rect;
    EXPECT_EQ(bounds.left, origin.x + cell.left);
    EXPECT_EQ(bounds.top, origin.y + cell.top);
    EXPECT_EQ(bounds.width, cell.width());
    EXPECT_EQ(bounds.height, cell.height());
    items.push_back(item);
  }
  ASSERT_EQ(items.size(), 3u);
  EXPECT_NE(runtime_id(items[0]), runtime_id(items[1]));
  EXPECT_FALSE(go(items[0], NavigateDirection_PreviousSibling));
  EXPECT_TRUE(com::same_object(go(list, NavigateDirection_LastChild).get(), items[2].get()));

  // The selection pattern hands out the highlighted item.
  ComPtr<IUnknown> pattern;
  ASSERT_EQ(as<IRawElementProviderSimple>(list)->GetPatternProvider(UIA_SelectionPatternId,
                                                                    pattern.put()),
            S_OK);
  const auto selection = as<ISelectionProvider>(pattern);
  ASSERT_TRUE(selection);
  SAFEARRAY* selected = nullptr;
  ASSERT_EQ(selection->GetSelection(&selected), S_OK);
  LONG first = 0;
  ComPtr<IUnknown> element;
  EXPECT_EQ(SafeArrayGetElement(selected, &first, element.put()), S_OK);
  SafeArrayDestroy(selected);
  EXPECT_TRUE(com::same_object(element.get(), items[1].get()));

  // A point on the third cell finds the third item.
  const auto from_point = as<IRawElementProviderFragmentRoot>(list);
  const Rect& third = layout.cells[2].rect;
  Fragment hit;
  EXPECT_EQ(from_point->ElementProviderFromPoint(origin.x + third.left + 2,
                                                 origin.y + third.top + 2, hit.put()),
            S_OK);
  EXPECT_TRUE(com::same_object(hit.get(), items[2].get()));
}

TEST_F(CandidateUia, ItemsLastWhileTheirCandidatesShow) {
  window_.show(kWords, 0, kCaret);
  const Fragment list = root();
  ASSERT_TRUE(list);
  const Fragment first = go(list, NavigateDirection_FirstChild);
  ASSERT_TRUE(first);
  const std::vector<LONG> first_id = runtime_id(first);

  // The highlight moves: the same items, another one selected.
  window_.show(kWords, 2, kCaret);
  EXPECT_EQ(name_of(first.get()), expected_name(0, kWords[0]));
  EXPECT_FALSE(is_selected(first));
  EXPECT_TRUE(is_selected(go(list, NavigateDirection_LastChild)));

  // Other candidates: other items; the old ones are gone.
  window_.show(kOtherWords, 0, kCaret);
  EXPECT_EQ(name_of(first.get()), L"<gone>");
  const Fragment now = go(list, NavigateDirection_FirstChild);
  EXPECT_EQ(name_of(now.get()), expected_name(0, kOtherWords[0]));
  EXPECT_NE(runtime_id(now), first_id);

  window_.hide();
  EXPECT_FALSE(go(list, NavigateDirection_FirstChild));
  EXPECT_EQ(name_of(now.get()), L"<gone>");
}

TEST_F(CandidateUia, EventsOnlyWhileClientsListen) {
  using Events = std::vector<std::pair<std::wstring, EVENTID>>;
  window_.show(kWords, 0, kCaret);
  window_.hide();
  EXPECT_EQ(take_events(), Events{});

  recorded_.listening = true;
  window_.show(kWords, 0, kCaret);
  EXPECT_EQ(take_events(),
            (Events{{L"list", UIA_MenuOpenedEventId},
                    {expected_name(0, kWords[0]), UIA_SelectionItem_ElementSelectedEventId}}));
  window_.show(kWords, 0, kCaret);  // nothing changed
  EXPECT_EQ(take_events(), Events{});
  window_.show(kWords, 2, kCaret);
  EXPECT_EQ(take_events(),
            (Events{{expected_name(2, kWords[2]), UIA_SelectionItem_ElementSelectedEventId}}));
  window_.show(kOtherWords, 2, kCaret);
  EXPECT_EQ(take_events(),
            (Events{{expected_name(2, kOtherWords[2]), UIA_SelectionItem_ElementSelectedEventId}}));
  window_.hide();
  EXPECT_EQ(take_events(), (Events{{L"list", UIA_MenuClosedEventId}}));
  window_.hide();
  EXPECT_EQ(take_events(), Events{});
}

TEST_F(CandidateUia, DestroyingTheWindowDisconnectsEveryProvider) {
  recorded_.listening = true;
  window_.show(kWords, 0, kCaret);
  Fragment list = root();
  ASSERT_TRUE(list);
  Fragment old_item = go(list, NavigateDirection_FirstChild);
  window_.show(kOtherWords, 1, kCaret);
  Fragment item = go(list, NavigateDirection_LastChild);
  ASSERT_TRUE(item);
  // The replaced list's items that were handed out are let go at once.
  ASSERT_FALSE(recorded_.disconnected.empty());
  EXPECT_TRUE(com::same_object(recorded_.disconnected.back().get(), old_item.get()));
  recorded_.disconnected.clear();
  recorded_.returned.clear();
  take_events();

  const HWND hwnd = window_.handle();
  window_.destroy();
  EXPECT_EQ(take_events(),
            (std::vector<std::pair<std::wstring, EVENTID>>{{L"list", UIA_MenuClosedEventId}}));
  ASSERT_EQ(recorded_.returned.size(), 1u);
  EXPECT_EQ(recorded_.returned[0].hwnd, hwnd);
  EXPECT_EQ(recorded_.returned[0].wparam, 0u);
  EXPECT_EQ(recorded_.returned[0].lparam, 0);
  EXPECT_FALSE(recorded_.returned[0].provider);
  // Every item handed out for the shown list, the selected one raised on
  // included, and the list itself.
  bool list_disconnected = false, item_disconnected = false;
  for (const auto& provider : recorded_.disconnected) {
    list_disconnected = list_disconnected || com::same_object(provider.get(), list.get());
    item_disconnected = item_disconnected || com::same_object(provider.get(), item.get());
  }
  EXPECT_TRUE(list_disconnected);
  EXPECT_TRUE(item_disconnected);

  // What a client still holds answers that it is gone.
  Fragment next;
  EXPECT_EQ(list->Navigate(NavigateDirection_FirstChild, next.put()), UIA_E_ELEMENTNOTAVAILABLE);
  EXPECT_EQ(name_of(item.get()), L"<gone>");

  // Once UI Automation lets go, nothing is left.
  recorded_ = {};
  list.reset();
  old_item.reset();
  item.reset();
  EXPECT_EQ(com::object_count(), objects_);
}

}  // namespace
}  // namespace sorla::window
