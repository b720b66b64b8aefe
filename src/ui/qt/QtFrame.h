#pragma once
#include "ui/qt/QtControl.h"

namespace larkspan {

class QtSurface;

// A borderless container; its children are placed relative to it.
class QtFrame final : public QtControl {
 public:
  QtFrame(const ControlLayout& layout, const QtPlace& place);
  void Reset() override { ResetWidgetState(); }
  QWidget* Widget() const override;
  QtSurface& Surface() const { return *surface_; }

 private:
  QtSurface* surface_;
};

}  // namespace larkspan
