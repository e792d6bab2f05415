// COM for the Win32 shell link code: the calls that start and end COM and
// create objects, as function pointers that tests under Wine may replace to
// count them or make creation fail, and holders that release what they get.
#pragma once

#include <objbase.h>

namespace platform {

struct ComApi {
  HRESULT (*Initialize)();  // CoInitialize(nullptr)
  void (*Uninitialize)();
  // An in-process object of the class, asked for the interface.
  HRESULT (*CreateInstance)(REFCLSID type, REFIID interfaceId, void** object);
};

// The real implementation; tests may replace entries and must restore them.
extern ComApi Com;

// COM started on the calling thread for the holder's lifetime. A start that
// is refused (the thread already runs COM in another mode) is not ended:
// that COM belongs to the caller.
class ComScope {
 public:
  ComScope() : started_(SUCCEEDED(Com.Initialize())) {}
  ~ComScope() {
    if (started_) Com.Uninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

 private:
  bool started_;
};

// One interface pointer, released when the holder goes.
template <class Interface>
class ComPtr {
 public:
  ComPtr() = default;
  ~ComPtr() {
    if (object_) object_->Release();
  }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;

  Interface* operator->() const { return object_; }
  // Where a creating or querying call stores the interface; the holder must
  // be empty.
  void** Slot() { return reinterpret_cast<void**>(&object_); }

 private:
  Interface* object_ = nullptr;
};

}  // namespace platform
