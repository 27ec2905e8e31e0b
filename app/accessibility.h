// What screen readers get from the program's windows: each control's accessible name, and the
// announcement of each calculated result.
#pragma once

#include <windows.h>

#include <oleacc.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "com_owners.h"
#include "forms/owners.h"

namespace tly {

// The name of a window's object, or of one of its items (1, 2, ... ; CHILDID_SELF 0 for the
// window itself), asked each time a screen reader reads it; nothing keeps the name the system
// gives.
using AccessibleNames = std::function<std::optional<std::wstring>(long child)>;

// Answers the accessibility requests of `hwnd` with the system's own object for it, named by
// `names`, until the window goes. A later call replaces the names. With `text_as_value`, the
// window's text is its value: for a static text whose name is not its text.
void SetAccessibleNames(HWND hwnd, AccessibleNames names, bool text_as_value = false);
// The same with one name for the window, read from `name` each time.
void SetAccessibleName(HWND hwnd, std::function<std::wstring()> name, bool text_as_value = false);

// A caption as a screen reader says it: without its access key, "計算式(&T)" as "計算式" and
// "&Name" as "Name".
std::wstring SpokenCaption(std::wstring_view caption);

// Speaks texts for window `region`: through UI Automation's notification where Windows has it,
// else by raising a live-region change on the window, marked as a polite live region, whose
// text is the announcement.
class Announcer {
 public:
  explicit Announcer(HWND region);
  ~Announcer();
  Announcer(const Announcer&) = delete;
  Announcer& operator=(const Announcer&) = delete;

  void Announce(const std::wstring& text);

 private:
  bool Notify(const std::wstring& text);
  void MarkLiveRegion();

  using HostProviderFromHwnd = HRESULT(WINAPI*)(HWND, IUnknown**);
  using RaiseNotification = HRESULT(WINAPI*)(IUnknown*, int, int, BSTR, BSTR);

  HWND region_;
  forms::UniqueModule uia_;
  HostProviderFromHwnd host_provider_ = nullptr;
  RaiseNotification raise_notification_ = nullptr;
  kolo::ComPtr<IAccPropServices> annotations_;  // once the region is marked
  bool marked_ = false;
};

}  // namespace tly
