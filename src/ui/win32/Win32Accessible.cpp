#include "ui/win32/Win32Accessible.h"

#include <exception>

#include "ui/win32/Win32Surface.h"

namespace larkspan {
namespace {

bool IsLink(const Win32Control& control) {
  return control.Layout().kind == ControlKind::kImage && !control.Layout().tag.empty();
}

LONG RoleOf(const Win32Control& control) {
  if (control.Layout().kind == ControlKind::kLabel) return ROLE_SYSTEM_STATICTEXT;
  return IsLink(control) ? ROLE_SYSTEM_LINK : ROLE_SYSTEM_GRAPHIC;
}

void SetLong(VARIANT* out, LONG value) {
  out->vt = VT_I4;
  out->lVal = value;
}

}  // namespace

Win32Accessible::Win32Accessible(Win32Surface& surface) : surface_(&surface) {
  if (FAILED(CreateStdAccessibleObject(surface.Handle(), OBJID_CLIENT, __uuidof(IAccessible),
                                       reinterpret_cast<void**>(&system_)))) {
    system_ = nullptr;
  }
}

Win32Accessible::~Win32Accessible() {
  if (system_ != nullptr) system_->Release();
}

void Win32Accessible::Disconnect() {
  surface_ = nullptr;
}

HRESULT Win32Accessible::QueryInterface(REFIID id, void** object) {
  if (object == nullptr) return E_POINTER;
  if (id == __uuidof(IUnknown) || id == __uuidof(IDispatch) || id == __uuidof(IAccessible)) {
    *object = static_cast<IAccessible*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG Win32Accessible::AddRef() {
  return static_cast<ULONG>(InterlockedIncrement(&references_));
}

ULONG Win32Accessible::Release() {
  const LONG left = InterlockedDecrement(&references_);
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

HRESULT Win32Accessible::GetTypeInfoCount(UINT* count) {
  if (count == nullptr) return E_POINTER;
  *count = 0;
  return S_OK;
}

// The drawn controls are the ids 1 to n, the child windows n + 1 on.
Win32Accessible::Child Win32Accessible::Resolve(const VARIANT& id) const {
  if (surface_ == nullptr || id.vt != VT_I4) return {};
  if (id.lVal == CHILDID_SELF) return {Child::kSelf};
  const auto& painted = surface_->Painted();
  const LONG index = id.lVal - 1, drawn = static_cast<LONG>(painted.size());
  if (index >= 0 && index < drawn) return {Child::kPainted, painted[static_cast<size_t>(index)]};
  const std::vector<HWND> windows = ChildWindows();
  if (index >= drawn && index - drawn < static_cast<LONG>(windows.size())) {
    return {Child::kWindow, nullptr, windows[static_cast<size_t>(index - drawn)]};
  }
  return {};
}

std::vector<HWND> Win32Accessible::ChildWindows() const {
  std::vector<HWND> windows;
  for (HWND child = GetWindow(surface_->Handle(), GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    windows.push_back(child);
  }
  return windows;
}

template <class Call>
HRESULT Win32Accessible::System(Call call) const {
  if (surface_ == nullptr) return RPC_E_DISCONNECTED;
  return system_ != nullptr ? call(*system_) : E_FAIL;
}

HRESULT Win32Accessible::Text(const std::wstring& text, BSTR* out) {
  if (out == nullptr) return E_POINTER;
  *out = text.empty() ? nullptr : SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  if (!text.empty() && *out == nullptr) return E_OUTOFMEMORY;
  return text.empty() ? S_FALSE : S_OK;
}

HRESULT Win32Accessible::get_accParent(IDispatch** parent) {
  return System([&](IAccessible& system) { return system.get_accParent(parent); });
}

HRESULT Win32Accessible::get_accChildCount(LONG* count) {
  if (count == nullptr) return E_POINTER;
  if (surface_ == nullptr) return RPC_E_DISCONNECTED;
  *count = static_cast<LONG>(surface_->Painted().size() + ChildWindows().size());
  return S_OK;
}

HRESULT Win32Accessible::get_accChild(VARIANT id, IDispatch** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  const Child child = Resolve(id);
  if (child.kind == Child::kPainted) return S_FALSE;  // a simple element of this object
  if (child.kind != Child::kWindow) return E_INVALIDARG;
  return AccessibleObjectFromWindow(child.window, static_cast<DWORD>(OBJID_WINDOW),
                                    __uuidof(IDispatch), reinterpret_cast<void**>(object));
}

HRESULT Win32Accessible::get_accName(VARIANT id, BSTR* name) {
  const Child child = Resolve(id);
  if (child.kind == Child::kSelf) {
    return System([&](IAccessible& system) { return system.get_accName(id, name); });
  }
  if (child.kind != Child::kPainted) return E_INVALIDARG;
  return Text(child.control->AccessibleName(), name);
}

// A link's value is its address, as a browser's links have it.
HRESULT Win32Accessible::get_accValue(VARIANT id, BSTR* value) {
  const Child child = Resolve(id);
  if (child.kind == Child::kSelf) {
    return System([&](IAccessible& system) { return system.get_accValue(id, value); });
  }
  if (child.kind != Child::kPainted) return E_INVALIDARG;
  if (!IsLink(*child.control)) return Text({}, value);
  const std::u16string& address = child.control->Layout().tag;
  return Text(std::wstring(address.begin(), address.end()), value);
}

HRESULT Win32Accessible::get_accDescription(VARIANT id, BSTR* text) {
  const Child child = Resolve(id);
  if (child.kind == Child::kSelf) {
    return System([&](IAccessible& system) { return system.get_accDescription(id, text); });
  }
  return child.kind == Child::kPainted ? Text({}, text) : E_INVALIDARG;
}

HRESULT Win32Accessible::get_accRole(VARIANT id, VARIANT* role) {
  const Child child = Resolve(id);
  if (child.kind == Child::kSelf) {
    return System([&](IAccessible& system) { return system.get_accRole(id, role); });
  }
  if (child.kind != Child::kPainted) return E_INVALIDARG;
  if (role == nullptr) return E_POINTER;
  SetLong(role, RoleOf(*child.control));
  return S_OK;
}

HRESULT Win32Accessible::get_accState(VARIANT id, VARIANT* state) {
  const Child child = Resolve(id);
  if (child.kind == Child::kSelf) {
    return System([&](IAccessible& system) { return system.get_accState(id, state); });
  }
  if (child.kind != Child::kPainted) return E_INVALIDARG;
  if (state == nullptr) return E_POINTER;
  LONG bits = IsLink(*child.control) ? STATE_SYSTEM_LINKED : STATE_SYSTEM_READONLY;
  if (!child.control->Shown() || !IsWindowVisible(surface_->Handle())) {
    bits |= STATE_SYSTEM_INVISIBLE;
  }
  SetLong(state, bits);
  return S_OK;
}

HRESULT Win32Accessible::get_accHelp(VARIANT id, BSTR* text) {
  const Child child = Resolve(id);
  if (child.kind == Child::kSelf) {
    return System([&](IAccessible& system) { return system.get_accHelp(id, text); });
  }
  return child.kind == Child::kPainted ? Text({}, text) : E_INVALIDARG;
}

HRESULT Win32Accessible::get_accHelpTopic(BSTR* file, VARIANT id, LONG* topic) {
  const Child child = Resolve(id);
  if (child.kind == Child::kSelf) {
    return System([&](IAccessible& system) { return system.get_accHelpTopic(file, id, topic); });
  }
  return child.kind == Child::kPainted ? DISP_E_MEMBERNOTFOUND : E_INVALIDARG;
}

HRESULT Win32Accessible::get_accKeyboardShortcut(VARIANT id, BSTR* keys) {
  const Child child = Resolve(id);
  if (child.kind == Child::kSelf) {
    return System([&](IAccessible& system) { return system.get_accKeyboardShortcut(id, keys); });
  }
  return child.kind == Child::kPainted ? Text({}, keys) : E_INVALIDARG;
}

// The drawn controls never take the focus: it is with the surface or one of its windows.
HRESULT Win32Accessible::get_accFocus(VARIANT* focus) {
  return System([&](IAccessible& system) { return system.get_accFocus(focus); });
}

HRESULT Win32Accessible::get_accSelection(VARIANT* selection) {
  return System([&](IAccessible& system) { return system.get_accSelection(selection); });
}

HRESULT Win32Accessible::get_accDefaultAction(VARIANT id, BSTR* action) {
  const Child child = Resolve(id);
  if (child.kind == Child::kSelf) {
    return System([&](IAccessible& system) { return system.get_accDefaultAction(id, action); });
  }
  if (child.kind != Child::kPainted) return E_INVALIDARG;
  return Text(IsLink(*child.control) ? L"Jump" : L"", action);
}

HRESULT Win32Accessible::accSelect(long how, VARIANT id) {
  const Child child = Resolve(id);
  if (child.kind == Child::kSelf) {
    return System([&](IAccessible& system) { return system.accSelect(how, id); });
  }
  return child.kind == Child::kPainted ? DISP_E_MEMBERNOTFOUND : E_INVALIDARG;
}

HRESULT Win32Accessible::accLocation(long* left, long* top, long* width, long* height, VARIANT id) {
  const Child child = Resolve(id);
  if (child.kind == Child::kSelf) {
    return System(
        [&](IAccessible& system) { return system.accLocation(left, top, width, height, id); });
  }
  if (child.kind != Child::kPainted) return E_INVALIDARG;
  if (left == nullptr || top == nullptr || width == nullptr || height == nullptr) return E_POINTER;
  RECT box = child.control->Bounds();
  MapWindowPoints(surface_->Handle(), nullptr, reinterpret_cast<POINT*>(&box), 2);
  *left = box.left;
  *top = box.top;
  *width = box.right - box.left;
  *height = box.bottom - box.top;
  return S_OK;
}

HRESULT Win32Accessible::accNavigate(long direction, VARIANT start, VARIANT* end) {
  if (Resolve(start).kind == Child::kSelf) {
    return System([&](IAccessible& system) { return system.accNavigate(direction, start, end); });
  }
  return E_NOTIMPL;
}

// A drawn control under the point is found first; the system's object finds the child windows.
HRESULT Win32Accessible::accHitTest(long left, long top, VARIANT* child) {
  if (child == nullptr) return E_POINTER;
  if (surface_ == nullptr) return RPC_E_DISCONNECTED;
  POINT point{left, top};
  ScreenToClient(surface_->Handle(), &point);
  const auto& painted = surface_->Painted();
  for (size_t i = painted.size(); i-- > 0;) {
    const RECT box = painted[i]->Bounds();
    if (painted[i]->Shown() && PtInRect(&box, point)) {
      SetLong(child, static_cast<LONG>(i + 1));
      return S_OK;
    }
  }
  return System([&](IAccessible& system) { return system.accHitTest(left, top, child); });
}

HRESULT Win32Accessible::accDoDefaultAction(VARIANT id) {
  const Child child = Resolve(id);
  if (child.kind == Child::kSelf) {
    return System([&](IAccessible& system) { return system.accDoDefaultAction(id); });
  }
  if (child.kind != Child::kPainted) return E_INVALIDARG;
  if (!IsLink(*child.control)) return DISP_E_MEMBERNOTFOUND;
  // No exception may cross back into the system's code, as in a window procedure.
  try {
    child.control->Clicked();
  } catch (const std::exception& error) {
    EndOnInternalError(error.what());
  }
  return S_OK;
}

}  // namespace larkspan
